// function_table.cpp: the table of built-in functions.
#include "code/function_table.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Table
{
	std::vector<BuiltinEntry> entries;
	std::vector<std::string> names; // owned copies, so entries may name temporaries
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
	t.names.emplace_back(name);
	t.entries.push_back({nullptr, routine, argc});
	t.first_by_name.emplace(t.names.back(), id);
	// Names may move when the vector grows: point every entry at its own copy.
	for (size_t i = 0; i < t.entries.size(); i++)
		t.entries[i].name = t.names[i].c_str();
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
