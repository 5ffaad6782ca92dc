// builtin_call.h: calling built-in functions by name from tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "code/function_table.h"
#include "code/value.h"

// Calls a registered built-in with the given arguments, as the machine would:
// the result starts as the real 0. Fails the test when the name is unknown.
inline Value call_builtin(const char *name, std::initializer_list<Value> args = {})
{
	register_builtin_families();
	int32_t id = builtin_function_id(name);
	const BuiltinEntry *entry = function_entry(id);
	Value result;
	if (!entry) {
		ADD_FAILURE() << "no built-in function " << name;
		return result;
	}
	std::vector<Value> argv(args);
	entry->routine(result, nullptr, nullptr, (int)argv.size(), argv.data());
	return result;
}

inline Value S(const char *text) { return Value(text); }
