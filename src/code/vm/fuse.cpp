// fuse.cpp: finds the common short sequences of decoded instructions (a loop
// test, `x = a + b`, an array element with a computed index, `x += a[i]`) and
// marks their first instruction with a combined handler; a jump to a loop's
// test takes the test along, and a local kept in a slot has its own push and
// pop. The machine runs the sequence at once when its operands are
// plain reals and present variables, and otherwise runs the first instruction
// alone, so the effect is always the sequence's.
#include "code/function_table.h"
#include "code/vm/program.h"

namespace {

// A push of a double constant, or of a variable the machine reaches directly.
bool simple_push(const Instr &in)
{
	if (in.base != OP_PUSH)
		return false;
	return in.t1 == TYPE_DOUBLE || (in.t1 == TYPE_VARIABLE && in.fast != VAR_FAST_NONE && !in.indexed);
}

bool arith(const Instr &in) { return in.base == OP_ADD || in.base == OP_SUB || in.base == OP_MUL; }
bool compare(const Instr &in) { return in.base >= OP_SLT && in.base <= OP_SGT; }
bool cond_branch(const Instr &in) { return in.base == OP_BT || in.base == OP_BF; }
bool conv_to_int(const Instr &in) { return in.base == OP_CONV && in.t2 == TYPE_INT; }

bool plain_pop(const Instr &in)
{
	return in.base == OP_POP && in.t1 == TYPE_VARIABLE && in.fast != VAR_FAST_NONE && !in.indexed;
}

bool element(const Instr &in, uint8_t base)
{
	return in.base == base && in.t1 == TYPE_VARIABLE && in.indexed && in.fast != VAR_FAST_ARGUMENT;
}

bool slot_access(const Instr &in, uint8_t base)
{
	return in.base == base && in.t1 == TYPE_VARIABLE && in.fast == VAR_FAST_SLOT;
}

bool double_push(const Instr &in) { return in.base == OP_PUSH && in.t1 == TYPE_DOUBLE; }

// A call of a script (not a built-in or extension function) with argc arguments.
bool script_call(const Instr &in, int argc)
{
	return in.base == OP_CALL && in.t1 == TYPE_INT && in.field == argc && in.i >= SCRIPT_ID_BASE &&
	       in.i < EXTENSION_ID_BASE;
}

// The combined handler for the sequence starting at c[0], or its own handler.
uint8_t combined(const Instr *c, size_t left)
{
	if (left >= 4 && slot_access(c[0], OP_PUSH) && double_push(c[1]) && arith(c[2]) && slot_access(c[3], OP_POP))
		return OP_F_SLOT_ARITH_K;
	if (left >= 8 && slot_access(c[0], OP_PUSH) && simple_push(c[1]) && simple_push(c[2]) && arith(c[3]) &&
	    simple_push(c[4]) && arith(c[5]) && arith(c[6]) && slot_access(c[7], OP_POP))
		return OP_F_SLOT_UPDATE2;
	if (left >= 4 && simple_push(c[0]) && simple_push(c[1]) && compare(c[2]) && cond_branch(c[3]))
		return c[2].base == OP_SLT && c[3].base == OP_BF ? OP_F_LT_BRANCH : OP_F_CMP_BRANCH;
	if (left >= 4 && simple_push(c[0]) && simple_push(c[1]) && arith(c[2]) && script_call(c[3], 1))
		return OP_F_ARITH_CALL;
	if (left >= 4 && simple_push(c[0]) && simple_push(c[1]) && arith(c[2]) && c[3].base == OP_RET)
		return OP_F_ARITH_PUSH_RET;
	if (left >= 3 && simple_push(c[0]) && simple_push(c[1]) && script_call(c[2], 2))
		return OP_F_PUSH2_CALL;
	if (left >= 4 && simple_push(c[0]) && simple_push(c[1]) && arith(c[2]) && plain_pop(c[3]))
		return OP_F_ARITH_POP;
	if (left >= 5 && simple_push(c[0]) && simple_push(c[1]) && arith(c[2]) && simple_push(c[3]) && arith(c[4]))
		return OP_F_ARITH2_PUSH;
	if (left >= 6 && slot_access(c[0], OP_PUSH) && simple_push(c[1]) && conv_to_int(c[2]) &&
	    element(c[3], OP_PUSH) && c[4].base == OP_ADD && slot_access(c[5], OP_POP))
		return OP_F_SLOT_ADD_ELEMENT;
	if (left >= 6 && simple_push(c[0]) && simple_push(c[1]) && conv_to_int(c[2]) && element(c[3], OP_PUSH) &&
	    arith(c[4]) && plain_pop(c[5]))
		return OP_F_ELEMENT_ARITH_POP;
	if (left >= 5 && simple_push(c[0]) && simple_push(c[1]) && conv_to_int(c[2]) && element(c[3], OP_PUSH) &&
	    arith(c[4]))
		return OP_F_ELEMENT_ARITH;
	if (left >= 4 && slot_access(c[0], OP_PUSH) && slot_access(c[1], OP_PUSH) && conv_to_int(c[2]) &&
	    element(c[3], OP_POP))
		return OP_F_SLOT_STORE_ELEMENT;
	if (left >= 4 && simple_push(c[0]) && simple_push(c[1]) && conv_to_int(c[2]) && element(c[3], OP_POP))
		return OP_F_STORE_ELEMENT;
	if (left >= 3 && simple_push(c[0]) && simple_push(c[1]) && arith(c[2]))
		return OP_F_ARITH_PUSH;
	if (left >= 3 && simple_push(c[0]) && conv_to_int(c[1]) && element(c[2], OP_PUSH))
		return OP_F_PUSH_ELEMENT;
	if (left >= 3 && simple_push(c[0]) && conv_to_int(c[1]) && element(c[2], OP_POP))
		return OP_F_POP_ELEMENT;
	if (left >= 2 && simple_push(c[0]) && arith(c[1]))
		return OP_F_ARITH_K;
	if (left >= 2 && arith(c[0]) && plain_pop(c[1]))
		return OP_F_ARITH_STORE;
	if (left >= 2 && simple_push(c[0]) && c[1].base == OP_RET)
		return OP_F_PUSH_RET;
	if (left >= 2 && arith(c[0]) && c[1].base == OP_RET)
		return OP_F_ARITH_RET;
	if (c[0].t1 == TYPE_VARIABLE && c[0].fast == VAR_FAST_SLOT && (c[0].base == OP_PUSH || c[0].base == OP_POP))
		return c[0].base == OP_PUSH ? OP_F_PUSH_SLOT : OP_F_POP_SLOT;
	return c[0].base;
}

} // namespace

void fuse_program(Program &program)
{
	std::vector<Instr> &code = program.code;
	for (size_t i = 0; i < code.size(); i++)
		code[i].handler = combined(&code[i], code.size() - i);
	// A jump back to a loop's test runs the test itself, saving a dispatch
	// on every round.
	for (Instr &in : code)
		if (in.base == OP_B && in.field >= 0 && (size_t)in.field < code.size() &&
		    (code[(size_t)in.field].handler == OP_F_CMP_BRANCH || code[(size_t)in.field].handler == OP_F_LT_BRANCH)) {
			const Instr *test = &code[(size_t)in.field];
			in.handler = test[2].base == OP_SLT && test[3].base == OP_BF ? OP_F_JUMP_LT : OP_F_JUMP_CMP;
		}
	// A loop's step on a slot local followed by the jump to its test.
	for (size_t i = 0; i + 4 < code.size(); i++)
		if (code[i].handler == OP_F_SLOT_ARITH_K && code[i + 4].handler == OP_F_JUMP_LT) {
			const Instr *test = &code[(size_t)code[i + 4].field];
			bool slots = slot_access(test[0], OP_PUSH) && slot_access(test[1], OP_PUSH);
			code[i].handler = slots && code[i + 2].base == OP_ADD ? OP_F_SLOT_STEP_LT_SLOTS : OP_F_SLOT_STEP_LT;
		}
	// A loop whose whole body is a[i] = x or t += a[i] on locals in slots,
	// then that step and test: the body runs the loop itself.
	for (size_t i = 0; i + 4 < code.size(); i++) {
		if (code[i].handler != OP_F_SLOT_STEP_LT_SLOTS)
			continue;
		size_t body = (size_t)code[i + 4].field + 4;
		if (body + 4 == i && code[body].handler == OP_F_SLOT_STORE_ELEMENT)
			code[body].handler = OP_F_SLOT_STORE_LOOP;
		else if (body + 6 == i && code[body].handler == OP_F_SLOT_ADD_ELEMENT && slot_access(code[body + 1], OP_PUSH))
			code[body].handler = OP_F_SLOT_ADD_LOOP;
	}
	// A conv keeps the variable of the array element after it for the
	// combined handlers: nothing kept yet, whatever its word held.
	for (Instr &in : code)
		if (in.base == OP_CONV) {
			in.field = 0;
			in.cache = 0;
			in.found = nullptr;
		}
}
