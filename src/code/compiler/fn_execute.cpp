// fn_execute.cpp: execute_string and execute_file: source text compiled at run
// time under a counted name and run with the caller's self and other, the
// arguments after the text becoming argument0... for the duration.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "code/arguments.h"
#include "code/compiler/code_compile.h"
#include "code/compiler/codegen.h"
#include "code/compiler/tree_exec.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/variables.h"
#include "code/vm/code.h"
#include "common/paths.h"

namespace {

// A file to execute is read whole before it is compiled; larger ones are
// refused.
constexpr uintmax_t MAX_EXECUTE_FILE_BYTES = 8u << 20;

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

// The text of a file to execute: its lines, each ending with a line break
// (a CR before the break belongs to it). False with a report when the file
// is missing, not a plain file, too large or unreadable.
bool read_execute_file(const std::string &name, std::string &text)
{
	std::error_code error;
	std::filesystem::path path = game_paths().resolve(name);
	if (!std::filesystem::is_regular_file(path, error)) {
		report_error("Trying to execute non-existing file.");
		return false;
	}
	uintmax_t size = std::filesystem::file_size(path, error);
	if (error || size > MAX_EXECUTE_FILE_BYTES) {
		report_error("Trying to execute a file larger than " + std::to_string(MAX_EXECUTE_FILE_BYTES >> 20) +
		             " MiB: " + name);
		return false;
	}
	std::ifstream in(path, std::ios::binary);
	std::string line;
	while (in && std::getline(in, line)) {
		if (!line.empty() && line.back() == '\r')
			line.pop_back();
		text += line;
		text += '\n';
		if (text.size() > MAX_EXECUTE_FILE_BYTES + 1)
			break; // the file grew while it was read
	}
	if (in.bad() || text.size() > MAX_EXECUTE_FILE_BYTES + 1) {
		report_error("Cannot read the file to be executed: " + name);
		return false;
	}
	return true;
}

// execute_file(file name, arg0, ...)
void fn_execute_file(Value &result, CInstance *self, CInstance *other, int argc, const Value *args)
{
	if (argc < 1)
		return;
	std::string text;
	if (!read_execute_file(value_to_text(args[0]), text))
		return;
	std::string name = "ExecuteFile." + std::to_string(g_execute_file_count++);
	run_text(result, self, other, argc, args, text, name, "COMPILATION ERROR in file to be executed\n");
}

// The `globalvar` statement of generated code: declares the variable id.
void fn_declare_global(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	if (argc == 1 && args[0].is_real() && args[0].real() >= USER_VARIABLE_BASE && args[0].real() <= INT32_MAX)
		declare_global((int32_t)args[0].real());
}

const BuiltinEntry execute_functions[] = {
	{"execute_string", fn_execute_string, -1},
	{"execute_file", fn_execute_file, -1},
	{GLOBALVAR_FUNCTION, fn_declare_global, 1},
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
