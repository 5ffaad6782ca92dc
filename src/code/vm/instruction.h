// instruction.h: the instruction word of the bytecode: its fields, the opcode
// table of opcodes.def, operand sizes by type, the branch format, and the text
// of one instruction in a listing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The type codes of instruction words (the evaluation stack's slot types).
enum TypeCode : uint8_t
{
	TYPE_DOUBLE = 0,
	TYPE_FLOAT = 1,
	TYPE_INT = 2,
	TYPE_LONG = 3,
	TYPE_BOOL = 4,
	TYPE_VARIABLE = 5,
	TYPE_STRING = 6,
	TYPE_IMM16 = 15,
};

enum OpFormat : uint8_t
{
	PLAIN,
	OPERAND,
	BRANCH,
};

// Handler numbers: one per opcode of opcodes.def in its order, then the
// machine's own: NOP for every byte the table does not list, END after the
// last instruction of a piece, and the combined handlers that run a common
// sequence of instructions at once (fuse.cpp).
enum OpHandler : uint8_t
{
#define OPCODE(id, name, code, format, pops, pushes) OP_##id,
#include "code/vm/opcodes.def"
#undef OPCODE
	OP_NOP,
	OP_END,
	OP_F_CMP_BRANCH,   // push a, push b, compare, bt or bf
	OP_F_ARITH_PUSH,   // push a, push b, add, sub or mul
	OP_F_ARITH_POP,    // push a, push b, add, sub or mul, pop into a variable
	OP_F_ARITH_K,      // push b, add, sub or mul (with the slot below)
	OP_F_ARITH_STORE,  // add, sub or mul, pop into a variable
	OP_F_PUSH_ELEMENT, // push an index, conv to int, push an array element
	OP_F_POP_ELEMENT,  // push an index, conv to int, pop into an array element
	OP_F_JUMP_CMP,     // b to a compare and branch: the loop's test run at once
	OP_F_PUSH_SLOT,    // push of a local kept in a slot
	OP_F_POP_SLOT,     // pop into a local kept in a slot
	OP_F_ARITH2_PUSH,  // push a, push b, add/sub/mul, push c, add/sub/mul
	OP_F_STORE_ELEMENT, // push a value, push an index, conv to int, pop into an array element
	OP_F_ELEMENT_ARITH, // push a, push an index, conv to int, push an element, add/sub/mul
	OP_F_ELEMENT_ARITH_POP, // the same, then pop into a variable
	OP_F_SLOT_ARITH_K,  // push a slot local, push a double, add/sub/mul, pop into a slot local
	OP_F_SLOT_UPDATE2,  // push slot local x, (a op b op c), op, pop into a slot local
	OP_F_JUMP_LT,       // OP_F_JUMP_CMP to a test of slt and bf (a loop while a < b)
	OP_F_SLOT_STEP_LT,  // OP_F_SLOT_ARITH_K, then OP_F_JUMP_LT (a loop's step and test)
	OP_F_SLOT_ADD_ELEMENT,   // push slot local x, push an index, conv, push an element, add, pop into a slot local
	OP_F_SLOT_STORE_ELEMENT, // push slot local x, push slot local i, conv, pop into an array element
	OP_F_SLOT_STEP_LT_SLOTS, // OP_F_SLOT_STEP_LT with both operands of the test locals in slots
	OP_F_LT_BRANCH,     // push a, push b, slt, bf
	OP_F_ARITH_CALL,    // push a, push b, add/sub/mul, call a script with that one argument
	OP_F_PUSH2_CALL,    // push a, push b, call a script with those two arguments
	OP_F_PUSH_RET,      // push a, ret
	OP_F_ARITH_RET,     // add/sub/mul, ret
	OP_F_ARITH_PUSH_RET, // push a, push b, add/sub/mul, ret
	OP_F_SLOT_STORE_LOOP, // OP_F_SLOT_STORE_ELEMENT as a loop's whole body, then its OP_F_SLOT_STEP_LT_SLOTS
	OP_F_SLOT_ADD_LOOP,   // OP_F_SLOT_ADD_ELEMENT (index in a slot) as a loop's whole body, then the same
	OP_HANDLER_COUNT,
};

struct OpcodeInfo
{
	const char *name;
	uint8_t code;
	OpFormat format;
	int8_t pops;
	int8_t pushes;
	OpHandler handler;
};

// The table entry of an opcode byte, or null when the byte is not listed (the
// machine then does nothing for it).
const OpcodeInfo *opcode_info(uint8_t code);
// The entry by mnemonic, or null.
const OpcodeInfo *opcode_by_name(const std::string &name);

// Variable operand bits.
constexpr uint32_t VAR_ID_MASK = 0x1FFFFFFF;
constexpr uint32_t VAR_INSTANCE_IN_FIELD = 1u << 29;
constexpr uint32_t VAR_ADD_INSTANCE_BASE = 1u << 30;
constexpr uint32_t VAR_NOT_INDEXED = 1u << 31;

// The type byte that turns popenv into the early close of a with frame.
constexpr uint8_t POPENV_CLOSE_TYPES = 0xF0;

inline uint8_t word_opcode(uint32_t w) { return (uint8_t)(w >> 24); }
inline uint8_t word_t1(uint32_t w) { return (uint8_t)((w >> 16) & 15); }
inline uint8_t word_t2(uint32_t w) { return (uint8_t)((w >> 20) & 15); }
inline uint8_t word_types(uint32_t w) { return (uint8_t)(w >> 16); }
inline int32_t word_field(uint32_t w) { return (int16_t)(uint16_t)w; }
inline bool word_has_operand(uint32_t w) { return (w & (1u << 30)) != 0; }
inline bool word_is_branch(uint32_t w) { return (w & (1u << 29)) != 0 && !word_has_operand(w); }
// The signed 24-bit branch distance, in words.
inline int32_t word_branch_distance(uint32_t w) { return (int32_t)(w << 8) >> 8; }

// Operand size of a type code: 8 for double and int64, 4 for float, int, bool,
// variable and string, 0 for the rest.
unsigned type_operand_size(unsigned type);
// The listing suffix of a type code (".d" ... ".e"), empty for other codes.
const char *type_suffix(unsigned type);
// 4, 8 or 12: the word and its operand.
inline unsigned instruction_length(uint32_t w) { return 4 + (word_has_operand(w) ? type_operand_size(word_t1(w)) : 0); }

// What the listing needs to name things; each may be null.
struct ListingNames
{
	std::function<std::string(int32_t id)> function_name; // built-in ids below 100000
	std::function<std::string(int32_t id)> variable_name;
	std::function<std::string(uint32_t index)> string_text; // a string operand's text
};

// One listing line for the instruction at byte offset pc of the code: "%08x : ",
// its bytes, the mnemonic with its type suffixes, the operand, a newline.
// `avail` is the number of bytes from pc to the end of the code; missing bytes
// print as "??".
std::string instruction_listing(const uint8_t *code, uint32_t pc, uint32_t avail, const ListingNames &names = {});
