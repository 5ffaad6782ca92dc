// machine_state.h: the registers and stack areas of one run of the machine,
// shared by the run loop and its out-of-line parts (calls, with, reports).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "code/function_table.h"
#include "code/slot.h"
#include "code/value.h"
#include "code/vm/code.h"
#include "code/vm/machine.h"

class CInstance;
class CLocals;
class CVariableList;

// Budget of the stack area, in 16-byte units: a Value slot takes one; a call
// frame (304 bytes on the original machine) takes 19; a with frame one.
constexpr int VM_STACK_UNITS = VM_STACK_BYTES / 16;
constexpr int VM_FRAME_UNITS = 19;
constexpr int VM_WITH_UNITS = 1;
constexpr int VM_MAX_FRAMES = VM_STACK_UNITS / VM_FRAME_UNITS + 1;
constexpr int VM_MAX_WITHS = VM_STACK_UNITS / VM_WITH_UNITS + 1;

// A script call: the caller's registers, and the callee's sixteen argument
// values (all the real 0 while the frame is not in use). Self and other are not
// kept: a call leaves them as they are, and its with frames are closed (putting
// them back) before it returns.
struct CallFrame
{
	const Instr *return_ip; // the instruction after the call
	CCode *code;
	const Instr *instrs;
	CLocals *locals;
	Slot *base;         // the caller's stack floor
	Value *caller_args; // the caller's argument values
	int32_t argc;       // the caller's argument count
	int32_t written;    // and how far its values were written
	int32_t with_base;
	Value args[MAX_ARGUMENTS];

	// The call instruction, for the call stack of error reports.
	const Instr *call() const { return return_ip - 1; }
};

// A with frame: the saved self and other, and the instances still to visit
// (positions [cursor, end) of the run's instance list).
struct WithFrame
{
	CInstance *self;
	CInstance *other;
	uint32_t start; // where its list begins; closing truncates the list there
	uint32_t cursor;
	uint32_t end;
};

// The stack areas of one nesting level of runs, kept for reuse so that a run
// allocates nothing.
struct RunStack
{
	Slot slots[VM_STACK_UNITS];
	CallFrame frames[VM_MAX_FRAMES];
	WithFrame withs[VM_MAX_WITHS];
	std::vector<CInstance *> instances; // visiting lists of the open with frames
	std::vector<CInstance *> collected; // scratch for collecting a with target
};

struct Machine
{
	RunStack *rs;
	Slot *base;  // floor of the running piece's stack
	Slot *sp;    // next free slot
	Slot *limit; // the stack is full when sp reaches it
	CInstance *self;
	CInstance *other;
	CLocals *locals;
	CCode *code;
	const Instr *instrs;
	int depth;     // script calls in progress
	int withs;     // open with frames
	int with_base; // first with frame of the running piece
	const Instr *current; // the instruction being executed
	// The store each VarFast kind reaches (self's, other's, the global one,
	// the locals), kept by vm_set_stores whenever self, other or the locals
	// change; null where there is none.
	CVariableList *stores[8];
	Value *frame; // the slots of the locals' VAR_FAST_SLOT operands
};

// Moves a slot into a Value: numbers become reals, strings string values.
inline bool slot_to_value(Slot &s, Value &out)
{
	if (s.type == SLOT_FLOAT) {
		out.set_real(s.f);
		return true;
	}
	return slot_store(s, out);
}

inline void free_slots(Slot *from, Slot *to)
{
	for (Slot *s = from; s < to; s++)
		slot_free(*s);
}

// The name of a built-in function id, or "<unknown function>".
std::string vm_function_name(int32_t id);
// The piece's decoded instructions, or null after reporting a malformed piece.
const Instr *vm_program_of(Machine &m, CCode &code);
// Calls a built-in (below 100000) or extension function with the top argc
// Value slots and pushes its result; false when the run must stop.
bool vm_call_function(Machine &m, int32_t id, int argc);
// Calls a script: its first instruction, or null after an error.
const Instr *vm_call_script(Machine &m, const Instr *in, int32_t index, int argc);
// Returns from the running script with a result (null: the real 0); gives the
// caller's next instruction.
const Instr *vm_return(Machine &m, Slot *result);
// After a failure: every frame taken down as a return would, the stack freed.
void vm_unwind(Machine &m);

// Runs the piece from m.instrs; true when it ran to its end.
bool vm_run_loop(Machine &m);
// Whether the instruction budget is counted in this run (then, as with
// tracing or breakpoints, every instruction takes the slow path).
bool vm_counting_instructions();
// The checks of the slow path: instruction budget, breakpoints, tracing.
// False when the run must stop.
bool vm_slow_step(Machine &m, const Instr *in, CCode *&bp_code, int &bp_line);

// Marks the decoded popenv that closes its frame without iterating.
constexpr int32_t POPENV_CLOSE = -1;

// Reports a machine error with the full text (place, variables, call stack) and
// ends the process through the exit hook. Returns false for the caller to stop.
bool vm_fail(Machine &m, const std::string &message);
// The text of that report (without the event context that the error report
// puts in front).
std::string vm_error_text(Machine &m, const std::string &message);

// pushenv and popenv; each returns the next instruction, or null after an error.
const Instr *vm_pushenv(Machine &m, const Instr *in);
const Instr *vm_popenv(Machine &m, const Instr *in);
// Closes every with frame of the running piece down to `with_base`.
void vm_close_withs(Machine &m, int with_base);
