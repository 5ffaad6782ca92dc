// call_path.h: laying and taking down a script call's frame, inline so that the
// run loop enters and leaves scripts with its stack registers in machine
// registers; the checks, errors and tracing around them are in calls.cpp.
#pragma once

#include "code/arguments.h"
#include "code/variables.h"
#include "code/vm/machine_access.h"

// Moves an argument slot into its frame value (which holds the real 0).
inline void take_argument(Slot &s, Value &out)
{
	if (s.type == SLOT_DOUBLE || (s.type == SLOT_VALUE && s.kind == VALUE_REAL))
		out.set_real(s.d);
	else
		slot_to_value(s, out);
}

// Enters `code` at `entry` with the top argc slots as its arguments: the frame
// keeps the caller's registers and argument values, the arguments move into
// it, and the callee's stack begins where they were (sp, base and limit are
// the loop's registers; m's base and limit follow them). The caller has checked
// the argument count and that the frame fits.
inline void lay_script_frame(Machine &m, const Instr *in, CCode *code, const Instr *entry, int argc, Slot *&sp,
                             Slot *&base, Slot *&limit)
{
	CallFrame &f = m.rs->frames[m.depth];
	for (int i = 0; i < argc; i++)
		take_argument(sp[-1 - i], f.args[i]);
	ScriptArguments &arguments = script_arguments();
	f.caller_args = arguments.values;
	f.argc = arguments.count;
	f.written = arguments.written;
	arguments.values = f.args;
	arguments.count = argc;
	arguments.written = argc;
	f.return_ip = in + 1;
	f.code = m.code;
	f.instrs = m.instrs;
	f.locals = m.locals;
	f.base = base;
	f.with_base = m.with_base;
	sp -= argc;
	m.base = base = sp;
	m.limit = limit -= VM_FRAME_UNITS;
	m.with_base = m.withs;
	m.code = code;
	m.instrs = entry;
	m.locals = code->uses_locals() ? &enter_locals() : nullptr;
	vm_set_locals_store(m);
	m.depth++;
}

// The common script call: a decoded, well-formed script, at most sixteen
// arguments, room for the frame, no tracing. Returns its first instruction, or
// null (nothing changed) when the general call must decide.
inline const Instr *enter_script_fast(Machine &m, const Instr *in, int32_t index, int argc, Slot *&sp, Slot *&base,
                                      Slot *&limit)
{
	CCode *(*lookup)(int32_t) = vm_hooks().script_code;
	CCode *code = lookup ? lookup(index) : nullptr;
	const Instr *entry = code && code->kind != CODE_EMPTY && code->has_bytecode() ? code->entry() : nullptr;
	if (!entry || argc > MAX_ARGUMENTS || m.depth >= VM_MAX_FRAMES || sp + VM_FRAME_UNITS > limit ||
	    vm_settings().trace)
		return nullptr;
	lay_script_frame(m, in, code, entry, argc, sp, base, limit);
	return entry;
}

// Leaves the running script, whose stack is empty and whose with frames are
// closed, with the result given as a Value slot's payload: the caller's
// registers and arguments come back (the frame's values back to the real 0
// for its next call) and the result goes where the call's arguments began.
// Gives the caller's next instruction.
inline const Instr *leave_script_frame(Machine &m, int64_t bits, char *text, uint32_t kind, Slot *&sp, Slot *&base,
                                       Slot *&limit)
{
	CallFrame &f = m.rs->frames[--m.depth];
	if (m.locals)
		leave_locals();
	ScriptArguments &arguments = script_arguments();
	Value::clear_range(f.args, arguments.written);
	arguments.values = f.caller_args;
	arguments.count = f.argc;
	arguments.written = f.written;
	m.code = f.code;
	m.instrs = f.instrs;
	m.locals = f.locals;
	vm_set_locals_store(m);
	m.with_base = f.with_base;
	m.limit = limit += VM_FRAME_UNITS;
	sp = base;
	m.base = base = f.base;
	// Written field by field from registers: a slot built in memory and
	// copied whole would wait for those writes to reach memory.
	Slot &out = *sp++;
	out.l = bits;
	out.s = text;
	set_tag(out, SLOT_VALUE, kind);
	return f.return_ip;
}

// The common return: the result slot (null: the real 0) is a real or a
// string, and no with frame is open. Frees what else the script left on its
// stack. Null (nothing changed) when the general return must do it.
inline const Instr *return_fast(Machine &m, Slot *result, Slot *&sp, Slot *&base, Slot *&limit)
{
	if (m.withs > m.with_base)
		return nullptr;
	int64_t bits = 0;
	char *text = nullptr;
	uint32_t kind = VALUE_REAL;
	if (result) {
		if (result->type == SLOT_VALUE && (result->kind == VALUE_REAL || result->kind == VALUE_STRING))
			kind = result->kind;
		else if (result->type != SLOT_DOUBLE)
			return nullptr;
		bits = result->l;
		text = result->s;
		result->s = nullptr;
	}
	free_slots(base, sp);
	return leave_script_frame(m, bits, text, kind, sp, base, limit);
}
