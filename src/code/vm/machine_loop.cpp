// machine_loop.cpp: the run loop of the bytecode machine: dispatch through a
// table of label addresses on the decoded instructions, the stack discipline,
// operators; the combined handlers of common sequences are in
// fused_handlers.inc, included in the loop's body.
#include "code/vm/call_path.h"

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
		&&L_F_PUSH_SLOT,
		&&L_F_POP_SLOT,
		&&L_F_ARITH2_PUSH,
		&&L_F_STORE_ELEMENT,
		&&L_F_ELEMENT_ARITH,
		&&L_F_ELEMENT_ARITH_POP,
		&&L_F_SLOT_ARITH_K,
		&&L_F_SLOT_UPDATE2,
		&&L_F_JUMP_LT,
		&&L_F_SLOT_STEP_LT,
		&&L_F_SLOT_ADD_ELEMENT,
		&&L_F_SLOT_STORE_ELEMENT,
		&&L_F_SLOT_STEP_LT_SLOTS,
		&&L_F_LT_BRANCH,
		&&L_F_ARITH_CALL,
		&&L_F_PUSH2_CALL,
		&&L_F_PUSH_RET,
		&&L_F_ARITH_RET,
		&&L_F_ARITH_PUSH_RET,
		&&L_F_SLOT_STORE_LOOP,
		&&L_F_SLOT_ADD_LOOP,
	};
	static_assert(sizeof(labels) / sizeof(labels[0]) == OP_HANDLER_COUNT);
	const VMSettings &settings = vm_settings();
	const bool slow = vm_counting_instructions() || settings.trace_instructions || !settings.breakpoints.empty();
	// Counting, tracing and breakpoints see every instruction: dispatch then
	// goes through a table that sends every handler to the slow step, which
	// runs the instruction's own handler (no combined handlers).
	void *slow_labels[OP_HANDLER_COUNT];
	if (slow)
		for (void *&label : slow_labels)
			label = &&L_SLOW_STEP;
	void *const *const table = slow ? slow_labels : labels;
	CCode *bp_code = nullptr;
	int bp_line = -2;
	const Instr *ip = m.instrs;
	const Instr *in = ip;
	SlotError error;
	// The stack registers in locals, so that the handlers keep them in
	// machine registers; m holds them (SAVE, with the instruction being
	// executed, for error reports) across every call that reads or moves the
	// stack, and they are taken back (LOAD) after it.
	Slot *sp = m.sp, *base = m.base, *limit = m.limit;
#define SAVE() (m.sp = sp, m.current = in)
#define LOAD() (sp = m.sp, base = m.base, limit = m.limit)

#define DISPATCH()                   \
	do {                             \
		in = ip++;                   \
		goto *table[in->handler];    \
	} while (0)
// The usual successor of a combined handler is reached by a direct jump when
// it is next (only ever in the fast table: the slow one runs no combined
// handler), the table otherwise.
#define DISPATCH_IF_NEXT(next)                      \
	do {                                            \
		if (ip->handler == OP_##next) {             \
			in = ip++;                              \
			goto L_##next;                          \
		}                                           \
		DISPATCH();                                 \
	} while (0)
// A combined handler whose operands are not all plain runs its first
// instruction alone.
#define UNFUSED() goto *labels[in->base]
#define FAIL(message)               \
	do {                            \
		SAVE();                     \
		vm_fail(m, message);        \
		return false;               \
	} while (0)
#define NEED(n)                                                                    \
	if (__builtin_expect(sp - base < (n), 0))                                     \
	FAIL("Execution Error - stack underflow (malformed bytecode)")
#define ROOM(n)                                         \
	if (__builtin_expect(sp + (n) > limit, 0))         \
	FAIL("Execution Error - stack overflow")
#define BINARY(fn)                        \
	NEED(2);                              \
	error = fn(sp[-2], sp[-1]);           \
	sp--;                                 \
	if (error)                            \
		FAIL(error);                      \
	DISPATCH()

	DISPATCH();

L_SLOW_STEP:
	SAVE();
	if (!vm_slow_step(m, in, bp_code, bp_line))
		return false;
	goto *labels[in->base];
L_CONV:
	NEED(1);
	error = slot_conv(sp[-1], in->t2);
	if (error)
		FAIL(error);
	DISPATCH();
L_MUL:
	if (arith_fast(sp, base, [](double a, double b) { return a * b; }))
		DISPATCH();
	BINARY(slot_mul);
L_DIV:
	BINARY(slot_div);
L_REM:
	BINARY(slot_rem);
L_MOD:
	BINARY(slot_mod);
L_ADD:
	if (arith_fast(sp, base, [](double a, double b) { return a + b; }))
		DISPATCH();
	BINARY(slot_add);
L_SUB:
	if (arith_fast(sp, base, [](double a, double b) { return a - b; }))
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
	error = slot_neg(sp[-1]);
	if (error)
		FAIL(error);
	DISPATCH();
L_NOT:
	NEED(1);
	error = slot_not(sp[-1]);
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
		if (both_reals(sp[-2], sp[-1], left, right, value)) {
			// Written field by field: a whole temporary slot costs a stall.
			Slot &out = sp[-2];
			out.l = 0;
			out.b = compare_doubles(in->base, left, right);
			set_tag(out, SLOT_BOOL, 0);
			sp--;
			DISPATCH();
		}
	}
	error = slot_compare((Comparison)(in->base - OP_SLT), sp[-2], sp[-1]);
	sp--;
	if (error)
		FAIL(error);
	DISPATCH();
L_POP:
	if (in->fast != VAR_FAST_NONE && !in->indexed && pop_variable_fast(m, in, sp, base))
		DISPATCH();
	SAVE();
	if (!pop_variable(m, in))
		return false;
	LOAD();
	DISPATCH();
L_DUP:
	NEED(1);
	ROOM(1);
	*sp = slot_dup(sp[-1]);
	sp++;
	DISPATCH();
L_RET:
	NEED(1);
	if (m.depth == 0) {
		SAVE();
		return true; // the result stays on top
	}
	sp--;
	if (const Instr *next = return_fast(m, sp, sp, base, limit)) {
		ip = next;
		DISPATCH();
	}
	SAVE();
	ip = vm_return(m, m.sp);
	LOAD();
	DISPATCH();
L_EXIT:
L_END:
	if (m.depth == 0) {
		SAVE();
		return true;
	}
	if (const Instr *next = return_fast(m, nullptr, sp, base, limit)) {
		ip = next;
		DISPATCH();
	}
	SAVE();
	ip = vm_return(m, nullptr);
	LOAD();
	DISPATCH();
L_POPZ:
	NEED(1);
	slot_free(*--sp);
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
	if (!pop_truth(m, in, sp, truth))
		return false;
	if (truth == (in->base == OP_BT))
		ip = m.instrs + in->field;
	DISPATCH();
}
L_PUSHENV:
	NEED(1);
	SAVE();
	ip = vm_pushenv(m, in);
	if (!ip)
		return false;
	LOAD();
	vm_set_stores(m);
	DISPATCH();
L_POPENV:
	SAVE();
	ip = vm_popenv(m, in);
	if (!ip)
		return false;
	LOAD();
	vm_set_stores(m);
	DISPATCH();
L_PUSH:
	ROOM(1);
	if (in->t1 == TYPE_VARIABLE && in->fast != VAR_FAST_NONE && !in->indexed && push_variable_fast(m, in, sp))
		DISPATCH();
	if (in->t1 == TYPE_DOUBLE) {
		Slot &top = *sp++;
		top.d = in->d;
		top.s = nullptr;
		set_tag(top, SLOT_DOUBLE, VALUE_REAL);
		DISPATCH();
	}
	SAVE();
	if (!push_operand(m, in))
		return false;
	LOAD();
	DISPATCH();
L_CALL: {
	if (in->t1 != TYPE_INT)
		FAIL("DoCall :: Execution Engine type error");
	int argc = in->field;
	int32_t id = in->i;
	NEED(argc);
	if (id >= SCRIPT_ID_BASE && id < EXTENSION_ID_BASE) {
		if (const Instr *entry = enter_script_fast(m, in, argc, sp, base, limit)) {
			ip = entry;
			DISPATCH();
		}
		SAVE();
		ip = vm_call_script(m, in, id - SCRIPT_ID_BASE, argc);
		if (!ip)
			return false;
		LOAD();
		DISPATCH();
	}
	if (id < 0 || (id < SCRIPT_ID_BASE && !function_entry(id)))
		FAIL("DoCall :: Execution Error - unknown function id " + std::to_string(id));
	if (argc > MAX_ARGUMENTS)
		FAIL("DoCall :: Execution Error - more than 16 arguments to " + vm_function_name(id));
	SAVE();
	if (!vm_call_function(m, id, argc))
		return false;
	LOAD();
	DISPATCH();
}
L_BREAK:
L_NOP:
	DISPATCH();

#include "code/vm/fused_handlers.inc"

#undef SAVE
#undef LOAD
#undef UNFUSED
#undef DISPATCH
#undef DISPATCH_IF_NEXT
#undef FAIL
#undef NEED
#undef ROOM
#undef BINARY
}
