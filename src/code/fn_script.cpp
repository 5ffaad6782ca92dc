// fn_script.cpp: built-in functions that run scripts: script_execute.
#include <algorithm>
#include <cmath>

#include "code/arguments.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/value.h"

namespace {

// script_execute(script, arg0, ...): runs a script with up to fifteen arguments;
// the caller's argument values are put back afterwards.
void fn_script_execute(Value &result, CInstance *self, CInstance *other, int argc, const Value *args)
{
	const ScriptHooks &hooks = script_hooks();
	int64_t index = argc > 0 ? round_to_int(args[0].real()) : -1;
	const char *name = nullptr;
	if (index >= 0 && index < EXTENSION_ID_BASE - SCRIPT_ID_BASE && hooks.name)
		name = hooks.name((int32_t)index);
	if (!name || !hooks.run) {
		report_error("Trying to execute non-existing script.");
		return;
	}
	SavedArguments saved;
	ScriptArguments &arguments = script_arguments();
	int given = std::clamp(argc - 1, 0, MAX_ARGUMENTS - 1);
	for (int i = 0; i < MAX_ARGUMENTS; i++) {
		if (i < given)
			arguments.values[i] = args[i + 1];
		else
			arguments.values[i].clear();
	}
	arguments.count = given;
	if (!hooks.run((int32_t)index, self, other, result)) {
		result.set_string("ERROR");
		set_code_error_message("In script " + std::string(name) + ":\n" + code_error_message());
	}
}

const BuiltinEntry script_functions[] = {
	{"script_execute", fn_script_execute, -1},
};

} // namespace

void register_script_functions() { register_functions(script_functions); }
