// machine.cpp: the run loop of the bytecode machine: dispatch through a table of
// label addresses on the decoded instructions, the stack discipline, variable
// access and operators; runs and their settings. Calls are in calls.cpp.
#include "code/vm/machine.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <cstdio>
#include <cstdlib>

#include "code/arguments.h"
#include "code/errors.h"
#include "code/variable_names.h"
#include "code/variables.h"
#include "code/vm/machine_state.h"
#include "common/console.h"
#include "world/instance.h"

namespace {

struct RunPool
{
	std::vector<std::unique_ptr<RunStack>> stacks; // one per nesting level, kept
	int depth = 0;
	bool aborted = false;
	int64_t budget = -1;
};

RunPool &pool()
{
	static RunPool p;
	return p;
}

VMHooks &hooks_storage()
{
	static VMHooks h;
	return h;
}

// The slot as a 32-bit integer (an instance value or an array index).
bool slot_as_int(const Slot &s, int32_t &out)
{
	switch (s.type) {
	case SLOT_INT:
		out = s.i;
		return true;
	case SLOT_LONG:
		out = (int32_t)s.l;
		return true;
	case SLOT_BOOL:
		out = s.b;
		return true;
	case SLOT_DOUBLE:
		out = std::isfinite(s.d) && std::fabs(s.d) < 2147483648.0 ? (int32_t)s.d : INT32_MIN;
		return true;
	case SLOT_VALUE:
		if (s.kind != VALUE_REAL)
			return false;
		out = std::isfinite(s.d) && std::fabs(s.d) < 2147483648.0 ? (int32_t)s.d : INT32_MIN;
		return true;
	default:
		return false;
	}
}

void trace_instruction(Machine &m, const Instr *in)
{
	ListingNames names;
	names.function_name = vm_function_name;
	names.variable_name = [](int32_t id) { return std::string(variable_name(id)); };
	const StringTexts *texts = m.code->strings.get();
	names.string_text = [texts](uint32_t index) {
		return texts && index < texts->texts.size() ? std::string(texts->texts[index]) : std::string();
	};
	const VMBuffer &b = m.code->buffer;
	std::string line = instruction_listing(b.words, in->pc, b.length - in->pc, names);
	dbg_console().Output("%s", line.c_str());
}

// The checks of the slow path: instruction budget, breakpoints, tracing.
bool slow_step(Machine &m, const Instr *in, CCode *&bp_code, int &bp_line)
{
	RunPool &p = pool();
	if (p.budget >= 0) {
		if (p.budget == 0) {
			m.current = in;
			return vm_fail(m, "Execution Error - instruction limit reached");
		}
		p.budget--;
	}
	const VMSettings &settings = vm_settings();
	if (!settings.breakpoints.empty() && in->base != OP_END) {
		int line = m.code->source_line(in->pc);
		if (m.code != bp_code || line != bp_line) {
			bp_code = m.code;
			bp_line = line;
			for (const Breakpoint &bp : settings.breakpoints)
				if (bp.enabled && bp.line == line && bp.name == m.code->name && vm_hooks().breakpoint)
					vm_hooks().breakpoint(bp.name, line);
		}
	}
	if (settings.trace_instructions && in->base != OP_END)
		trace_instruction(m, in);
	return true;
}

// Writes a slot's kind and type with one store: a later read of both (which
// the compiler merges into one load) then takes the stored word directly
// instead of stalling on two partial stores.
inline void set_tag(Slot &s, uint8_t type, uint32_t kind)
{
	static_assert(offsetof(Slot, type) == offsetof(Slot, kind) + 4 && sizeof(Slot) >= offsetof(Slot, kind) + 8);
	uint64_t tag = (uint64_t)kind | ((uint64_t)type << 32);
	memcpy(reinterpret_cast<char *>(&s) + offsetof(Slot, kind), &tag, sizeof tag);
}

VariableScope scope_of(const Machine &m) { return VariableScope{m.self, m.other, m.locals}; }

// The store a plain user-variable operand reaches directly, or null when the
// general access must decide (array index, built-in row, other instances).
inline CVariableList *fast_store(Machine &m, const Instr *in)
{
	switch (in->fast) {
	case VAR_FAST_LOCAL:
		return m.locals;
	case VAR_FAST_SELF:
		return m.self ? &m.self->variables : nullptr;
	case VAR_FAST_OTHER:
		return m.other ? &m.other->variables : nullptr;
	case VAR_FAST_GLOBAL:
		return &global_variables();
	case VAR_FAST_UNSPECIFIED:
		if (is_declared_global(in->var.id))
			return &global_variables();
		return m.self ? &m.self->variables : nullptr;
	default:
		return nullptr;
	}
}

// The present variable of a fast operand, or null.
inline CVariable *fast_variable(Machine &m, const Instr *in)
{
	CVariableList *store = fast_store(m, in);
	return store ? store->find_hinted(in->var.id, in->cache) : nullptr;
}

// The value a fast operand reads or writes in place, or null when the general
// access must do it (a variable not yet present, a missing instance).
inline Value *fast_value(Machine &m, const Instr *in)
{
	if (in->fast == VAR_FAST_ARGUMENT)
		return &script_arguments().values[in->aux];
	CVariable *v = fast_variable(m, in);
	return v ? &v->value : nullptr;
}

// The same for a write: an argument written is marked so.
inline Value *fast_target(Machine &m, const Instr *in)
{
	if (in->fast == VAR_FAST_ARGUMENT)
		return &script_arguments().write_at(in->aux);
	CVariable *v = fast_variable(m, in);
	return v ? &v->value : nullptr;
}

// A present variable read whole, as the store's own get does it.
inline bool push_variable_fast(Machine &m, const Instr *in)
{
	const Value *v = fast_value(m, in);
	if (!v)
		return false;
	set_variable_index_out_of_range(false);
	Slot &top = *m.sp++;
	if (v->is_real()) {
		top.l = 0;
		top.d = v->real();
		top.s = nullptr;
		set_tag(top, SLOT_VALUE, VALUE_REAL);
	} else {
		top = slot_value_copy(*v);
	}
	return true;
}

// A present variable written whole, taking the popped slot over.
inline bool pop_variable_fast(Machine &m, const Instr *in)
{
	if (in->t1 != TYPE_VARIABLE || m.sp <= m.base || m.sp[-1].type == SLOT_FLOAT)
		return false;
	Value *v = fast_target(m, in);
	if (!v || !slot_store(m.sp[-1], *v))
		return false;
	set_variable_index_out_of_range(false);
	m.sp--;
	return true;
}

// The instance and index of a variable operand: from the instruction or popped.
bool variable_target(Machine &m, const Instr *in, int32_t &instance, int32_t &index)
{
	index = 0;
	if (!(in->var.flags & VAR_NOT_INDEXED)) {
		if (m.sp <= m.base || !slot_as_int(m.sp[-1], index))
			return false;
		slot_free(*--m.sp);
	}
	if (in->var.flags & VAR_INSTANCE_IN_FIELD) {
		instance = in->field;
	} else {
		if (m.sp <= m.base || !slot_as_int(m.sp[-1], instance))
			return false;
		slot_free(*--m.sp);
	}
	if (in->var.flags & VAR_ADD_INSTANCE_BASE)
		instance += 100000;
	return true;
}

bool push_variable(Machine &m, const Instr *in)
{
	int32_t instance, index;
	if (!variable_target(m, in, instance, index))
		return vm_fail(m, "Push :: Execution Error - Instruction malformed");
	Value v;
	set_variable_index_out_of_range(false);
	if (!get_by_instance_value(scope_of(m), instance, in->var.id, index, v)) {
		std::string name(variable_name(in->var.id));
		if (variable_index_out_of_range())
			return vm_fail(m, "Push :: Execution Error - Variable Index out of range " + name);
		return vm_fail(m, "Push :: Execution Error - Variable Get " + name);
	}
	*m.sp++ = slot_value_take(v);
	return true;
}

bool pop_variable(Machine &m, const Instr *in)
{
	if (in->t1 != TYPE_VARIABLE)
		return vm_fail(m, "Pop :: Execution Error - Instruction malformed");
	int32_t instance, index;
	if (!variable_target(m, in, instance, index) || m.sp <= m.base)
		return vm_fail(m, "Pop :: Execution Error - Instruction malformed");
	Slot &slot = *--m.sp;
	Value v;
	if (slot.type == SLOT_FLOAT || !slot_to_value(slot, v)) {
		slot_free(slot);
		return vm_fail(m, "Pop :: Execution Engine");
	}
	set_variable_index_out_of_range(false);
	if (!set_by_instance_value(scope_of(m), instance, in->var.id, index, v)) {
		std::string name(variable_name(in->var.id));
		if (variable_index_out_of_range())
			return vm_fail(m, "Pop :: Execution Error - Variable index out of range " + name);
		return vm_fail(m, "Pop :: Execution Error - Variable set problem " + name);
	}
	return true;
}

bool push_operand(Machine &m, const Instr *in)
{
	switch (in->t1) {
	case TYPE_DOUBLE:
		*m.sp++ = slot_double(in->d);
		return true;
	case TYPE_FLOAT:
		*m.sp++ = slot_float(in->f);
		return true;
	case TYPE_INT:
		*m.sp++ = slot_int(in->i);
		return true;
	case TYPE_LONG:
		*m.sp++ = slot_long(in->l);
		return true;
	case TYPE_BOOL:
		*m.sp++ = slot_bool(in->i != 0);
		return true;
	case TYPE_STRING:
		*m.sp++ = slot_string(std::string_view(in->s, in->len));
		return true;
	case TYPE_IMM16:
		*m.sp++ = slot_int(in->field);
		return true;
	case TYPE_VARIABLE:
		return push_variable(m, in);
	default:
		return vm_fail(m, "Push :: Execution Error - Instruction malformed");
	}
}

// The truth of a branch condition: a bool slot, or any slot converted to one.
bool pop_truth(Machine &m, bool &truth)
{
	Slot &s = *--m.sp;
	if (s.type != SLOT_BOOL) {
		SlotError error = slot_conv(s, SLOT_BOOL);
		if (error)
			return vm_fail(m, error);
	}
	truth = s.b;
	return true;
}

// The payload of a double or a real Value; `value` is set for a Value.
inline bool real_of(const Slot &s, double &out, bool &value)
{
	if (s.type == SLOT_DOUBLE) {
		out = s.d;
		return true;
	}
	if (s.type == SLOT_VALUE && s.kind == VALUE_REAL) {
		out = s.d;
		value = true;
		return true;
	}
	return false;
}

inline bool both_reals(const Slot &l, const Slot &r, double &a, double &b, bool &value)
{
	return real_of(l, a, value) && real_of(r, b, value);
}

inline void set_real_result(Slot &s, double x, bool value)
{
	s.d = x;
	set_tag(s, value ? SLOT_VALUE : SLOT_DOUBLE, VALUE_REAL);
}

// Two reals (doubles or real Values) combined inline; a Value operand makes
// the result a real Value. False leaves the operands to the general operator.
template <typename Op>
inline bool arith_fast(Machine &m, Op op)
{
	double left, right;
	bool value = false;
	if (m.sp - m.base < 2 || !both_reals(m.sp[-2], m.sp[-1], left, right, value))
		return false;
	set_real_result(m.sp[-2], op(left, right), value);
	m.sp--;
	return true;
}

// Numeric comparison of two doubles with the machine's tolerance.
bool compare_doubles(uint8_t handler, double left, double right)
{
	double d = left - right;
	switch (handler) {
	case OP_SLT: return d < -COMPARE_EPSILON;
	case OP_SLE: return d <= COMPARE_EPSILON;
	case OP_SEQ: return d > -COMPARE_EPSILON && d < COMPARE_EPSILON;
	case OP_SNE: return d < -COMPARE_EPSILON || d > COMPARE_EPSILON;
	case OP_SGE: return d >= -COMPARE_EPSILON;
	default: return d > COMPARE_EPSILON;
	}
}

// add, sub or mul of two reals.
inline double arith_of(uint8_t handler, double a, double b)
{
	switch (handler) {
	case OP_ADD: return a + b;
	case OP_SUB: return a - b;
	default: return a * b;
	}
}

// The real of a push the combined handlers take: a double constant, or a
// present variable holding a real (reading it as the push would). `value` is
// set for a variable, whose push makes a Value slot.
inline bool simple_real(Machine &m, const Instr *in, double &x, bool &value)
{
	if (in->t1 == TYPE_DOUBLE) {
		x = in->d;
		return true;
	}
	const Value *v = fast_value(m, in);
	if (!v || !v->is_real())
		return false;
	set_variable_index_out_of_range(false);
	x = v->real();
	value = true;
	return true;
}

// An existing element of a present array variable (index 0: its plain value),
// or null where the general access must decide (absent, outside the rows).
inline Value *fast_element(Machine &m, const Instr *in, int32_t index)
{
	CVariable *v = fast_variable(m, in);
	if (!v)
		return nullptr;
	if (index == 0)
		return &v->value;
	int32_t row = index / ARRAY_ROW_SIZE, column = index % ARRAY_ROW_SIZE;
	if (row < 0 || column < 0 || (size_t)row >= v->rows.size() || (size_t)column >= v->rows[(size_t)row].size())
		return nullptr;
	return &v->rows[(size_t)row][(size_t)column];
}

// The loop. Returns true when the piece ran to its end.
bool run_loop(Machine &m)
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
	};
	const VMSettings &settings = vm_settings();
	const bool slow = pool().budget >= 0 || settings.trace_instructions || !settings.breakpoints.empty();
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
			if (!slow_step(m, in, bp_code, bp_line))                     \
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
	DISPATCH();
L_POPENV:
	ip = vm_popenv(m, in);
	if (!ip)
		return false;
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

// script_execute's way of running a script: the script's code as a new run.
bool run_script_by_index(int32_t index, CInstance *self, CInstance *other, Value &result)
{
	CCode *code = vm_hooks().script_code ? vm_hooks().script_code(index) : nullptr;
	if (!code)
		return false;
	return code_execute_script(self, other, *code, result);
}

RunStack &acquire_stack(int depth)
{
	RunPool &p = pool();
	while ((int)p.stacks.size() <= depth)
		p.stacks.push_back(std::make_unique<RunStack>());
	return *p.stacks[(size_t)depth];
}

} // namespace

bool vm_fail(Machine &m, const std::string &message)
{
	RunPool &p = pool();
	if (p.aborted)
		return false; // the first error ends the game; what follows is its unwinding
	if (evaluating_watch()) {
		// A watch expression of the debugger: no report and no exit, only the
		// flag; the watch's run stops.
		set_error_occurred(true);
		return false;
	}
	p.aborted = true;
	report_error(vm_error_text(m, message), true);
	const VMHooks &h = vm_hooks();
	if (h.exit) {
		h.exit(VM_ERROR_EXIT_CODE);
	} else {
		fflush(stdout);
		fflush(stderr);
		std::exit(VM_ERROR_EXIT_CODE);
	}
	return false;
}

void set_vm_hooks(const VMHooks &hooks) { hooks_storage() = hooks; }
const VMHooks &vm_hooks() { return hooks_storage(); }

VMSettings &vm_settings()
{
	static VMSettings s;
	return s;
}

void configure_vm(const Settings &settings)
{
	VMSettings &s = vm_settings();
	s.trace = settings.trace;
	s.breakpoints = settings.breakpoints;
	if (s.breakpoints.size() > MAX_BREAKPOINTS)
		s.breakpoints.resize(MAX_BREAKPOINTS);
	ScriptHooks script = script_hooks();
	script.run = run_script_by_index;
	set_script_hooks(script);
}

bool vm_aborted() { return pool().aborted; }
int vm_run_depth() { return pool().depth; }

bool vm_run(CCode &code, CInstance *self, CInstance *other, Value *result)
{
	RunPool &p = pool();
	if (p.depth == 0) {
		p.aborted = false;
		p.budget = vm_settings().instruction_budget;
	} else if (p.aborted) {
		return false;
	}
	if (vm_settings().trace)
		dbg_console().Output("script = %s\n", code.name.c_str());

	Machine m{};
	m.self = self;
	m.other = other;
	m.code = &code;
	if (p.depth >= VM_MAX_NESTED_RUNS) {
		vm_fail(m, "Execution Error - code nested too deeply (more than " + std::to_string(VM_MAX_NESTED_RUNS) +
		               " runs)");
		return false;
	}
	m.rs = &acquire_stack(p.depth);
	m.base = m.sp = m.rs->slots;
	m.limit = m.rs->slots + VM_STACK_UNITS;
	m.rs->instances.clear();
	p.depth++;
	int saved_count = script_arguments().count;
	m.locals = &enter_locals();
	m.instrs = vm_program_of(m, code);
	bool ok = m.instrs && run_loop(m);
	if (ok) {
		vm_close_withs(m, 0);
		if (result) {
			if (m.sp > m.rs->slots) {
				Slot &top = *--m.sp;
				if (!slot_to_value(top, *result))
					result->clear();
			} else {
				result->clear();
			}
		}
		free_slots(m.rs->slots, m.sp);
		m.sp = m.rs->slots;
	} else {
		vm_unwind(m);
	}
	leave_locals();
	script_arguments().count = saved_count;
	p.depth--;
	return ok;
}

bool code_execute(CInstance *self, CInstance *other, CCode &code, Value *result)
{
	switch (code.kind) {
	case CODE_EMPTY:
		return true;
	case CODE_CONSTANT:
		if (result)
			*result = code.constant;
		return true;
	default:
		if (!code.has_bytecode())
			return true;
		clear_code_error_flag();
		return vm_run(code, self, other, result);
	}
}

bool code_execute_script(CInstance *self, CInstance *other, CCode &code, Value &result)
{
	if (code_execute(self, other, code, &result))
		return true;
	result.set_string("ERROR");
	return false;
}
