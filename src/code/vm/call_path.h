// call_path.h: laying and taking down a script call's frame, inline so that the
// run loop enters and leaves scripts with its stack registers in machine
// registers; the checks, errors and tracing around them are in calls.cpp.
#pragma once

#include <bit>
#include <vector>

#include "code/arguments.h"
#include "code/variables.h"
#include "code/vm/machine_access.h"

// A script ready to enter (decoded, well formed, not empty), remembered by
// index while the generation stays the machine's script generation.
struct ScriptCacheEntry
{
	CCode *code;
	const Instr *entry;
	uint64_t generation;
	bool uses_locals;
};
extern std::vector<ScriptCacheEntry> g_script_cache;
// Asks the hook; remembers and gives the script when it is ready to enter.
const ScriptCacheEntry *vm_fill_script_cache(int32_t index);

// The script of an index when it is ready to enter, else null (the general
// call decides); the hook is asked once per index and generation.
inline const ScriptCacheEntry *vm_ready_script(int32_t index)
{
	if ((size_t)(uint32_t)index < g_script_cache.size()) {
		const ScriptCacheEntry &e = g_script_cache[(size_t)index];
		if (e.generation == g_vm_script_generation)
			return &e;
	}
	return vm_fill_script_cache(index);
}

// A slot's kind and type without the padding above them: a double (kind 0)
// or a real Value compares equal to one of these in a single test.
inline uint64_t slot_tag(const Slot &s) { return s.tag & 0xFFFFFFFFFFull; }
constexpr uint64_t TAG_DOUBLE = (uint64_t)SLOT_DOUBLE << 32;
constexpr uint64_t TAG_REAL_VALUE = (uint64_t)SLOT_VALUE << 32 | VALUE_REAL;

// Moves the top argc slots into a frame's values (all the real 0) without a
// call while they are reals; false at the first that is not (the general
// conversion then takes them all).
inline bool take_real_arguments(const Slot *sp, Value *args, int argc)
{
	for (int i = 0; i < argc; i++) {
		const Slot &s = sp[-1 - i];
		uint64_t tag = slot_tag(s);
		if (tag != TAG_DOUBLE && tag != TAG_REAL_VALUE)
			return false;
		args[i].fill_empty(VALUE_REAL, nullptr, s.d);
	}
	return true;
}

// Any argument slots, through the general conversion.
void take_arguments(Slot *sp, Value *args, int argc);
// Frees the texts among a frame's first n values and sets them to the real 0.
void clear_arguments(Value *args, int n);

// Enters `code` at `entry` with argc arguments already in the frame's values
// (the frame at m.depth) and sp where the callee's stack begins: the frame
// keeps the caller's registers and argument values. sp, base and limit are the
// loop's registers; m's base and limit follow them.
VM_INLINE void lay_frame(Machine &m, const Instr *in, CCode *code, const Instr *entry, bool uses_locals, int argc,
                         Slot *sp, Slot *&base, Slot *&limit)
{
	CallFrame &f = m.rs->frames[m.depth];
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
	m.base = base = sp;
	m.limit = limit -= VM_FRAME_UNITS;
	m.with_base = m.withs;
	m.code = code;
	m.instrs = entry;
	m.locals = uses_locals ? &enter_locals() : nullptr;
	vm_set_locals_store(m);
	m.depth++;
}

// The same with the top argc slots as the arguments, moved into the frame.
// The caller has checked the argument count and that the frame fits.
inline void lay_script_frame(Machine &m, const Instr *in, CCode *code, const Instr *entry, bool uses_locals, int argc,
                             Slot *&sp, Slot *&base, Slot *&limit)
{
	Value *args = m.rs->frames[m.depth].args;
	if (!take_real_arguments(sp, args, argc))
		take_arguments(sp, args, argc);
	sp -= argc;
	lay_frame(m, in, code, entry, uses_locals, argc, sp, base, limit);
}

// The script a call instruction of argc arguments reaches when it can be
// entered at once (ready, room for the frame with sp where its stack will
// begin, no tracing), else null. The caller has checked that the call's id
// is a script's.
VM_INLINE const ScriptCacheEntry *script_to_enter(const Instr *call, const Slot *sp, const Slot *limit)
{
	// Room for the frame on the stack also bounds the depth.
	static_assert(VM_MAX_FRAMES * VM_FRAME_UNITS > VM_STACK_UNITS);
	if (sp + VM_FRAME_UNITS > limit || vm_settings().trace)
		return nullptr;
	return vm_ready_script(call->i - SCRIPT_ID_BASE);
}

// The common script call: a decoded, well-formed script, at most sixteen
// arguments, room for the frame, no tracing. Returns its first instruction, or
// null (nothing changed) when the general call must decide.
inline const Instr *enter_script_fast(Machine &m, const Instr *in, int argc, Slot *&sp, Slot *&base, Slot *&limit)
{
	const ScriptCacheEntry *script = argc <= MAX_ARGUMENTS ? script_to_enter(in, sp, limit) : nullptr;
	if (!script)
		return nullptr;
	lay_script_frame(m, in, script->code, script->entry, script->uses_locals, argc, sp, base, limit);
	return script->entry;
}

// Sets a frame's first n values back to the real 0 while they hold no text;
// the common small counts are laid out without a loop.
VM_INLINE bool clear_written_arguments(Value *args, int n)
{
	switch (n) {
	case 0: return true;
	case 1: return Value::clear_reals(args, 1);
	case 2: return Value::clear_reals(args, 2);
	case 3: return Value::clear_reals(args, 3);
	default: return Value::clear_reals(args, n);
	}
}

// Leaves the running script, whose stack is empty and whose with frames are
// closed: the caller's registers and arguments come back (the frame's values
// back to the real 0 for its next call) and sp is where the call's arguments
// began, for the result. Gives the caller's next instruction.
VM_INLINE const Instr *leave_frame(Machine &m, Slot *&sp, Slot *&base, Slot *&limit)
{
	CallFrame &f = m.rs->frames[--m.depth];
	if (m.locals)
		leave_locals();
	ScriptArguments &arguments = script_arguments();
	if (!clear_written_arguments(f.args, arguments.written))
		clear_arguments(f.args, arguments.written);
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
	return f.return_ip;
}

// The same with the result, given as a Value slot's payload, pushed for the
// caller.
inline const Instr *leave_script_frame(Machine &m, int64_t bits, char *text, uint32_t kind, Slot *&sp, Slot *&base,
                                       Slot *&limit)
{
	const Instr *next = leave_frame(m, sp, base, limit);
	// Written field by field from registers: a slot built in memory and
	// copied whole would wait for those writes to reach memory.
	Slot &out = *sp++;
	out.l = bits;
	out.s = text;
	set_tag(out, SLOT_VALUE, kind);
	return next;
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
		uint64_t tag = slot_tag(*result);
		if (tag == TAG_REAL_VALUE || tag == (TAG_REAL_VALUE | VALUE_STRING))
			kind = (uint32_t)tag;
		else if (tag != TAG_DOUBLE)
			return nullptr;
		bits = result->l;
		text = result->s;
		result->s = nullptr;
	}
	free_slots(base, sp);
	return leave_script_frame(m, bits, text, kind, sp, base, limit);
}

// A return of a real a combined handler computed, where the plain return
// would take the common way (the caller checked that a script frame is open
// and no with frame is): frees what the script left on its stack. In
// `x = f(...)` with x a local in a slot holding a real, the result goes
// straight into x and the caller goes on after its pop.
VM_INLINE const Instr *return_real(Machine &m, double x, Slot *&sp, Slot *&base, Slot *&limit)
{
	free_slots(base, sp);
	const Instr *next = leave_frame(m, sp, base, limit);
	if (next->handler == OP_F_POP_SLOT) {
		Value &target = m.frame[next->aux];
		if (target.kind() == VALUE_REAL) {
			target.set_real(x);
			return next + 1;
		}
	}
	Slot &out = *sp++;
	out.d = x;
	out.s = nullptr;
	set_tag(out, SLOT_VALUE, VALUE_REAL);
	return next;
}
