// machine_loop.cpp: the run loop of the bytecode machine: dispatch through a
// table of label addresses on the decoded instructions, the stack discipline,
// operators, and the combined handlers of common sequences.
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
		if (const Instr *entry = enter_script_fast(m, in, id - SCRIPT_ID_BASE, argc, sp, base, limit)) {
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

L_F_CMP_BRANCH: {
	double a, b;
	bool value = false;
	if (sp + 2 > limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, b, value))
		UNFUSED();
	const Instr *branch = in + 3;
	ip = compare_doubles(in[2].base, a, b) == (branch->base == OP_BT) ? m.instrs + branch->field : in + 4;
	DISPATCH();
}
L_F_JUMP_CMP: {
	const Instr *test = m.instrs + in->field;
	double a, b;
	bool value = false;
	if (test == in || sp + 2 > limit || !simple_real(m, test, a, value) || !simple_real(m, test + 1, b, value))
		UNFUSED();
	const Instr *branch = test + 3;
	ip = compare_doubles(test[2].base, a, b) == (branch->base == OP_BT) ? m.instrs + branch->field : test + 4;
	DISPATCH();
}
L_F_JUMP_LT: {
	// The common loop test `a < b` with its comparison known at decode.
	const Instr *test = m.instrs + in->field;
	double a, b;
	bool value = false;
	if (test == in || sp + 2 > limit || !simple_real(m, test, a, value) || !simple_real(m, test + 1, b, value))
		UNFUSED();
	ip = a - b < -COMPARE_EPSILON ? test + 4 : m.instrs + test[3].field;
	DISPATCH();
}
L_F_ARITH_PUSH: {
	double a, b;
	bool value = false;
	if (sp + 2 > limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, b, value))
		UNFUSED();
	Slot &top = *sp++;
	top.l = 0;
	top.s = nullptr;
	set_real_result(top, arith_of(in[2].base, a, b), value);
	ip = in + 3;
	DISPATCH();
}
L_F_ARITH_POP: {
	double a, b;
	bool value = false;
	if (sp + 2 > limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, b, value))
		UNFUSED();
	Value *target = fast_target(m, in + 3);
	if (!target)
		UNFUSED();
	target->set_real(arith_of(in[2].base, a, b));
	ip = in + 4;
	DISPATCH();
}
L_F_ARITH_K: {
	double a, b;
	bool value = false;
	if (sp - base < 1 || sp + 1 > limit || !real_of(sp[-1], a, value) ||
	    !simple_real(m, in, b, value))
		UNFUSED();
	set_real_result(sp[-1], arith_of(in[1].base, a, b), value);
	ip = in + 2;
	DISPATCH();
}
L_F_ARITH_STORE: {
	double a, b;
	bool value = false;
	if (sp - base < 2 || !both_reals(sp[-2], sp[-1], a, b, value))
		UNFUSED();
	Value *target = fast_target(m, in + 1);
	if (!target)
		UNFUSED();
	target->set_real(arith_of(in->base, a, b));
	sp -= 2;
	ip = in + 2;
	DISPATCH();
}
L_F_PUSH_ELEMENT: {
	double x;
	bool value = false;
	if (sp + 2 > limit || !simple_real(m, in, x, value))
		UNFUSED();
	const Value *element = fast_element(m, in + 2, x);
	if (!element)
		UNFUSED();
	Slot &top = *sp++;
	if (element->is_real()) {
		top.l = 0;
		top.d = element->real();
		top.s = nullptr;
		set_tag(top, SLOT_VALUE, VALUE_REAL);
	} else {
		top = slot_value_copy(*element);
	}
	ip = in + 3;
	DISPATCH();
}
L_F_POP_ELEMENT: {
	double x, stored;
	bool value = false;
	if (sp - base < 1 || sp + 1 > limit || !real_of(sp[-1], stored, value) ||
	    !simple_real(m, in, x, value))
		UNFUSED();
	Value *element = fast_element_to_write(m, in + 2, x);
	if (!element)
		UNFUSED();
	element->set_real(stored);
	sp--;
	ip = in + 3;
	DISPATCH();
}

L_F_PUSH_SLOT: {
	// Strings and a local not yet written take the general push.
	const Value &v = m.frame[in->aux];
	if (sp + 1 > limit || v.kind() != VALUE_REAL)
		UNFUSED();
	Slot &top = *sp++;
	top.d = v.real();
	top.s = nullptr;
	set_tag(top, SLOT_VALUE, VALUE_REAL);
	DISPATCH();
}
L_F_POP_SLOT: {
	Value &v = m.frame[in->aux];
	double x;
	bool value = false;
	if (sp - base < 1 || v.kind() != VALUE_REAL || !real_of(sp[-1], x, value))
		UNFUSED();
	v.overwrite_real(x);
	sp--;
	DISPATCH();
}
L_F_ARITH2_PUSH: {
	double a, b, c;
	bool value = false;
	if (sp + 2 > limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, b, value) ||
	    !simple_real(m, in + 3, c, value))
		UNFUSED();
	Slot &top = *sp++;
	top.s = nullptr;
	set_real_result(top, arith_of(in[4].base, arith_of(in[2].base, a, b), c), value);
	ip = in + 5;
	DISPATCH();
}
L_F_STORE_ELEMENT: {
	double stored, x;
	bool value = false;
	if (sp + 2 > limit || !simple_real(m, in, stored, value) || !simple_real(m, in + 1, x, value))
		UNFUSED();
	Value *element = fast_element_to_write(m, in + 3, x);
	if (!element)
		UNFUSED();
	element->set_real(stored);
	ip = in + 4;
	DISPATCH();
}
L_F_ELEMENT_ARITH:
L_F_ELEMENT_ARITH_POP: {
	double a, x;
	bool value = true; // the element's push makes a Value
	if (sp + 3 > limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, x, value))
		UNFUSED();
	const Value *element = fast_element(m, in + 3, x);
	if (!element || !element->is_real())
		UNFUSED();
	double result = arith_of(in[4].base, a, element->real());
	if (in->handler == OP_F_ELEMENT_ARITH) {
		Slot &top = *sp++;
		top.s = nullptr;
		set_real_result(top, result, value);
		ip = in + 5;
		DISPATCH();
	}
	Value *target = fast_target(m, in + 5);
	if (!target)
		UNFUSED();
	target->set_real(result);
	ip = in + 6;
	DISPATCH();
}
L_F_SLOT_ARITH_K:
L_F_SLOT_STEP_LT: {
	// i += 1 on locals in slots: no operand kinds to find out at run time.
	const Value &a = m.frame[in->aux];
	Value &target = m.frame[in[3].aux];
	if (sp + 2 > limit || a.kind() != VALUE_REAL || target.kind() != VALUE_REAL)
		UNFUSED();
	target.overwrite_real(arith_of(in[2].base, a.real(), in[1].d));
	ip = in + 4;
	if (in->handler == OP_F_SLOT_ARITH_K)
		DISPATCH();
	in = ip++; // the jump to the loop's test, which may step aside itself
	goto L_F_JUMP_LT;
}
L_F_SLOT_STEP_LT_SLOTS: {
	// The step i += k, then the test a < b read straight from the slots (the
	// jump's target is the test, never the jump itself).
	const Value &a = m.frame[in->aux];
	Value &target = m.frame[in[3].aux];
	if (sp + 2 > limit || a.kind() != VALUE_REAL || target.kind() != VALUE_REAL)
		UNFUSED();
	target.overwrite_real(a.real() + in[1].d);
	in += 4;
	ip = in + 1;
	const Instr *test = m.instrs + in->field;
	const Value &left = m.frame[test[0].aux], &right = m.frame[test[1].aux];
	if (left.kind() != VALUE_REAL || right.kind() != VALUE_REAL)
		goto L_F_JUMP_LT; // the test steps aside there
	if (left.real() - right.real() >= -COMPARE_EPSILON) {
		ip = m.instrs + test[3].field;
		DISPATCH();
	}
	// The loop's body: commonly one combined handler on an array element.
	ip = test + 4;
	if (ip->handler == OP_F_SLOT_STORE_ELEMENT) {
		in = ip++;
		goto L_F_SLOT_STORE_ELEMENT;
	}
	DISPATCH_IF_NEXT(F_SLOT_ADD_ELEMENT);
}
L_F_SLOT_UPDATE2: {
	// x op= a op b op c, x and the target locals in slots.
	const Value &x = m.frame[in->aux];
	double a, b, c;
	bool value = true;
	Value &target = m.frame[in[7].aux];
	if (sp + 3 > limit || x.kind() != VALUE_REAL || !simple_real(m, in + 1, a, value) ||
	    !simple_real(m, in + 2, b, value) || !simple_real(m, in + 4, c, value) ||
	    target.kind() != VALUE_REAL)
		UNFUSED();
	double right = arith_of(in[5].base, arith_of(in[3].base, a, b), c);
	target.overwrite_real(arith_of(in[6].base, x.real(), right));
	ip = in + 8;
	DISPATCH();
}
L_F_SLOT_ADD_ELEMENT: {
	// x += a[i] into a local in a slot, the addition known at decode.
	const Value &x = m.frame[in->aux];
	Value &target = m.frame[in[5].aux];
	double i;
	bool value = true;
	if (sp + 3 > limit || x.kind() != VALUE_REAL || target.kind() != VALUE_REAL ||
	    !simple_real(m, in + 1, i, value))
		UNFUSED();
	const Value *element = fast_element(m, in + 3, i);
	if (!element || !element->is_real())
		UNFUSED();
	target.overwrite_real(x.real() + element->real());
	ip = in + 6;
	DISPATCH_IF_NEXT(F_SLOT_STEP_LT_SLOTS);
}
L_F_SLOT_STORE_ELEMENT: {
	// a[i] = x, x and i locals in slots.
	const Value &x = m.frame[in->aux];
	const Value &i = m.frame[in[1].aux];
	if (sp + 2 > limit || x.kind() != VALUE_REAL || i.kind() != VALUE_REAL)
		UNFUSED();
	Value *element = fast_element_to_write(m, in + 3, i.real());
	if (!element)
		UNFUSED();
	if (element->is_real())
		element->overwrite_real(x.real());
	else
		element->set_real(x.real());
	ip = in + 4;
	DISPATCH_IF_NEXT(F_SLOT_STEP_LT_SLOTS);
}
L_F_SLOT_STORE_LOOP:
L_F_SLOT_ADD_LOOP: {
	// A whole loop `while (i < n) { body; i += k }` whose body is a[i] = x or
	// t += a[i], its locals in slots: the body's and the step's combined
	// handlers run round after round in this one place, which reads the
	// operands' places once. What either would step aside for ends the loop
	// here at that instruction.
	const bool store = in->handler == OP_F_SLOT_STORE_LOOP;
	const Instr *body = in, *step = in + (store ? 4 : 6);
	const Instr *test = m.instrs + step[4].field;
	Value *frame = m.frame;
	const Value &x = frame[body->aux], &i = frame[body[1].aux];
	Value &sum = frame[body[store ? 0 : 5].aux]; // the add's target (unused by a store)
	const Value &a = frame[step->aux];
	Value &target = frame[step[3].aux];
	const Value &left = frame[test->aux], &right = frame[test[1].aux];
	const double k = step[1].d;
	if (sp + 3 > limit)
		UNFUSED();
	// The usual shape, i += k and i < n with a[i] indexed by that i (and t
	// += a[i] into the t it reads): i and t go from round to round in
	// registers, still written to their slots every round, so that nothing
	// waits on reading back what the round before wrote.
	if (&a == &target && &left == &target && &i == &target && &right != &target && a.kind() == VALUE_REAL &&
	    x.kind() == VALUE_REAL && (store || (&sum == &x && &sum != &target))) {
		double counter = a.real(), total = x.real();
		for (;;) {
			if (store) {
				double stored = &x == &target ? counter : x.real();
				if (x.kind() != VALUE_REAL)
					goto loop_body_aside;
				Value *element = fast_element_to_write(m, body + 3, counter);
				if (!element)
					goto loop_body_aside;
				if (element->is_real())
					element->overwrite_real(stored);
				else
					element->set_real(stored);
			} else {
				const Value *element = fast_element(m, body + 3, counter);
				if (!element || !element->is_real())
					goto loop_body_aside;
				total += element->real();
				sum.overwrite_real(total);
			}
			counter += k;
			target.overwrite_real(counter);
			if (right.kind() != VALUE_REAL) {
				in = step + 4;
				ip = in + 1;
				goto L_F_JUMP_LT; // the test steps aside there
			}
			if (counter - right.real() >= -COMPARE_EPSILON) {
				ip = m.instrs + test[3].field;
				DISPATCH();
			}
		}
	}
	for (;;) {
		if (x.kind() != VALUE_REAL || i.kind() != VALUE_REAL)
			break;
		if (store) {
			Value *element = fast_element_to_write(m, body + 3, i.real());
			if (!element)
				break;
			if (element->is_real())
				element->overwrite_real(x.real());
			else
				element->set_real(x.real());
		} else {
			const Value *element = sum.kind() == VALUE_REAL ? fast_element(m, body + 3, i.real()) : nullptr;
			if (!element || !element->is_real())
				break;
			sum.overwrite_real(x.real() + element->real());
		}
		if (a.kind() != VALUE_REAL || target.kind() != VALUE_REAL) {
			in = step;
			ip = in + 1;
			UNFUSED();
		}
		target.overwrite_real(a.real() + k);
		if (left.kind() != VALUE_REAL || right.kind() != VALUE_REAL) {
			in = step + 4;
			ip = in + 1;
			goto L_F_JUMP_LT; // the test steps aside there
		}
		if (left.real() - right.real() >= -COMPARE_EPSILON) {
			ip = m.instrs + test[3].field;
			DISPATCH();
		}
	}
loop_body_aside:
	in = body; // the body steps aside
	ip = in + 1;
	UNFUSED();
}
L_F_LT_BRANCH: {
	// An `if a < b` or a loop's test, the comparison known at decode.
	double a, b;
	bool value = false;
	if (sp + 2 > limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, b, value))
		UNFUSED();
	ip = a - b < -COMPARE_EPSILON ? in + 4 : m.instrs + in[3].field;
	DISPATCH();
}
L_F_ARITH_CALL: {
	// f(a op b): the argument goes straight into the callee's frame.
	double a, b;
	bool value = false;
	const ScriptCacheEntry *script;
	if (sp + 2 > limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, b, value) ||
	    !(script = script_to_enter(in + 3, sp + 1, limit)))
		UNFUSED();
	m.rs->frames[m.depth].args[0].fill_empty(VALUE_REAL, nullptr, arith_of(in[2].base, a, b));
	lay_frame(m, in + 3, script->code, script->entry, script->uses_locals, 1, sp, base, limit);
	ip = script->entry;
	DISPATCH();
}
L_F_PUSH2_CALL: {
	// f(a, b): the last pushed is the first argument.
	double a, b;
	bool value = false;
	const ScriptCacheEntry *script;
	if (sp + 2 > limit || !simple_real(m, in, a, value) || !simple_real(m, in + 1, b, value) ||
	    !(script = script_to_enter(in + 2, sp + 2, limit)))
		UNFUSED();
	Value *args = m.rs->frames[m.depth].args;
	args[0].fill_empty(VALUE_REAL, nullptr, b);
	args[1].fill_empty(VALUE_REAL, nullptr, a);
	lay_frame(m, in + 2, script->code, script->entry, script->uses_locals, 2, sp, base, limit);
	ip = script->entry;
	DISPATCH();
}
L_F_PUSH_RET: {
	// return a, with a script frame and no with frame open.
	double a;
	bool value = false;
	if (m.depth == 0 || m.withs > m.with_base || sp + 1 > limit || !simple_real(m, in, a, value))
		UNFUSED();
	ip = return_real(m, a, sp, base, limit);
	DISPATCH();
}
L_F_ARITH_RET: {
	double a, b;
	bool value = false;
	if (m.depth == 0 || m.withs > m.with_base || sp - base < 2 || !both_reals(sp[-2], sp[-1], a, b, value))
		UNFUSED();
	sp -= 2;
	ip = return_real(m, arith_of(in->base, a, b), sp, base, limit);
	DISPATCH();
}
L_F_ARITH_PUSH_RET: {
	double a, b;
	bool value = false;
	if (m.depth == 0 || m.withs > m.with_base || sp + 2 > limit || !simple_real(m, in, a, value) ||
	    !simple_real(m, in + 1, b, value))
		UNFUSED();
	ip = return_real(m, arith_of(in[2].base, a, b), sp, base, limit);
	DISPATCH();
}

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
