// fn_execute.cpp: execute_string and execute_file: source text compiled at run
// time under a counted name and run with the caller's self and other, the
// arguments after the text becoming argument0... for the duration.
#include <algorithm>
#include <fstream>
#include <string>

#include "code/arguments.h"
#include "code/compiler/code_compile.h"
#include "code/compiler/tree_exec.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/vm/code.h"
#include "common/paths.h"

namespace {

int g_execute_count = 0;
int g_execute_file_count = 0;

// Compiles and runs text; `compile_message` heads the compile error.
void run_text(Value &result, CInstance *self, CInstance *other, int argc, const Value *args,
              const std::string &text, const std::string &name, const char *compile_message)
{
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
	CCode code;
	if (!compile_code(code, text, name, COMPILE_PROGRAM)) {
		report_error(std::string(compile_message) + code_error_message());
		return;
	}
	// The machine reports its own errors; the tree executor leaves them to us.
	if (!execute_code(self, other, code, result) && !code.has_bytecode())
		report_error(code_error_message());
}

// execute_string(text, arg0, ...)
void fn_execute_string(Value &result, CInstance *self, CInstance *other, int argc, const Value *args)
{
	if (argc < 1)
		return;
	std::string name = "Execute." + std::to_string(g_execute_count++);
	run_text(result, self, other, argc, args, value_to_text(args[0]), name,
	         "COMPILATION ERROR in string to be executed\n");
}

// execute_file(file name, arg0, ...): the file's lines, each ending with a
// line break.
void fn_execute_file(Value &result, CInstance *self, CInstance *other, int argc, const Value *args)
{
	if (argc < 1)
		return;
	std::ifstream in(game_paths().resolve(value_to_text(args[0])), std::ios::binary);
	if (!in) {
		report_error("Trying to execute non-existing file.");
		return;
	}
	std::string text, line;
	while (std::getline(in, line))
		text += line + "\n";
	std::string name = "ExecuteFile." + std::to_string(g_execute_file_count++);
	run_text(result, self, other, argc, args, text, name, "COMPILATION ERROR in file to be executed\n");
}

const BuiltinEntry execute_functions[] = {
	{"execute_string", fn_execute_string, -1},
	{"execute_file", fn_execute_file, -1},
};

} // namespace

void register_execute_functions() { register_functions(execute_functions); }

bool evaluate_constant_text(const std::string &code_name, std::string_view text, CInstance *self, Value &out)
{
	// The tree executor runs it: its errors are not fatal, so that a bad value
	// ends in the preparation step's own message.
	CodeTree tree;
	if (!compile_tree(tree, text, code_name, COMPILE_EXPRESSION))
		return false;
	return execute_tree(tree, self, self, out);
}
