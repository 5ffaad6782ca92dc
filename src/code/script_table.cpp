// script_table.cpp: the script table and its hooks into the function lookup.
#include "code/script_table.h"

#include "code/compiler/code_compile.h"
#include "code/function_table.h"
#include "code/value.h"
#include "code/vm/code.h"
#include "code/vm/machine.h"

ScriptTable &script_table()
{
	static ScriptTable table;
	return table;
}

// Script calls remember pieces by index: a changed table makes them look again.
void ScriptTable::clear()
{
	m_scripts.clear();
	vm_scripts_changed();
}

void ScriptTable::add(std::unique_ptr<CScript> script)
{
	m_scripts.push_back(std::move(script));
	vm_scripts_changed();
}

int32_t ScriptTable::index_of(std::string_view name) const
{
	for (size_t i = 0; i < m_scripts.size(); i++)
		if (m_scripts[i] && m_scripts[i]->name == name)
			return (int32_t)i;
	return -1;
}

namespace {

int32_t find_script(std::string_view name)
{
	return script_table().index_of(name);
}

const char *script_name(int32_t index)
{
	CScript *script = script_table().find(index);
	return script ? script->name.c_str() : nullptr;
}

CCode *script_code(int32_t index)
{
	CScript *script = script_table().find(index);
	return script ? script->code.code.get() : nullptr;
}

// A script run from a built-in function: a failed run leaves "ERROR".
bool run_script(int32_t index, CInstance *self, CInstance *other, Value &result)
{
	CCode *code = script_code(index);
	if (!code)
		return false;
	if (code->has_bytecode() || !code->tree)
		return code_execute_script(self, other, *code, result);
	if (execute_code(self, other, *code, result))
		return true;
	result.set_string("ERROR");
	return false;
}

} // namespace

void install_script_hooks()
{
	ScriptHooks hooks = script_hooks();
	hooks.find = find_script;
	hooks.name = script_name;
	hooks.run = run_script;
	set_script_hooks(hooks);
	VMHooks vm = vm_hooks();
	vm.script_code = script_code;
	vm.script_name = script_name;
	set_vm_hooks(vm);
}
