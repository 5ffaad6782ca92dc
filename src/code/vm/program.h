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

// The texts of the string table that string operands name by index.
struct StringTexts
{
	std::vector<std::string_view> texts;
};

struct Instr
{
	uint8_t handler; // OpHandler
	uint8_t op;      // the opcode byte
	uint8_t t1, t2;
	// push.e: the signed immediate; call: the argument count; variable operands:
	// the signed 16-bit instance; branches: the target instruction number.
	int32_t field;
	union
	{
		double d;
		float f;
		int32_t i;
		int64_t l;
		const char *s; // string operand: its text (NUL-terminated, length in `len`)
		struct
		{
			int32_t id;     // variable id
			uint32_t flags; // VAR_* bits of the operand
		} var;
	};
	uint32_t pc;  // byte offset of the instruction in the piece
	// String operand: its length in bytes. Variable operand: the store the
	// machine may reach directly (a VarFast value).
	uint32_t len;
};

// Variable operands that name a user variable, without an array index, through
// a fixed instance of the field that selects a single store.
enum VarFast : uint32_t
{
	VAR_FAST_NONE,
	VAR_FAST_SELF,
	VAR_FAST_OTHER,
	VAR_FAST_GLOBAL,
	VAR_FAST_UNSPECIFIED, // global when declared so, else self
	VAR_FAST_LOCAL,
};
static_assert(sizeof(Instr) == 24, "Instr stays compact");

struct Program
{
	std::vector<Instr> code; // the instructions, then one OP_END
	uint32_t length = 0;     // bytes of bytecode
	std::string error;       // empty when the bytecode is well formed
};

// Decodes `length` bytes of bytecode. A truncated instruction, a branch that
// leaves the code or lands inside an instruction, or a string index outside the
// table makes `error` say what and where; the program then holds only an
// OP_END and must not run.
Program decode_program(const uint8_t *bytes, uint32_t length, const StringTexts *strings);
