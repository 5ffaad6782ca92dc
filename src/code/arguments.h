// arguments.h: the sixteen argument values of the running script (argument0 to
// argument15) and the current argument count, shared by the bytecode machine,
// script_execute and the argument* built-in variables.
#pragma once

#include "code/function_table.h"
#include "code/value.h"

struct ScriptArguments
{
	ScriptArguments() = default;
	ScriptArguments(const ScriptArguments &) = delete;
	ScriptArguments &operator=(const ScriptArguments &) = delete;

	// The running script's sixteen values: `own` outside script calls, the
	// callee's frame during a script call of the bytecode machine (which saves
	// and restores this pointer instead of the values).
	Value *values = own;
	int count = 0; // argument_count
	// Values from this one on are the real 0; whatever writes values[i] raises
	// it (write_at), so that a call's frame is cleared only as far as it was used.
	int written = MAX_ARGUMENTS;
	Value own[MAX_ARGUMENTS];

	Value &write_at(int i)
	{
		if (i >= written)
			written = i + 1;
		return values[i];
	}
};

// Defined in arguments.cpp; the machine reads it on every argument access.
extern ScriptArguments g_script_arguments;
inline ScriptArguments &script_arguments() { return g_script_arguments; }

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
	Value m_values[MAX_ARGUMENTS];
	int m_count = 0;
};
