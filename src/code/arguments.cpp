// arguments.cpp: the argument values of the running script.
#include "code/arguments.h"

#include <utility>

ScriptArguments g_script_arguments;

SavedArguments::SavedArguments()
{
	ScriptArguments &now = script_arguments();
	for (int i = 0; i < MAX_ARGUMENTS; i++)
		m_values[i] = now.values[i];
	m_count = now.count;
}

SavedArguments::~SavedArguments()
{
	ScriptArguments &now = script_arguments();
	for (int i = 0; i < MAX_ARGUMENTS; i++)
		now.values[i] = std::move(m_values[i]);
	now.count = m_count;
	now.written = MAX_ARGUMENTS;
}
