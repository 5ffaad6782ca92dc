// builtin_constants.h: the built-in constants of game code in their
// registration order (every one is a real).
#pragma once

#include <span>

struct BuiltinConstant
{
	const char *name;
	double value;
};

std::span<const BuiltinConstant> builtin_constant_list();
