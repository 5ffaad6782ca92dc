// with.cpp: the with statement: pushenv opens a frame over the instances a
// target selects, popenv moves to the next one or closes the frame.
#include "code/variables.h"
#include "code/vm/machine_state.h"
#include "world/instance.h"

namespace {

// Opens a frame with an empty visiting list.
WithFrame &open_frame(Machine &m)
{
	WithFrame &w = m.rs->withs[m.withs++];
	m.limit -= VM_WITH_UNITS;
	w.self = m.self;
	w.other = m.other;
	w.start = w.cursor = w.end = (uint32_t)m.rs->instances.size();
	return w;
}

// The live instances of the room, or of an object; false when the object
// does not exist.
bool collect(int32_t target, std::vector<CInstance *> &out)
{
	IInstanceDirectory &directory = instance_directory();
	out.clear();
	if (target == INSTANCE_ALL) {
		int32_t count = directory.room_instance_count();
		for (int32_t i = 0; i < count; i++) {
			CInstance *instance = directory.room_instance(i);
			if (instance && instance->live())
				out.push_back(instance);
		}
		return true;
	}
	if (!directory.object_exists(target))
		return false;
	directory.object_instances(target, out);
	size_t kept = 0;
	for (CInstance *instance : out)
		if (instance && instance->live())
			out[kept++] = instance;
	out.resize(kept);
	return true;
}

} // namespace

const Instr *vm_pushenv(Machine &m, const Instr *in)
{
	Slot &slot = m.sp[-1];
	int32_t target = 0;
	bool is_int = slot.type == SLOT_INT || slot.type == SLOT_LONG || slot.type == SLOT_BOOL;
	if (is_int)
		target = slot.type == SLOT_INT ? slot.i : slot.type == SLOT_LONG ? (int32_t)slot.l : slot.b;
	slot_free(slot);
	m.sp--;
	if (!is_int) {
		vm_fail(m, "Pushenv :: Execution Error - the target is not an integer");
		return nullptr;
	}
	if (target == INSTANCE_GLOBAL || target == INSTANCE_LOCAL) {
		vm_fail(m, "Pushenv :: Execution Error - with cannot take " +
		               std::string(target == INSTANCE_GLOBAL ? "global" : "local") + " as its target");
		return nullptr;
	}
	if (m.withs >= VM_MAX_WITHS || m.sp + VM_WITH_UNITS > m.limit) {
		vm_fail(m, "Pushenv :: Execution Error - stack overflow");
		return nullptr;
	}
	const Instr *popenv = m.instrs + in->field;
	WithFrame &w = open_frame(m);
	if (target == INSTANCE_SELF || target == INSTANCE_NOT_SPECIFIED) {
		m.other = m.self;
		return in + 1;
	}
	if (target == INSTANCE_OTHER) {
		m.self = w.other;
		m.other = w.self;
		return in + 1;
	}
	if (target >= INSTANCE_ID_BASE) {
		CInstance *instance = instance_directory().find_instance(target);
		if (!instance || !instance->live())
			return popenv;
		m.other = m.self;
		m.self = instance;
		return in + 1;
	}
	if (target != INSTANCE_ALL && target < 0)
		return popenv; // noone, and values that name nothing
	std::vector<CInstance *> &found = m.rs->collected;
	if (!collect(target, found) || found.empty())
		return popenv;
	// Two instances are visited in list order; three or more from the last to
	// the first.
	std::vector<CInstance *> &list = m.rs->instances;
	size_t n = found.size();
	m.other = m.self;
	if (n <= 2) {
		m.self = found[0];
		if (n == 2)
			list.push_back(found[1]);
	} else {
		m.self = found[n - 1];
		for (size_t i = n - 1; i-- > 0;)
			list.push_back(found[i]);
	}
	w.end = (uint32_t)list.size();
	return in + 1;
}

void vm_close_withs(Machine &m, int with_base)
{
	while (m.withs > with_base) {
		WithFrame &w = m.rs->withs[--m.withs];
		m.self = w.self;
		m.other = w.other;
		m.rs->instances.resize(w.start);
		m.limit += VM_WITH_UNITS;
	}
}

const Instr *vm_popenv(Machine &m, const Instr *in)
{
	if (m.withs <= m.with_base) {
		vm_fail(m, "Popenv :: Execution Error - there is no with frame to close");
		return nullptr;
	}
	WithFrame &w = m.rs->withs[m.withs - 1];
	if (in->field != POPENV_CLOSE && w.cursor < w.end) {
		m.self = m.rs->instances[w.cursor++];
		return m.instrs + in->field;
	}
	vm_close_withs(m, m.withs - 1);
	return in + 1;
}
