// function_table.cpp: the table of built-in functions.
#include "code/function_table.h"

void register_builtin_families()
{
	static bool registered = false;
	if (registered)
		return;
	registered = true;
}
