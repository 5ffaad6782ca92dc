// constants.h: the constants table of game code (names and values, searched by
// the compiler): the built-in constants, then the game's own constants.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "code/value.h"

class CInstance;
class GameData;

// The number of built-in constants.
constexpr int32_t BUILTIN_CONSTANT_COUNT = 313;

// Appends a constant (the built-in ones are registered on first use).
void add_constant(std::string_view name, const Value &value);
int32_t constant_count();
// The index of a name (exact, case-sensitive; the first entry of that name), or -1.
int32_t find_constant(std::string_view name);
std::string_view constant_name(int32_t index);
const Value &constant_value(int32_t index);

// Compiles and runs a constant's value text as an expression with `self` and
// `other` set to the given instance. The compiler installs the real one; until
// then a literal number ("12", "-0.5", "$FF"), a quoted text or the name of an
// earlier constant is understood.
using ConstantEvaluator = bool (*)(const std::string &code_name, std::string_view text, CInstance *self,
                                   Value &out);
void set_constant_evaluator(ConstantEvaluator evaluator);

// A resource's name and index: game code written as text reads the name as a
// constant holding the index, as compiled code does.
struct ResourceName
{
	std::string name;
	int32_t index;
};

// The preparation step that defines the game's constants, after the built-in
// ones: first the resource names, then the constants of the options chunk,
// whose values may use those names. Constants defined by an earlier game are
// dropped first. A bad name or value shows its message and fails the step.
bool prepare_user_constants(const GameData &game, const std::vector<ResourceName> &resources = {});
