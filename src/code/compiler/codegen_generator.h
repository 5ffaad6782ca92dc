// codegen_generator.h: the walker of the code generator, shared by the files
// that emit expressions, assignments and statements. Numbers are pushed as
// doubles and variables as Values, so that arithmetic is always real
// arithmetic; ints only count `repeat` loops and carry `with` targets and
// array indices, bools only carry conditions.
#pragma once

#include <cmath>
#include <string_view>
#include <vector>

#include "code/compiler/codegen.h"
#include "code/compiler/vm_write_buffer.h"
#include "code/vm/instruction.h"

namespace codegen {

enum Opcode : uint8_t
{
	CONV = 0x03, MUL = 0x04, DIV = 0x05, REM = 0x06, MOD = 0x07, ADD = 0x08, SUB = 0x09, AND = 0x0A,
	OR = 0x0B, XOR = 0x0C, NEG = 0x0D, NOT = 0x0E, SHL = 0x0F, SHR = 0x10, SLT = 0x11, SLE = 0x12,
	SEQ = 0x13, SNE = 0x14, SGE = 0x15, SGT = 0x16, POP = 0x41, DUP = 0x82, RET = 0x9D, EXIT = 0x9E,
	POPZ = 0x9F, B = 0xB7, BT = 0xB8, BF = 0xB9, PUSHENV = 0xBB, POPENV = 0xBC, PUSH = 0xC0, CALL = 0xDA,
};

using Label = VMWriteBuffer::Label;

// A construct that `break` or `continue` may leave.
struct Context
{
	enum Kind { LOOP, WITH, SWITCH } kind;
	Label break_to, continue_to;
	uint8_t slot; // SWITCH: the type of the switch value kept on the stack
};

// An instance written as a whole number from -7 to 32767, which a variable
// operand carries in its 16-bit field instead of popping it.
inline bool instance_in_field(const Node *inst)
{
	return inst && inst->kind == NODE_CONSTANT && inst->value.is_real() && inst->value.real() >= -7 &&
	       inst->value.real() <= 32767 && inst->value.real() == std::trunc(inst->value.real());
}

class Generator
{
public:
	Generator(const CodeTree &tree, GeneratedCode &out) : m_tree(tree), m_out(out) {}

	bool run();

private:
	bool fail(const Node &n, const char *message);
	void line(const Node &n);

	// Expressions (codegen_expr.cpp): each leaves one slot and returns its type.
	void conv(uint8_t from, uint8_t to);
	// Bools become doubles before arithmetic and comparisons.
	uint8_t number(const Node &n);
	void push_double(double d);
	void push_int(int32_t i);
	void push_string(std::string_view text);
	uint8_t expression(const Node &n);
	uint8_t call(const Node &n);
	uint8_t unary(const Node &n);
	// Emits a two-operand operation on slots of types l (deeper) and r (top).
	uint8_t operate(uint8_t opcode, uint8_t l, uint8_t r);
	uint8_t binary(const Node &n);
	// Emits what a variable access pops (instance, then index) and gives the
	// operand word and the 16-bit field.
	void variable_place(const Node &v, uint32_t &operand, uint16_t &field);
	// The element index of an indexed variable: i, or i * 32000 + j.
	uint8_t index_slot(const Node &v);

	// Assignments (codegen_assign.cpp).
	void assign(const Node &n);
	// A hidden local of the piece: its name cannot be written in game code.
	void local_access(uint8_t opcode, uint8_t type, const char *name);
	// `v[i] op= e` and `o.v op= e` whose instance or index is not a constant:
	// they are evaluated once, into hidden locals, and the element read is the
	// element written even when e changes what they were computed from.
	void compound_assign_once(const Node &n);

	// Statements (codegen_stmt.cpp).
	void statement(const Node &n);
	void body(const Node &s, const Context &context);
	void globalvar(const Node &n);
	void if_statement(const Node &n);
	void while_loop(const Node &n);
	void do_loop(const Node &n);
	void for_loop(const Node &n);
	void repeat(const Node &n);
	void with(const Node &n);
	void switch_statement(const Node &n);
	// `break` (leaving) or `continue`: a switch passed by `continue` drops its
	// value first; nothing is emitted outside every construct.
	void leave(bool is_break);

	const CodeTree &m_tree;
	GeneratedCode &m_out;
	VMWriteBuffer m_w;
	std::vector<Context> m_contexts;
	bool m_ok = true;
};

} // namespace codegen
