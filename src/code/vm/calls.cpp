// calls.cpp: calls from bytecode: built-in and extension functions, scripts with
// their frames (each frame holds its callee's sixteen arguments; locals per depth),
// returns, and the unwinding of frames after an error.
#include "code/arguments.h"
#include "code/variables.h"
#include "code/vm/call_path.h"
#include "common/console.h"

std::string vm_function_name(int32_t id)
{
	const BuiltinEntry *entry = function_entry(id);
	return entry ? entry->name : "<unknown function>";
}

// The piece's decoded instructions, or null after reporting a malformed piece.
const Instr *vm_program_of(Machine &m, CCode &code)
{
	const Program &program = code.program();
	if (!program.error.empty()) {
		vm_fail(m, "Execution Error - malformed bytecode in " + code.name + ": " + program.error);
		return nullptr;
	}
	return program.code.data();
}

// Calls a built-in or extension function with the top argc Value slots.
bool vm_call_function(Machine &m, int32_t id, int argc)
{
	Value args[MAX_ARGUMENTS];
	Slot *first = m.sp - argc; // the deepest argument: the last one
	for (int i = 0; i < argc; i++)
		if (!slot_to_value(m.sp[-1 - i], args[i]))
			return vm_fail(m, "DoCall :: Execution Error - malformed argument");
	m.sp = first;
	Value result;
	CInstance *self = m.self, *other = m.other;
	if (id < SCRIPT_ID_BASE) {
		const BuiltinEntry *entry = function_entry(id);
		if (vm_settings().trace)
			dbg_console().Output("func call = %s\n", entry->name);
		entry->routine(result, self, other, argc, args);
	} else if (vm_hooks().call_extension) {
		vm_hooks().call_extension(id - EXTENSION_ID_BASE, argc, args, result);
	}
	*m.sp++ = slot_value_take(result);
	return !vm_aborted();
}

std::vector<ScriptCacheEntry> g_script_cache;

const ScriptCacheEntry *vm_fill_script_cache(int32_t index)
{
	// Indices of real games are small; a stray large one is not remembered.
	constexpr int32_t MAX_CACHED = 1 << 16;
	CCode *code = vm_hooks().script_code ? vm_hooks().script_code(index) : nullptr;
	if (!code || code->kind == CODE_EMPTY || !code->has_bytecode() || !code->entry() || index < 0 ||
	    index >= MAX_CACHED)
		return nullptr;
	if ((size_t)index >= g_script_cache.size())
		g_script_cache.resize((size_t)index + 1, ScriptCacheEntry{nullptr, nullptr, 0, false});
	ScriptCacheEntry &e = g_script_cache[(size_t)index];
	e = {code, code->entry(), g_vm_script_generation, code->uses_locals()};
	return &e;
}

void take_arguments(Slot *sp, Value *args, int argc)
{
	for (int i = 0; i < argc; i++)
		slot_to_value(sp[-1 - i], args[i]);
}

void clear_arguments(Value *args, int n) { Value::clear_range(args, n); }

// A script call: lays a frame, moves the arguments into argument0..., and
// switches to the script's code. Returns the script's first instruction, or
// null after an error (or, for a script without bytecode, the next
// instruction with the real 0 pushed).
const Instr *vm_call_script(Machine &m, const Instr *in, int32_t index, int argc)
{
	const VMHooks &h = vm_hooks();
	CCode *code = h.script_code ? h.script_code(index) : nullptr;
	if (!code) {
		const char *name = h.script_name ? h.script_name(index) : nullptr;
		if (!name) {
			vm_fail(m, "DoCall :: Execution Error - unknown script " + std::to_string(index));
			return nullptr;
		}
	}
	if (!code || code->kind == CODE_EMPTY || !code->has_bytecode()) {
		free_slots(m.sp - argc, m.sp);
		m.sp -= argc;
		*m.sp++ = slot_double(0);
		return in + 1;
	}
	if (argc > MAX_ARGUMENTS) {
		vm_fail(m, "DoCall :: Execution Error - more than 16 arguments to script " + code->name);
		return nullptr;
	}
	if (m.depth >= VM_MAX_FRAMES || m.sp + VM_FRAME_UNITS > m.limit) {
		vm_fail(m, "DoCall :: Execution Error - stack overflow calling script " + code->name);
		return nullptr;
	}
	const Instr *entry = vm_program_of(m, *code);
	if (!entry)
		return nullptr;
	if (vm_settings().trace)
		dbg_console().Output("script call = %s\n", code->name.c_str());
	lay_script_frame(m, in, code, entry, code->program().uses_locals, argc, m.sp, m.base, m.limit);
	return entry;
}

// Returns from the running script with the given result (null: the real 0) and
// gives the caller's next instruction.
const Instr *vm_return(Machine &m, Slot *result)
{
	// The result as a Value slot: one already is; others pass through a Value.
	int64_t bits;
	char *text;
	uint32_t kind;
	if (result && result->type == SLOT_VALUE && (result->kind == VALUE_REAL || result->kind == VALUE_STRING)) {
		bits = result->l;
		text = result->s;
		kind = result->kind;
		result->s = nullptr;
	} else {
		Value value;
		if (result)
			slot_to_value(*result, value);
		Slot taken = slot_value_take(value);
		bits = taken.l;
		text = taken.s;
		kind = taken.kind;
	}
	free_slots(m.base, m.sp);
	bool withs = m.withs > m.with_base;
	if (withs)
		vm_close_withs(m, m.with_base); // self and other as at the call
	const Instr *next = leave_script_frame(m, bits, text, kind, m.sp, m.base, m.limit);
	if (withs)
		vm_set_stores(m);
	return next;
}

// After a failure: every script frame is left as a return would leave it, so
// that arguments, locals and the stack are as before the run.
void vm_unwind(Machine &m)
{
	while (m.depth > 0)
		vm_return(m, nullptr);
	vm_close_withs(m, 0);
	free_slots(m.rs->slots, m.sp);
	m.sp = m.rs->slots;
}
