// machine_access.h: the run loop's inline paths (variables reached directly
// in their stores, reals combined without the general operators, the truth of
// a branch) and the general variable access of machine_access.cpp.
#pragma once

#include <cstddef>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "code/arguments.h"
#include "code/variable_generation.h"
#include "code/variables.h"
#include "code/vm/machine_state.h"
#include "world/instance.h"

// The run loop's helpers, inlined into its handlers whatever the compiler
// would judge of their size there.
#define VM_INLINE inline __attribute__((always_inline))

// Writes a slot's kind and type with one store: a later read of both (which
// the compiler merges into one load) then takes the stored word directly
// instead of stalling on two partial stores.
inline void set_tag(Slot &s, uint8_t type, uint32_t kind)
{
	static_assert(offsetof(Slot, type) == offsetof(Slot, kind) + 4 && offsetof(Slot, tag) == offsetof(Slot, kind));
	s.tag = (uint64_t)kind | ((uint64_t)type << 32); // little-endian: type in the fifth byte
}

// Refreshes the locals' store and slots after the locals changed.
inline void vm_set_locals_store(Machine &m)
{
	m.stores[VAR_FAST_LOCAL] = m.locals;
	m.frame = m.locals ? m.locals->slots : nullptr;
}

// Refreshes the stores of the fast operands after self, other or the locals
// changed; the variables kept for them are forgotten.
inline void vm_set_stores(Machine &m)
{
	variables_moved();
	CVariableList *self = m.self ? &m.self->variables : nullptr;
	m.stores[VAR_FAST_SELF] = self;
	m.stores[VAR_FAST_OTHER] = m.other ? &m.other->variables : nullptr;
	m.stores[VAR_FAST_UNSPECIFIED] = self;
	vm_set_locals_store(m);
}

// All the stores, at the start of a run.
inline void vm_init_stores(Machine &m)
{
	static_assert(VAR_FAST_SLOT < 8);
	m.stores[VAR_FAST_NONE] = nullptr;
	m.stores[VAR_FAST_GLOBAL] = &global_variables();
	m.stores[VAR_FAST_ARGUMENT] = nullptr;
	m.stores[VAR_FAST_SLOT] = nullptr;
	vm_set_stores(m);
}

// The store a plain user-variable operand reaches directly, or null when the
// general access must decide (array index, built-in row, other instances).
VM_INLINE CVariableList *fast_store(Machine &m, const Instr *in)
{
	if (in->fast == VAR_FAST_UNSPECIFIED && is_declared_global(in->var.id))
		return m.stores[VAR_FAST_GLOBAL];
	return m.stores[in->fast];
}

// The present variable of a fast operand, or null.
VM_INLINE CVariable *fast_variable(Machine &m, const Instr *in)
{
	CVariableList *store = fast_store(m, in);
	return store ? store->find_hinted(in->var.id, in->cache) : nullptr;
}

// The value a fast operand reads or writes in place, or null when the general
// access must do it (a variable not yet present, a missing instance).
VM_INLINE Value *fast_value(Machine &m, const Instr *in)
{
	if (in->fast == VAR_FAST_SLOT) {
		Value *v = &m.frame[in->aux];
		return v->kind() != VALUE_UNSET_LOCAL ? v : nullptr;
	}
	if (in->fast == VAR_FAST_ARGUMENT)
		return &script_arguments().values[in->aux];
	CVariable *v = fast_variable(m, in);
	return v ? &v->value : nullptr;
}

// The same for a write: an argument written is marked so.
VM_INLINE Value *fast_target(Machine &m, const Instr *in)
{
	if (in->fast == VAR_FAST_SLOT) {
		Value *v = &m.frame[in->aux];
		return v->kind() != VALUE_UNSET_LOCAL ? v : nullptr;
	}
	if (in->fast == VAR_FAST_ARGUMENT)
		return &script_arguments().write_at(in->aux);
	CVariable *v = fast_variable(m, in);
	return v ? &v->value : nullptr;
}

// A present variable read whole, as the store's own get does it.
inline bool push_variable_fast(Machine &m, const Instr *in, Slot *&sp)
{
	const Value *v = fast_value(m, in);
	if (!v)
		return false;
	Slot &top = *sp++;
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
inline bool pop_variable_fast(Machine &m, const Instr *in, Slot *&sp, Slot *base)
{
	if (in->t1 != TYPE_VARIABLE || sp <= base || sp[-1].type == SLOT_FLOAT)
		return false;
	Value *v = fast_target(m, in);
	if (!v || !slot_store(sp[-1], *v))
		return false;
	sp--;
	return true;
}

// The truth of a branch condition: a bool slot, or any slot converted to one.
inline bool pop_truth(Machine &m, const Instr *in, Slot *&sp, bool &truth)
{
	Slot &s = *--sp;
	if (s.type != SLOT_BOOL) {
		SlotError error = slot_conv(s, SLOT_BOOL);
		if (error) {
			m.sp = sp;
			m.current = in;
			return vm_fail(m, error);
		}
	}
	truth = s.b;
	return true;
}

// The payload of a double or a real Value; `value` is set for a Value.
VM_INLINE bool real_of(const Slot &s, double &out, bool &value)
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

VM_INLINE bool both_reals(const Slot &l, const Slot &r, double &a, double &b, bool &value)
{
	return real_of(l, a, value) && real_of(r, b, value);
}

VM_INLINE void set_real_result(Slot &s, double x, bool value)
{
	s.d = x;
	set_tag(s, value ? SLOT_VALUE : SLOT_DOUBLE, VALUE_REAL);
}

// Two reals (doubles or real Values) combined inline; a Value operand makes
// the result a real Value. False leaves the operands to the general operator.
template <typename Op>
inline bool arith_fast(Slot *&sp, Slot *base, Op op)
{
	double left, right;
	bool value = false;
	if (sp - base < 2 || !both_reals(sp[-2], sp[-1], left, right, value))
		return false;
	set_real_result(sp[-2], op(left, right), value);
	sp--;
	return true;
}

// Numeric comparison of two doubles with the machine's tolerance.
VM_INLINE bool compare_doubles(uint8_t handler, double left, double right)
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
VM_INLINE double arith_of(uint8_t handler, double a, double b)
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
VM_INLINE bool simple_real(Machine &m, const Instr *in, double &x, bool &value)
{
	// Slot locals and arguments first: their places are known without a
	// lookup (a constant's push has no fast kind).
	const Value *v;
	if (in->fast == VAR_FAST_SLOT) {
		v = &m.frame[in->aux];
	} else if (in->fast == VAR_FAST_ARGUMENT) {
		v = &script_arguments().values[in->aux];
	} else if (in->t1 == TYPE_DOUBLE) {
		x = in->d;
		return true;
	} else {
		v = fast_value(m, in);
		if (!v)
			return false;
	}
	if (v->kind() != VALUE_REAL)
		return false;
	x = v->real();
	value = true;
	return true;
}

// truncate_to_int32 inline, for array indices on the fast paths.
VM_INLINE int32_t index_of_real(double x)
{
	return (x > -2147483649.0 && x < 2147483648.0) ? (int32_t)x : INT32_MIN;
}

// Whether i indexes v, compared in bytes: the element count would cost a
// division on the way to the element.
template <typename T>
VM_INLINE bool within(const std::vector<T> &v, size_t i)
{
	return i * sizeof(T) < (size_t)((const char *)(v.data() + v.size()) - (const char *)v.data());
}

// The variable of the array element operand `in`, whose index the conv just
// before it converts (as in every combined handler that reaches an element).
// The conv keeps the variable found last while no variable may have moved
// and the stores stayed the same; the locals' store, which changes on every
// call, is looked up each time.
VM_INLINE CVariable *element_variable(Machine &m, const Instr *in)
{
	Instr *conv = const_cast<Instr *>(in - 1);
	static_assert(offsetof(Instr, cache) == offsetof(Instr, field) + 4);
	uint64_t generation;
	std::memcpy(&generation, &conv->field, sizeof generation);
	if (__builtin_expect(generation == g_variable_generation, 1)) {
		if (!conv->found)
			__builtin_unreachable(); // only a variable found is kept
		return conv->found;
	}
	CVariable *v = fast_variable(m, in);
	if (v && in->fast != VAR_FAST_LOCAL) {
		generation = g_variable_generation;
		std::memcpy(&conv->field, &generation, sizeof generation);
		conv->found = v;
	}
	return v;
}

// An element outside row 0 (or a negative or huge index): null when it does
// not exist.
inline Value *element_in_rows(CVariable *v, int32_t index)
{
	int32_t row = index / ARRAY_ROW_SIZE, column = index % ARRAY_ROW_SIZE;
	if (row < 0 || column < 0 || !within(v->rows, (size_t)row) || !within(v->rows[(size_t)row], (size_t)column))
		return nullptr;
	return &v->rows[(size_t)row][(size_t)column];
}

// An existing element of a present array variable (index 0: its plain value),
// or null where the general access must decide (absent, outside the rows).
// `x` is the index before its conversion to an integer.
VM_INLINE Value *fast_element(Machine &m, const Instr *in, double x)
{
	CVariable *v = element_variable(m, in);
	if (!v)
		return nullptr;
#if defined(__x86_64__)
	// Truncated by the processor: a real outside the 64-bit range or NaN
	// gives the smallest integer, which no row reaches.
	int64_t t = _mm_cvttsd_si64(_mm_set_sd(x));
#else
	int64_t t = index_of_real(x);
#endif
	// Row 0 of a 1-D array first: 1 to 31999.
	if ((uint64_t)t - 1 < (uint64_t)(ARRAY_ROW_SIZE - 1))
		return !v->rows.empty() && within(v->rows[0], (size_t)t) ? &v->rows[0][(size_t)t] : nullptr;
	if (t == 0)
		return &v->value;
	return element_in_rows(v, index_of_real(x));
}

// Element `index` of row 0 of a present array variable, the row grown to
// reach it as a write through the general access would grow it; null for
// index 0, another row or an absent variable.
Value *vm_grow_element(Machine &m, const Instr *in, int32_t index);

// The element a write reaches: an existing one, or one of row 0 grown to.
VM_INLINE Value *fast_element_to_write(Machine &m, const Instr *in, double x)
{
	if (Value *element = fast_element(m, in, x))
		return element;
	return vm_grow_element(m, in, index_of_real(x));
}

// A variable operand read or written through the general access (any instance,
// array elements, built-in variables); false after reporting the error.
bool push_variable(Machine &m, const Instr *in);
bool pop_variable(Machine &m, const Instr *in);
// Pushes the operand of a push of any type.
bool push_operand(Machine &m, const Instr *in);
