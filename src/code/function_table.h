// function_table.h: the table of built-in functions, and lookup of the names
// that game code calls.
// Ids: 0 .. size-1 built-in functions (the table index), 100000 + index for
// scripts, 500000 + id for functions of extension packages.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

class Value;
class CInstance;

constexpr int32_t SCRIPT_ID_BASE = 100000;
constexpr int32_t EXTENSION_ID_BASE = 500000;
constexpr int MAX_ARGUMENTS = 16;

// A built-in routine: the caller clears the result to the real 0 first; the
// routine writes its result there. The arguments belong to the caller.
using BuiltinRoutine = void (*)(Value &result, CInstance *self, CInstance *other, int argc, const Value *args);

struct BuiltinEntry
{
	const char *name;
	BuiltinRoutine routine;
	int argc; // the exact number of arguments, or -1 for 0 to 16
};

// Appends an entry; its index is its id. A name registered twice gets a second
// entry, and look-ups find the first.
void register_function(const char *name, BuiltinRoutine routine, int argc);
// Registers a family's table in its order.
void register_functions(std::span<const BuiltinEntry> entries);

// Registers every family of built-in functions in its fixed order. Runs once,
// when the first pass meets the header chunk; later calls do nothing.
void register_builtin_families();

// The number of registered built-in functions.
int32_t function_count();
// The entry of a built-in id, or null for an id outside the table.
const BuiltinEntry *function_entry(int32_t id);
// The id of a built-in function by exact name, or -1.
int32_t builtin_function_id(std::string_view name);

// Scripts and extension functions share the id space with the built-ins; their
// modules, built later, register these hooks. A hook that is not set means there
// are none.
struct ScriptHooks
{
	// The index of the script with this exact name, or -1.
	int32_t (*find)(std::string_view name) = nullptr;
	// The script's name, or null when the index names no script.
	const char *(*name)(int32_t index) = nullptr;
	// Runs the script's code as a new run of the bytecode machine with the given
	// self and other, leaving its result in result. Returns false when the run
	// failed (its message is then the code error message).
	bool (*run)(int32_t index, CInstance *self, CInstance *other, Value &result) = nullptr;
};

struct ExtensionHooks
{
	// The id of the extension function with this name within its package, or -1.
	int32_t (*find)(std::string_view name) = nullptr;
	// The declared argument count of an extension function id.
	int (*argument_count)(int32_t id) = nullptr;
};

void set_script_hooks(const ScriptHooks &hooks);
const ScriptHooks &script_hooks();
void set_extension_hooks(const ExtensionHooks &hooks);
const ExtensionHooks &extension_hooks();

// The id that a call of this name reaches: a script (SCRIPT_ID_BASE + index),
// else an extension function (EXTENSION_ID_BASE + id), else a built-in (its
// index); -1 for an empty or unknown name.
int32_t function_id(std::string_view name);

// The argument count of an id: an extension function's declared count, -1 for a
// script, -100 for any other id outside the table, else the entry's count.
int function_argument_count(int32_t id);
