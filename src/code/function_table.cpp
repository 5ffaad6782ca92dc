// function_table.cpp: the table of built-in functions.
#include "code/function_table.h"

#include <climits>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Table
{
	std::vector<BuiltinEntry> entries;
	std::deque<std::string> names; // owned copies, so entries may name temporaries; they never move
	std::unordered_map<std::string, int32_t> first_by_name;
};

Table &table()
{
	static Table t;
	return t;
}

} // namespace

void register_function(const char *name, BuiltinRoutine routine, int argc)
{
	Table &t = table();
	int32_t id = (int32_t)t.entries.size();
	t.names.emplace_back(name ? name : "");
	t.entries.push_back({t.names.back().c_str(), routine, argc});
	t.first_by_name.emplace(t.names.back(), id);
}

void register_functions(std::span<const BuiltinEntry> entries)
{
	for (const BuiltinEntry &e : entries)
		register_function(e.name, e.routine, e.argc);
}

int32_t function_count() { return (int32_t)table().entries.size(); }

const BuiltinEntry *function_entry(int32_t id)
{
	Table &t = table();
	if (id < 0 || id >= (int32_t)t.entries.size())
		return nullptr;
	return &t.entries[(size_t)id];
}

int32_t builtin_function_id(std::string_view name)
{
	if (name.empty())
		return -1;
	Table &t = table();
	auto it = t.first_by_name.find(std::string(name));
	return it == t.first_by_name.end() ? -1 : it->second;
}

namespace {

ScriptHooks g_script_hooks;
ExtensionHooks g_extension_hooks;

} // namespace

void set_script_hooks(const ScriptHooks &hooks) { g_script_hooks = hooks; }
const ScriptHooks &script_hooks() { return g_script_hooks; }
void set_extension_hooks(const ExtensionHooks &hooks) { g_extension_hooks = hooks; }
const ExtensionHooks &extension_hooks() { return g_extension_hooks; }

int32_t function_id(std::string_view name)
{
	if (name.empty())
		return -1;
	if (g_script_hooks.find) {
		int32_t index = g_script_hooks.find(name);
		if (index >= 0 && index < EXTENSION_ID_BASE - SCRIPT_ID_BASE)
			return SCRIPT_ID_BASE + index;
	}
	if (g_extension_hooks.find) {
		int32_t id = g_extension_hooks.find(name);
		if (id >= 0 && id <= INT32_MAX - EXTENSION_ID_BASE)
			return EXTENSION_ID_BASE + id;
	}
	return builtin_function_id(name);
}

int function_argument_count(int32_t id)
{
	if (id >= EXTENSION_ID_BASE)
		return g_extension_hooks.argument_count ? g_extension_hooks.argument_count(id - EXTENSION_ID_BASE) : -100;
	if (id >= SCRIPT_ID_BASE)
		return -1;
	const BuiltinEntry *entry = function_entry(id);
	return entry ? entry->argc : -100;
}
