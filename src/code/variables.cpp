// variables.cpp: variable access by instance value, the global store and the
// locals pool.
#include "code/variables.h"
#include "code/saved_globals.h"

#include <memory>

#include "code/variable_generation.h"
#include "code/variable_names.h"
#include "common/binary_stream.h"
#include "world/instance.h"

const std::vector<uint8_t> *g_global_declarations = nullptr;

namespace {

constexpr size_t FLAGS_AT_START = 10000;
constexpr size_t FLAGS_GROWTH = 1000;

struct GlobalState
{
	CVariableList store;
	std::vector<uint8_t> flags = std::vector<uint8_t>(FLAGS_AT_START, 0);
};

GlobalState &globals()
{
	static GlobalState *state = [] {
		auto *made = new GlobalState();
		g_global_declarations = &made->flags;
		return made;
	}();
	return *state;
}

struct LocalsPool
{
	std::vector<std::unique_ptr<CLocals>> lists;
	int32_t depth = 0;
};

LocalsPool &locals_pool()
{
	static LocalsPool *pool = new LocalsPool();
	return *pool;
}

CInstance *first_live_in_room()
{
	IInstanceDirectory &dir = instance_directory();
	int32_t n = dir.room_instance_count();
	for (int32_t i = 0; i < n; i++) {
		CInstance *inst = dir.room_instance(i);
		if (inst && inst->live())
			return inst;
	}
	return nullptr;
}

// A live instance by id, or null.
CInstance *live_instance(int32_t id)
{
	CInstance *inst = instance_directory().find_instance(id);
	return inst && inst->live() ? inst : nullptr;
}

// Writes into every live instance of a list; the list is taken first, because a
// built-in setter may run events that change the room's lists.
bool set_each_live(const std::vector<CInstance *> &list, int32_t id, int32_t index, const Value &value)
{
	bool result = true;
	for (CInstance *inst : list)
		if (inst && inst->live())
			result = instance_set(inst, id, index, value);
	return result;
}

} // namespace

bool instance_get(CInstance *instance, int32_t id, int32_t index, Value &out)
{
	if (id >= BUILTIN_VARIABLE_LIMIT) {
		if (!instance)
			return false;
		return instance->variables.get(id, index, out);
	}
	const BuiltinVariable *row = builtin_variables().entry(id);
	if (!row || !row->get)
		return false;
	return row->get(instance, index, out);
}

bool instance_set(CInstance *instance, int32_t id, int32_t index, const Value &value)
{
	if (id >= BUILTIN_VARIABLE_LIMIT) {
		if (!instance)
			return false;
		return instance->variables.set(id, index, value);
	}
	const BuiltinVariable *row = builtin_variables().entry(id);
	if (!row || !row->settable || !row->set)
		return false;
	return row->set(instance, index, value);
}

bool get_by_instance_value(const VariableScope &scope, int32_t instance, int32_t id, int32_t index, Value &out)
{
	switch (instance) {
	case INSTANCE_SELF:
		return instance_get(scope.self, id, index, out);
	case INSTANCE_OTHER:
		return instance_get(scope.other, id, index, out);
	case INSTANCE_ALL: {
		CInstance *first = first_live_in_room();
		return first ? instance_get(first, id, index, out) : false;
	}
	case INSTANCE_NOONE:
		out.set_real(0.0);
		return true;
	case INSTANCE_GLOBAL:
		return global_get(id, index, out);
	case INSTANCE_NOT_SPECIFIED:
		if (is_declared_global(id))
			return global_get(id, index, out);
		return instance_get(scope.self, id, index, out);
	case INSTANCE_LOCAL:
		return scope.locals ? scope.locals->get(id, index, out) : false;
	default:
		break;
	}
	if (instance < 0)
		return false;
	if (instance >= INSTANCE_ID_BASE) {
		CInstance *inst = live_instance(instance);
		return inst ? instance_get(inst, id, index, out) : false;
	}
	IInstanceDirectory &dir = instance_directory();
	if (!dir.object_exists(instance))
		return false;
	CInstance *first = dir.first_live_of_object(instance);
	return first ? instance_get(first, id, index, out) : false;
}

bool set_by_instance_value(const VariableScope &scope, int32_t instance, int32_t id, int32_t index,
                           const Value &value)
{
	switch (instance) {
	case INSTANCE_SELF:
		return instance_set(scope.self, id, index, value);
	case INSTANCE_OTHER:
		return instance_set(scope.other, id, index, value);
	case INSTANCE_ALL: {
		IInstanceDirectory &dir = instance_directory();
		std::vector<CInstance *> list;
		int32_t n = dir.room_instance_count();
		list.reserve((size_t)n);
		for (int32_t i = 0; i < n; i++)
			list.push_back(dir.room_instance(i));
		return set_each_live(list, id, index, value);
	}
	case INSTANCE_NOONE:
		return true;
	case INSTANCE_GLOBAL:
		return global_set(id, index, value);
	case INSTANCE_NOT_SPECIFIED:
		if (is_declared_global(id))
			return global_set(id, index, value);
		return instance_set(scope.self, id, index, value);
	case INSTANCE_LOCAL:
		return scope.locals ? scope.locals->set(id, index, value) : false;
	default:
		break;
	}
	if (instance < 0)
		return false;
	if (instance >= INSTANCE_ID_BASE) {
		CInstance *inst = live_instance(instance);
		return inst ? instance_set(inst, id, index, value) : true;
	}
	IInstanceDirectory &dir = instance_directory();
	if (!dir.object_exists(instance))
		return true;
	std::vector<CInstance *> list;
	dir.object_instances(instance, list);
	return set_each_live(list, id, index, value);
}

CVariableList &global_variables()
{
	return globals().store;
}

bool global_get(int32_t id, int32_t index, Value &out)
{
	return globals().store.get(id, index, out);
}

bool global_set(int32_t id, int32_t index, const Value &value)
{
	return globals().store.set(id, index, value);
}

void declare_global(int32_t id)
{
	if (id < USER_VARIABLE_BASE)
		return;
	GlobalState &g = globals();
	size_t index = (size_t)(id - USER_VARIABLE_BASE);
	if (index >= g.flags.size()) {
		size_t size = g.flags.size();
		while (size <= index)
			size += FLAGS_GROWTH;
		g.flags.resize(size, 0);
	}
	g.flags[index] = 1;
	variables_moved(); // the name may now reach the global store
	g.store.declare(id);
}

const std::vector<uint8_t> &global_declaration_flags()
{
	return globals().flags;
}

void restart_global_variables()
{
	GlobalState &g = globals();
	g.store.clear();
	for (size_t i = 0; i < g.flags.size(); i++)
		if (g.flags[i])
			g.store.declare(USER_VARIABLE_BASE + (int32_t)i);
}

void reset_global_variables()
{
	GlobalState &g = globals();
	g.store.clear();
	g.flags.assign(FLAGS_AT_START, 0);
	variables_moved();
}

void save_global_variables(StreamWriter &out)
{
	GlobalState &g = globals();
	out.i32(GLOBALS_SAVE_TAG);
	g.store.save(out);
	out.i32((int32_t)g.flags.size());
	for (uint8_t flag : g.flags)
		out.i32(flag);
}

bool read_saved_globals(StreamReader &in, SavedGlobals &out, std::string *error)
{
	try {
		if (!out.store.load(in, error))
			return false;
		size_t at = in.position();
		int32_t n = in.i32();
		if (n < 0)
			throw DataError(at, "the number of global declarations is negative");
		in.expect((uint64_t)n, 4, "the global declarations");
		out.flags.assign((size_t)n, 0);
		for (uint8_t &flag : out.flags)
			flag = in.i32() != 0;
		return true;
	} catch (const DataError &e) {
		if (error)
			*error = std::string(e.what()) + " (at byte " + std::to_string(e.offset()) + ")";
		return false;
	}
}

void apply_saved_globals(SavedGlobals &saved)
{
	GlobalState &g = globals();
	g.store.copy_from(saved.store);
	g.flags = std::move(saved.flags);
	variables_moved();
}

bool load_global_variables(StreamReader &in, std::string *error)
{
	try {
		if (in.i32() != GLOBALS_SAVE_TAG)
			return true;
	} catch (const DataError &e) {
		if (error)
			*error = std::string(e.what()) + " (at byte " + std::to_string(e.offset()) + ")";
		return false;
	}
	SavedGlobals saved;
	if (!read_saved_globals(in, saved, error))
		return false;
	apply_saved_globals(saved);
	return true;
}

CLocals::CLocals()
{
	for (Value &v : slots)
		v = Value::malformed(VALUE_UNSET_LOCAL);
}

CVariableList CLocals::with_slot_values(const std::vector<int32_t> &slot_ids) const
{
	CVariableList list(*this);
	for (size_t i = 0; i < slot_ids.size() && i < used; i++) {
		CVariable *v = slots[i].kind() != VALUE_UNSET_LOCAL ? list.find(slot_ids[i]) : nullptr;
		if (v)
			v->value = slots[i];
	}
	return list;
}

void CLocals::reset_slots()
{
	for (uint32_t i = 0; i < used; i++)
		slots[i] = Value::malformed(VALUE_UNSET_LOCAL);
	used = 0;
}

CLocals &enter_locals()
{
	LocalsPool &pool = locals_pool();
	size_t depth = (size_t)pool.depth++;
	if (depth >= pool.lists.size())
		pool.lists.push_back(std::make_unique<CLocals>());
	CLocals &list = *pool.lists[depth];
	if (list.count() > 0)
		list.clear();
	if (list.used > 0)
		list.reset_slots();
	return list;
}

void leave_locals()
{
	LocalsPool &pool = locals_pool();
	if (pool.depth > 0)
		pool.depth--;
}

int32_t locals_depth()
{
	return locals_pool().depth;
}
