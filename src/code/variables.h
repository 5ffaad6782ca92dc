// variables.h: reading and writing variables through an instance value (self,
// other, all, noone, global, local, an object index or an instance id), the
// global store with its `globalvar` declarations, and the locals pool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code/variable_list.h"

class CInstance;
class StreamReader;
class StreamWriter;

// Instance values with a fixed meaning (the constants of the same names).
enum InstanceKeyword : int32_t
{
	INSTANCE_SELF = -1,
	INSTANCE_OTHER = -2,
	INSTANCE_ALL = -3,
	INSTANCE_NOONE = -4,
	INSTANCE_GLOBAL = -5,
	INSTANCE_NOT_SPECIFIED = -6, // a name written without an instance
	INSTANCE_LOCAL = -7,
};

// What the running code reads and writes through: its `self`, its `other` and
// the locals list of its nesting depth (null when there is none).
struct VariableScope
{
	CInstance *self = nullptr;
	CInstance *other = nullptr;
	CVariableList *locals = nullptr;
};

// One instance: user ids through its own store, built-in ids through the
// built-in table's routines (a row that cannot be set fails).
bool instance_get(CInstance *instance, int32_t id, int32_t index, Value &out);
bool instance_set(CInstance *instance, int32_t id, int32_t index, const Value &value);

// The whole table of instance values: see variables.cpp.
bool get_by_instance_value(const VariableScope &scope, int32_t instance, int32_t id, int32_t index, Value &out);
bool set_by_instance_value(const VariableScope &scope, int32_t instance, int32_t id, int32_t index,
                           const Value &value);

// The global store and the global-declaration flags (one per user variable).
CVariableList &global_variables();
bool global_get(int32_t id, int32_t index, Value &out);
bool global_set(int32_t id, int32_t index, const Value &value);
void declare_global(int32_t id);
// The declaration flags, set once the global store exists (null before: then
// nothing is declared). Read inline by the machine on every plain access.
extern const std::vector<uint8_t> *g_global_declarations;
inline bool is_declared_global(int32_t id)
{
	const std::vector<uint8_t> *flags = g_global_declarations;
	if (id < USER_VARIABLE_BASE || !flags)
		return false;
	size_t index = (size_t)(id - USER_VARIABLE_BASE);
	return index < flags->size() && (*flags)[index] != 0;
}
// The flags as they stand (10000 entries at game start, grown by 1000).
const std::vector<uint8_t> &global_declaration_flags();
// A new game: an empty global store and 10000 clear flags.
void reset_global_variables();

// The global part of a saved game: 700, the global store, the flag count, each
// flag (an int32). Loading a block that does not start with 700 changes nothing
// and succeeds; a damaged block changes nothing and fails with the reason.
void save_global_variables(StreamWriter &out);
bool load_global_variables(StreamReader &in, std::string *error = nullptr);

// The locals of one nesting depth of running code: the list, and the values of
// the locals the machine keeps in numbered slots (numbered when a piece is
// decoded). A slot reads VALUE_UNSET_LOCAL as its kind until its local is first
// written; that write also adds the local to the list, so that the list keeps
// the order of first writes, but the list's value of a slot local is not kept
// up to date: with_slot_values gives the list as the code sees it.
constexpr uint32_t LOCAL_SLOT_COUNT = 256;

class CLocals : public CVariableList
{
public:
	CLocals();
	// The list with the values of the set slots, whose ids are `slot_ids`.
	CVariableList with_slot_values(const std::vector<int32_t> &slot_ids) const;
	// Frees the values of the slots used since the depth was entered.
	void reset_slots();

	Value slots[LOCAL_SLOT_COUNT];
	uint32_t used = 0; // slots [0, used) may be set
};

// The locals pool: one list per nesting depth of running code, created on first
// use and emptied (its slots unset) each time its depth is entered.
CLocals &enter_locals();
void leave_locals();
int32_t locals_depth();
