// machine.h: the bytecode machine: running a piece of code against a `self` and
// an `other`, the settings that steer it (tracing, breakpoints, an instruction
// budget) and the hooks through which it reaches scripts, extension functions
// and the end of the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/settings.h"

class CCode;
class CInstance;
class Value;

// The call stack of one run is bounded: 16384 bytes, a script call taking 304 of
// them, so that runaway recursion is reported instead of crashing.
constexpr int VM_STACK_BYTES = 16384;
// Runs nested through built-in functions (events of created instances,
// script_execute) are bounded too.
constexpr int VM_MAX_NESTED_RUNS = 128;
// The exit code of the process after a machine error.
constexpr int VM_ERROR_EXIT_CODE = -1;

struct VMHooks
{
	// The code of a script by index, or null when the index names no script.
	// Script calls remember the piece an index gave: it must stay the same
	// until these hooks are set again, the piece is destroyed or drops its
	// decoded program, or vm_scripts_changed() is called.
	CCode *(*script_code)(int32_t index) = nullptr;
	// The name of a script, or null.
	const char *(*script_name)(int32_t index) = nullptr;
	// Calls extension function `id` (the id within the packages); until the
	// extension layer sets this, extension functions answer the real 0.
	void (*call_extension)(int32_t id, int argc, const Value *args, Value &result) = nullptr;
	// Ends the process after a machine error has been reported; the default is
	// exit(code). When it returns (tests), the failing run and every run around
	// it stop and report failure.
	void (*exit)(int code) = nullptr;
	// A breakpoint was reached: code name and line.
	void (*breakpoint)(const std::string &name, int line) = nullptr;
};

void set_vm_hooks(const VMHooks &hooks);
// Makes script calls ask script_code again for every index.
void vm_scripts_changed();
// Raised by vm_scripts_changed: remembered pieces of older generations are not used.
extern uint64_t g_vm_script_generation;
extern VMHooks g_vm_hooks; // read inline on every call; set through set_vm_hooks
inline const VMHooks &vm_hooks() { return g_vm_hooks; }

struct VMSettings
{
	bool trace = false;              // -trace: code, function and script names
	bool trace_instructions = false; // the listing of every instruction before it runs
	std::vector<Breakpoint> breakpoints; // from -bp, at most 10
	// Instructions a top-level run may execute before it is stopped with an
	// error; -1 for no limit (tests and the fuzzer set one).
	int64_t instruction_budget = -1;
};

extern VMSettings g_vm_settings;
inline VMSettings &vm_settings() { return g_vm_settings; }
// Takes -trace and -bp from the start-up settings, and lets script_execute run
// scripts on the machine.
void configure_vm(const Settings &settings);

// Runs a piece of bytecode to its end. The result, when asked for, receives the
// value left on top of the stack (the real 0 when nothing is left). Returns false
// when the run failed (a machine error, reported, or a failure around it).
bool vm_run(CCode &code, CInstance *self, CInstance *other, Value *result);

// CCode execution: kind 0 does nothing and succeeds; kind 3 copies its constant;
// kinds 1 and 2 run their bytecode when they have any.
bool code_execute(CInstance *self, CInstance *other, CCode &code, Value *result);
// The same for scripts run from built-in functions: a failed run leaves the
// string "ERROR" as the result.
bool code_execute_script(CInstance *self, CInstance *other, CCode &code, Value &result);

// True once a machine error has stopped the running code (until the next
// top-level run starts).
bool vm_aborted();
// Number of runs in progress (0 outside game code).
int vm_run_depth();
