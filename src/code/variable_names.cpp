// variable_names.cpp: the built-in variable table and the user variable names.
#include "code/variable_names.h"

#include "common/console.h"

namespace {

struct UserNames
{
	std::vector<std::string> names;
	std::unordered_map<std::string, int32_t> ids;
};

UserNames &user_names()
{
	static UserNames table;
	return table;
}

} // namespace

bool CBuiltinVariableTable::add(std::string_view name, VariableGetter get, VariableSetter set, bool settable)
{
	if ((int32_t)m_rows.size() >= LIMIT) {
		show_message("INTERNAL ERROR: Adding too many variables");
		return false;
	}
	m_ids.emplace(std::string(name), (int32_t)m_rows.size());
	m_rows.push_back(BuiltinVariable{std::string(name), get, set, settable});
	return true;
}

bool CBuiltinVariableTable::attach(std::string_view name, VariableGetter get, VariableSetter set)
{
	int32_t index = find(name);
	if (index < 0)
		return false;
	BuiltinVariable &row = m_rows[index];
	if (get)
		row.get = get;
	if (set)
		row.set = set;
	return true;
}

int32_t CBuiltinVariableTable::find(std::string_view name) const
{
	auto it = m_ids.find(std::string(name));
	return it == m_ids.end() ? -1 : it->second;
}

void CBuiltinVariableTable::clear()
{
	m_rows.clear();
	m_ids.clear();
}

CBuiltinVariableTable &builtin_variables()
{
	static CBuiltinVariableTable *table = [] {
		auto *t = new CBuiltinVariableTable();
		register_builtin_variables(*t);
		return t;
	}();
	return *table;
}

std::string_view builtin_variable_name(int32_t index)
{
	const BuiltinVariable *row = builtin_variables().entry(index);
	return row ? std::string_view(row->name) : std::string_view("<unknown built-in variable>");
}

int32_t user_variable_id(std::string_view name)
{
	UserNames &table = user_names();
	std::string key(name);
	auto it = table.ids.find(key);
	if (it != table.ids.end())
		return USER_VARIABLE_BASE + it->second;
	int32_t index = (int32_t)table.names.size();
	table.names.push_back(key);
	table.ids.emplace(std::move(key), index);
	return USER_VARIABLE_BASE + index;
}

int32_t user_variable_count()
{
	return (int32_t)user_names().names.size();
}

std::string_view variable_name(int32_t id)
{
	if (id < USER_VARIABLE_BASE)
		return builtin_variable_name(id);
	const UserNames &table = user_names();
	size_t index = (size_t)(id - USER_VARIABLE_BASE);
	if (index >= table.names.size())
		return "<unknown variable>";
	return table.names[index];
}

int32_t variable_id(std::string_view name)
{
	int32_t builtin = builtin_variables().find(name);
	if (builtin >= 0)
		return builtin;
	return user_variable_id(name);
}
