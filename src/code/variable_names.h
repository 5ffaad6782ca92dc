// variable_names.h: the names of variables: the built-in variable table (its
// index is the variable id) and the user variable names (id 100000 + index).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "code/variable_list.h"

class CInstance;

// A built-in variable's routines. The instance is null when there is none; rows
// that belong to the game rather than an instance ignore it. Rows without an
// array ignore the index.
using VariableGetter = bool (*)(CInstance *instance, int32_t index, Value &out);
using VariableSetter = bool (*)(CInstance *instance, int32_t index, const Value &value);

struct BuiltinVariable
{
	std::string name;
	VariableGetter get = nullptr;
	VariableSetter set = nullptr;
	bool settable = false;
};

class CBuiltinVariableTable
{
public:
	static constexpr int32_t LIMIT = 500;

	// Appends a row; its index is its id. A 501st row reports "INTERNAL ERROR:
	// Adding too many variables" and is not added.
	bool add(std::string_view name, VariableGetter get, VariableSetter set, bool settable);
	// Gives an existing row new routines (the module that owns the row attaches
	// them when it is built). A null setter leaves the row as it was for writes.
	bool attach(std::string_view name, VariableGetter get, VariableSetter set = nullptr);
	// The index of a name (exact, case-sensitive; the first row of that name), or -1.
	int32_t find(std::string_view name) const;
	const BuiltinVariable *entry(int32_t index) const
	{
		return index >= 0 && (size_t)index < m_rows.size() ? &m_rows[index] : nullptr;
	}
	int32_t count() const { return (int32_t)m_rows.size(); }
	void clear();

private:
	std::vector<BuiltinVariable> m_rows;
	std::unordered_map<std::string, int32_t> m_ids;
};

// The process's table, filled with every built-in variable on first use.
CBuiltinVariableTable &builtin_variables();
// Fills a table with the built-in variables in their fixed order (clearing it first).
void register_builtin_variables(CBuiltinVariableTable &table);

// The name of a built-in variable, or "<unknown built-in variable>".
std::string_view builtin_variable_name(int32_t index);
// The id of a user variable name: a new name is appended and gets the next id.
int32_t user_variable_id(std::string_view name);
// The number of user variable names.
int32_t user_variable_count();
// The built-in name for ids below 100000, the user name from 100000 on, and
// "<unknown variable>" for a user id outside the table.
std::string_view variable_name(int32_t id);
// The built-in index when the name is a built-in variable, else the user
// variable id (created when new).
int32_t variable_id(std::string_view name);
