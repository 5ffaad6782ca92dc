// machine_loop.cpp: the run loop of the bytecode machine: dispatch through a
// table of label addresses on the decoded instructions, the stack discipline,
// operators, and the combined handlers of common sequences.
#include "code/vm/machine_access.h"

// The loop. Returns true when the piece ran to its end.
bool vm_run_loop(Machine &m)
{
	static void *const labels[OP_HANDLER_COUNT] = {
#define OPCODE(id, name, code, format, pops, pushes) &&L_##id,
#include "code/vm/opcodes.def"
#undef OPCODE
		&&L_NOP,
		&&L_END,
		&&L_F_CMP_BRANCH,
		&&L_F_ARITH_PUSH,
		&&L_F_ARITH_POP,
		&&L_F_ARITH_K,
		&&L_F_ARITH_STORE,
		&&L_F_PUSH_ELEMENT,
		&&L_F_POP_ELEMENT,
		&&L_F_JUMP_CMP,
	};
	const VMSettings &settings = vm_settings();
	const bool slow = vm_counting_instructions() || settings.trace_instructions || !settings.breakpoints.empty();
	CCode *bp_code = nullptr;
	int bp_line = -2;
	const Instr *ip = m.instrs;
	const Instr *in;
	SlotError error;

// Counting, tracing and breakpoints see every instruction: no combined handlers.
#define DISPATCH()                                                       \
	do {                                                                 \
		in = ip++;                                                       \
		m.current = in;                                                  \
		if (__builtin_expect(slow, 0)) {                                 \
			if (!vm_slow_step(m, in, bp_code, bp_line))                     \
				return false;                                            \
			goto *labels[in->base];                                      \
		}                                                                \
		goto *labels[in->handler];                                       \
	} while (0)
// A combined handler whose operands are not all plain runs its first
// instruction alone.
#define UNFUSED() goto *labels[in->base]
#define FAIL(message)               \
	do {                            \
		vm_fail(m, message);        \
		return false;               \
	} while (0)
#define NEED(n)                                                                    \
	if (__builtin_expect(m.sp - m.base < (n), 0))                                 \
	FAIL("Execution Error - stack underflow (malformed bytecode)")
#define ROOM(n)                                         \
	if (__builtin_expect(m.sp + (n) > m.limit, 0))     \
	FAIL("Execution Error - stack overflow")
#define BINARY(fn)                        \
	NEED(2);                              \
	error = fn(m.sp[-2], m.sp[-1]);       \
	m.sp--;                               \
	if (error)                            \
		FAIL(error);                      \
	DISPATCH()

	DISPATCH();

L_CONV:
	NEED(1);
	error = slot_conv(m.sp[-1], in->t2);
	if (error)
		FAIL(error);
	DISPATCH();
L_MUL:
	if (arith_fast(m, [](double a, double b) { return a * b; }))
		DISPATCH();
	BINARY(slot_mul);
L_DIV:
	BINARY(slot_div);
L_REM:
	BINARY(slot_rem);
L_MOD:
	BINARY(slot_mod);
L_ADD:
	if (arith_fast(m, [](double a, double b) { return a + b; }))
		DISPATCH();
	BINARY(slot_add);
L_SUB:
	if (arith_fast(m, [](double a, double b) { return a - b; }))
		DISPATCH();
	BINARY(slot_sub);
L_AND:
	BINARY(slot_and);
L_OR:
	BINARY(slot_or);
L_XOR:
	BINARY(slot_xor);
L_SHL:
	BINARY(slot_shl);
L_SHR:
	BINARY(slot_shr);
L_NEG:
	NEED(1);
	error = slot_neg(m.sp[-1]);
	if (error)
		FAIL(error);
	DISPATCH();
L_NOT:
	NEED(1);
	error = slot_not(m.sp[-1]);
	if (error)
		FAIL(error);
	DISPATCH();
L_SLT:
L_SLE:
L_SEQ:
L_SNE:
L_SGE:
L_SGT:
	NEED(2);
	{
		double left, right;
		bool value = false;
		if (both_reals(m.sp[-2], m.sp[-1], left, right, value)) {
			// Written field by field: a whole temporary slot costs a stall.
			Slot &out = m.sp[-2];
			out.l = 0;
			out.b = compare_doubles(in->base, left, right);
			set_tag(out, SLOT_BOOL, 0);
			m.sp--;
			DISPATCH();
		}
	}
	error = slot_compare((Comparison)(in->base - OP_SLT), m.sp[-2], m.sp[-1]);
	m.sp--;
	if (error)
		FAIL(error);
	DISPATCH();
L_POP:
	if (in->fast != VAR_FAST_NONE && !in->indexed && pop_variable_fast(m, in))
		DISPATCH();
	if (!pop_variable(m, in))
		return false;
	DISPATCH();
L_DUP:
	NEED(1);
	ROOM(1);
	*m.sp = slot_dup(m.sp[-1]);
	m.sp++;
	DISPATCH();
L_RET:
	NEED(1);
	if (m.depth == 0)
		return true; // the result stays on top
	m.sp--;
	ip = vm_return(m, m.sp);
	DISPATCH();
L_EXIT:
	if (m.depth == 0)
		return true;
	ip = vm_return(m, nullptr);
	DISPATCH();
L_POPZ:
	NEED(1);
	slot_free(*--m.sp);
	DISPATCH();
L_B:
	if (__builtin_expect(m.instrs + in->field == in, 0))
		FAIL("Execution Error - a branch jumps to itself and would never end");
	ip = m.instrs + in->field;
	DISPATCH();
L_BT:
L_BF: {
	NEED(1);
	bool truth = false;
	if (!pop_truth(m, truth))
		return false;
	if (truth == (in->base == OP_BT))
		ip = m.instrs + in->field;
	DISPATCH();
}
L_PUSHENV:
	NEED(1);
	ip = vm_pushenv(m, in);
	if (!ip)
		return false;
	vm_set_stores(m);
	DISPATCH();
L_POPENV:
	ip = vm_popenv(m, in);
	if (!ip)
		return false;
	vm_set_stores(m);
	DISPATCH();
L_PUSH:
	ROOM(1);
	if (in->t1 == TYPE_VARIABLE && in->fast != VAR_FAST_NONE && !in->indexed && push_variable_fast(m, in))
		DISPATCH();
	if (in->t1 == TYPE_DOUBLE) {
		Slot &top = *m.sp++;
		top.d = in->d;
		top.s = nullptr;
		set_tag(top, SLOT_DOUBLE, VALUE_REAL);
		DISPATCH();
	}
	if (!push_operand(m, in))
		return false;
	DISPATCH();
L_CALL: {
	if (in->t1 != TYPE_INT)
		FAIL("DoCall :: Execution Engine type error");
	int argc = in->field;
	int32_t id = in->i;
	NEED(argc);
	if (id >= SCRIPT_ID_BASE && id < EXTENSION_ID_BASE) {
		ip = vm_call_script(m, in, id - SCRIPT_ID_BASE, argc);
		if (!ip)
			return false;
		DISPATCH();
	}
	if (id < 0 || (id < SCRIPT_ID_BASE && !function_entry(id)))
		FAIL("DoCall :: Execution Error - unknown function id " + std::to_string(id));
	if (argc > MAX_ARGUMENTS)
		FAIL("DoCall :: Execution Error - more than 16 arguments to " + vm_function_name(id));
	if (!vm_call_function(m, id, argc))
		return false;
	DISPATCH();
}
L_BREAK:
L_NOP:
	DISPATCH();
L_END:
	if (m.depth == 0)
		return true;
	ip = vm_return(m, nullptr);
	DISPATCH();

L_F_CMP_BRANCH: {
	double a, b;
	bool value = false;
	if (m.sp + 2 > m.limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, b, value))
		UNFUSED();
	const Instr *branch = in + 3;
	ip = compare_doubles(in[2].base, a, b) == (branch->base == OP_BT) ? m.instrs + branch->field : in + 4;
	DISPATCH();
}
L_F_JUMP_CMP: {
	const Instr *test = m.instrs + in->field;
	double a, b;
	bool value = false;
	if (test == in || m.sp + 2 > m.limit || !simple_real(m, test, a, value) || !simple_real(m, test + 1, b, value))
		UNFUSED();
	const Instr *branch = test + 3;
	ip = compare_doubles(test[2].base, a, b) == (branch->base == OP_BT) ? m.instrs + branch->field : test + 4;
	DISPATCH();
}
L_F_ARITH_PUSH: {
	double a, b;
	bool value = false;
	if (m.sp + 2 > m.limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, b, value))
		UNFUSED();
	Slot &top = *m.sp++;
	top.l = 0;
	top.s = nullptr;
	set_real_result(top, arith_of(in[2].base, a, b), value);
	ip = in + 3;
	DISPATCH();
}
L_F_ARITH_POP: {
	double a, b;
	bool value = false;
	if (m.sp + 2 > m.limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, b, value))
		UNFUSED();
	Value *target = fast_target(m, in + 3);
	if (!target)
		UNFUSED();
	target->set_real(arith_of(in[2].base, a, b));
	set_variable_index_out_of_range(false);
	ip = in + 4;
	DISPATCH();
}
L_F_ARITH_K: {
	double a, b;
	bool value = false;
	if (m.sp - m.base < 1 || m.sp + 1 > m.limit || !real_of(m.sp[-1], a, value) ||
	    !simple_real(m, in, b, value))
		UNFUSED();
	set_real_result(m.sp[-1], arith_of(in[1].base, a, b), value);
	ip = in + 2;
	DISPATCH();
}
L_F_ARITH_STORE: {
	double a, b;
	bool value = false;
	if (m.sp - m.base < 2 || !both_reals(m.sp[-2], m.sp[-1], a, b, value))
		UNFUSED();
	Value *target = fast_target(m, in + 1);
	if (!target)
		UNFUSED();
	target->set_real(arith_of(in->base, a, b));
	set_variable_index_out_of_range(false);
	m.sp -= 2;
	ip = in + 2;
	DISPATCH();
}
L_F_PUSH_ELEMENT: {
	double x;
	bool value = false;
	if (m.sp + 1 > m.limit || !simple_real(m, in, x, value))
		UNFUSED();
	const Value *element = fast_element(m, in + 2, truncate_to_int32(x));
	if (!element)
		UNFUSED();
	Slot &top = *m.sp++;
	if (element->is_real()) {
		top.l = 0;
		top.d = element->real();
		top.s = nullptr;
		set_tag(top, SLOT_VALUE, VALUE_REAL);
	} else {
		top = slot_value_copy(*element);
	}
	set_variable_index_out_of_range(false);
	ip = in + 3;
	DISPATCH();
}
L_F_POP_ELEMENT: {
	double x, stored;
	bool value = false;
	if (m.sp - m.base < 1 || m.sp + 1 > m.limit || !real_of(m.sp[-1], stored, value) ||
	    !simple_real(m, in, x, value))
		UNFUSED();
	Value *element = fast_element(m, in + 2, truncate_to_int32(x));
	if (!element)
		UNFUSED();
	element->set_real(stored);
	set_variable_index_out_of_range(false);
	m.sp--;
	ip = in + 3;
	DISPATCH();
}

#undef UNFUSED
#undef DISPATCH
#undef FAIL
#undef NEED
#undef ROOM
#undef BINARY
}
