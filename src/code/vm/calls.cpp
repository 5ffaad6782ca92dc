// calls.cpp: calls from bytecode: built-in and extension functions, scripts with
// their frames (each frame holds its callee's sixteen arguments; locals per depth),
// returns, and the unwinding of frames after an error.
#include "code/arguments.h"
#include "code/variables.h"
#include "code/vm/machine_access.h"
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
	bool locals = code->program().uses_locals;
	if (vm_settings().trace)
		dbg_console().Output("script call = %s\n", code->name.c_str());
	CallFrame &f = m.rs->frames[m.depth];
	ScriptArguments &arguments = script_arguments();
	for (int i = 0; i < argc; i++)
		slot_to_value(m.sp[-1 - i], f.args[i]);
	f.caller_args = arguments.values;
	f.argc = arguments.count;
	f.written = arguments.written;
	arguments.values = f.args;
	arguments.count = argc;
	arguments.written = argc;
	f.return_ip = in + 1;
	f.call = in;
	f.self = m.self;
	f.other = m.other;
	f.code = m.code;
	f.instrs = m.instrs;
	f.locals = m.locals;
	f.base = m.base;
	f.result_at = m.sp - argc;
	f.with_base = m.with_base;
	m.sp = f.result_at;
	m.base = m.sp;
	m.limit -= VM_FRAME_UNITS;
	m.with_base = m.withs;
	m.code = code;
	m.instrs = entry;
	m.locals = locals ? &enter_locals() : nullptr;
	m.depth++;
	vm_set_stores(m);
	return entry;
}

// Returns from the running script with the given result (null: the real 0) and
// gives the caller's next instruction.
const Instr *vm_return(Machine &m, Slot *result)
{
	CallFrame &f = m.rs->frames[m.depth - 1];
	// The result as a Value slot: one already is; others pass through a Value.
	// Kept in registers and written to the caller's slot at the end: a slot
	// built in memory field by field and then copied whole would wait for
	// those writes to reach memory.
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
	if (m.withs > m.with_base)
		vm_close_withs(m, m.with_base);
	m.depth--;
	if (m.locals)
		leave_locals();
	ScriptArguments &arguments = script_arguments();
	// The frame's values back to the real 0 for its next call.
	Value::clear_range(f.args, arguments.written);
	arguments.values = f.caller_args;
	arguments.count = f.argc;
	arguments.written = f.written;
	m.self = f.self;
	m.other = f.other;
	m.code = f.code;
	m.instrs = f.instrs;
	m.locals = f.locals;
	m.base = f.base;
	m.with_base = f.with_base;
	m.limit += VM_FRAME_UNITS;
	m.sp = f.result_at;
	Slot &out = *m.sp++;
	out.l = bits;
	out.s = text;
	set_tag(out, SLOT_VALUE, kind);
	vm_set_stores(m);
	return f.return_ip;
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
