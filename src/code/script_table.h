// script_table.h: the scripts of the game (SCPT), found by name and index by
// the function lookup and run through the code runner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "code/code_ref.h"

class CScript
{
public:
	virtual ~CScript() = default;
	std::string name;
	CodeRef code;
};

class ScriptTable
{
public:
	void clear();
	// Appends the script of the next index (null for an empty index).
	void add(std::unique_ptr<CScript> script);
	int32_t count() const { return (int32_t)m_scripts.size(); }
	CScript *find(int32_t index) const
	{
		return index >= 0 && index < count() ? m_scripts[index].get() : nullptr;
	}
	// The first script of this exact name, or -1.
	int32_t index_of(std::string_view name) const;

private:
	std::vector<std::unique_ptr<CScript>> m_scripts;
};

ScriptTable &script_table();

// Lets the function lookup find scripts by name and run them.
void install_script_hooks();
