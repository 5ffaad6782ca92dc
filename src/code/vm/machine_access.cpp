// machine_access.cpp: variable operands through the general access (instance
// and index taken from the instruction or the stack, built-in variables, the
// errors of a failed get or set) and pushes of every operand type.
#include "code/vm/machine_access.h"

#include <algorithm>
#include <cmath>

#include "code/variable_names.h"

namespace {

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

VariableScope scope_of(const Machine &m) { return VariableScope{m.self, m.other, m.locals}; }

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

// A write to a slot local; the first one adds the local to the list, in the
// order of first writes that the list keeps.
void set_slot_local(Machine &m, const Instr *in, Value &v)
{
	Value &slot = m.frame[in->aux];
	if (slot.kind() == VALUE_UNSET_LOCAL) {
		m.locals->declare(in->var.id);
		m.locals->used = std::max(m.locals->used, (uint32_t)in->aux + 1);
	}
	slot = std::move(v);
}

} // namespace

bool push_variable(Machine &m, const Instr *in)
{
	// A slot local read before its first write: absent from the list as well,
	// so the list's get gives what a local never written reads.
	if (in->fast == VAR_FAST_SLOT && m.frame[in->aux].kind() != VALUE_UNSET_LOCAL) {
		*m.sp++ = slot_value_copy(m.frame[in->aux]);
		return true;
	}
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
	if (in->fast == VAR_FAST_SLOT) {
		set_slot_local(m, in, v);
		return true;
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

Value *vm_grow_element(Machine &m, const Instr *in, int32_t index)
{
	if (index <= 0 || index >= ARRAY_ROW_SIZE)
		return nullptr;
	CVariable *v = fast_variable(m, in);
	if (!v)
		return nullptr;
	if (v->rows.empty())
		v->rows.resize(1);
	std::vector<Value> &row = v->rows[0];
	if ((size_t)index >= row.size())
		row.resize((size_t)index + 1);
	return &row[(size_t)index];
}
