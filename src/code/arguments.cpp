// arguments.cpp: the argument values of the running script.
#include "code/arguments.h"

#include <utility>

ScriptArguments &script_arguments()
{
	static ScriptArguments arguments;
	return arguments;
}

SavedArguments::SavedArguments()
{
	ScriptArguments &now = script_arguments();
	for (int i = 0; i < MAX_ARGUMENTS; i++)
		m_saved.values[i] = now.values[i];
	m_saved.count = now.count;
}

SavedArguments::~SavedArguments()
{
	ScriptArguments &now = script_arguments();
	for (int i = 0; i < MAX_ARGUMENTS; i++)
		now.values[i] = std::move(m_saved.values[i]);
	now.count = m_saved.count;
}
