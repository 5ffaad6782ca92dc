// arguments.h: the sixteen argument values of the running script (argument0 to
// argument15) and the current argument count, shared by the bytecode machine,
// script_execute and the argument* built-in variables.
#pragma once

#include "code/function_table.h"
#include "code/value.h"

struct ScriptArguments
{
	Value values[MAX_ARGUMENTS];
	int count = 0; // argument_count
};

ScriptArguments &script_arguments();

// Keeps a deep copy of the sixteen values and the count while it lives and puts
// them back when it ends: a script call must leave its caller's arguments as
// they were.
class SavedArguments
{
public:
	SavedArguments();
	~SavedArguments();
	SavedArguments(const SavedArguments &) = delete;
	SavedArguments &operator=(const SavedArguments &) = delete;

private:
	ScriptArguments m_saved;
};
