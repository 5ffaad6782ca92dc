// program.h: a piece of bytecode decoded once into the form the machine runs:
// one fixed-size record per instruction, operands widened, string operands
// resolved to their texts, branch targets turned into instruction numbers and
// checked, so that the run loop never reads past its code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "code/vm/instruction.h"

struct CVariable;

// The texts of the string table that string operands name by index.
struct StringTexts
{
	std::vector<std::string_view> texts;
};

struct Instr
{
	uint8_t handler; // OpHandler the loop dispatches on (a combined one, see below)
	uint8_t base;    // OpHandler of the opcode alone
	uint8_t op;      // the opcode byte
	uint8_t t1, t2;
	uint8_t fast;    // variable operand: the store the machine may reach directly (VarFast)
	uint8_t indexed; // a fast operand that takes an array index from the stack
	uint8_t aux;     // VAR_FAST_ARGUMENT: the argument number; VAR_FAST_SLOT: the slot
	// push.e: the signed immediate; call: the argument count; variable operands:
	// the signed 16-bit instance; branches: the target instruction number.
	// conv: with `cache`, the low and high halves of the variable generation
	// at which `found` was found (0: nothing found yet).
	int32_t field;
	// Variable operands: where the variable sat in its store the last time
	// (a guess the machine checks before use and updates).
	mutable uint32_t cache;
	union
	{
		double d;
		float f;
		int32_t i;
		int64_t l;
		const char *s; // string operand: its text (NUL-terminated, length in `len`)
		// conv: the variable of the array element operand that follows it,
		// kept by the combined handlers that read or write the element.
		CVariable *found;
		struct
		{
			int32_t id;     // variable id
			uint32_t flags; // VAR_* bits of the operand
		} var;
	};
	uint32_t pc;  // byte offset of the instruction in the piece
	uint32_t len; // string operand: its length in bytes
};

// Variable operands that name a user variable through a fixed instance of the
// field that selects a single store (with or without an array index); and
// argument0 to argument15 read or written whole through self, other or no
// instance.
enum VarFast : uint8_t
{
	VAR_FAST_NONE,
	VAR_FAST_SELF,
	VAR_FAST_OTHER,
	VAR_FAST_GLOBAL,
	VAR_FAST_UNSPECIFIED, // global when declared so, else self
	VAR_FAST_LOCAL,
	VAR_FAST_ARGUMENT,
	// A local kept in the running piece's numbered slots (its number in `aux`).
	VAR_FAST_SLOT,
};
static_assert(sizeof(Instr) == 32, "Instr stays compact");

struct Program
{
	std::vector<Instr> code; // the instructions, then one OP_END
	uint32_t length = 0;     // bytes of bytecode
	// Whether any variable operand may reach the locals (`local` in the field,
	// or an instance taken from the stack); a script call without any needs
	// no locals list.
	bool uses_locals = false;
	// The variable ids of the locals kept in numbered slots, by slot.
	std::vector<int32_t> slot_ids;
	std::string error;       // empty when the bytecode is well formed
};

// Puts the combined handlers on the first instruction of each sequence they
// run (every instruction keeps its own handler in `base`).
void fuse_program(Program &program);

// Decodes `length` bytes of bytecode. A truncated instruction, a branch that
// leaves the code or lands inside an instruction, or a string index outside the
// table makes `error` say what and where; the program then holds only an
// OP_END and must not run.
Program decode_program(const uint8_t *bytes, uint32_t length, const StringTexts *strings);
