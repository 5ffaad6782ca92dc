// codegen.cpp: the code generator. Numbers are pushed as doubles and
// variables as Values, so that arithmetic is always real arithmetic; ints only
// count `repeat` loops and carry `with` targets and array indices, bools only
// carry conditions.
#include "code/compiler/codegen.h"

#include <cmath>

#include "code/compiler/vm_write_buffer.h"
#include "code/errors.h"
#include "code/function_table.h"
#include "code/variable_names.h"
#include "code/variables.h"
#include "code/vm/instruction.h"

namespace {

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

class Generator
{
public:
	Generator(const CodeTree &tree, GeneratedCode &out) : m_tree(tree), m_out(out) {}

	bool run()
	{
		if (m_tree.kind == TREE_PROGRAM) {
			for (const NodePtr &s : m_tree.root->children)
				statement(*s);
		} else {
			line(*m_tree.root);
			conv(expression(*m_tree.root), TYPE_VARIABLE);
			m_w.word(RET, TYPE_VARIABLE);
		}
		if (!m_ok)
			return false;
		if (m_w.offset() >= (1u << 23) * 4 || !m_w.finish())
			return fail(*m_tree.root, "Code is too long.");
		m_out.bytes = std::move(m_w.bytes());
		return true;
	}

private:
	bool fail(const Node &n, const char *message)
	{
		if (m_ok)
			code_error(m_tree.kind == TREE_PROGRAM ? CODE_ERROR_STATEMENTS : CODE_ERROR_EXPRESSION, m_tree.source,
			           n.position, message);
		m_ok = false;
		return false;
	}

	void line(const Node &n)
	{
		auto &t = m_out.line_table;
		uint32_t at = m_w.offset();
		if (!t.empty() && t.back().offset == at)
			t.back().position = (uint32_t)n.position;
		else
			t.push_back({at, (uint32_t)n.position});
	}

	// ---- Expressions: each leaves one slot and returns its type ----
	void conv(uint8_t from, uint8_t to)
	{
		if (from != to)
			m_w.word(CONV, from, to);
	}
	// Bools become doubles before arithmetic and comparisons.
	uint8_t number(const Node &n)
	{
		uint8_t t = expression(n);
		if (t == TYPE_BOOL) {
			conv(TYPE_BOOL, TYPE_DOUBLE);
			t = TYPE_DOUBLE;
		}
		return t;
	}
	void push_double(double d)
	{
		m_w.word(PUSH, TYPE_DOUBLE);
		m_w.operand_double(d);
	}
	void push_int(int32_t i)
	{
		m_w.word(PUSH, TYPE_INT);
		m_w.operand32((uint32_t)i);
	}
	void push_string(std::string_view text)
	{
		m_w.word(PUSH, TYPE_STRING);
		m_w.operand32((uint32_t)m_out.strings.size());
		m_out.strings.emplace_back(text);
	}

	uint8_t expression(const Node &n)
	{
		switch (n.kind) {
		case NODE_CONSTANT:
			if (n.value.is_string()) {
				push_string(n.value.text());
				return TYPE_STRING;
			}
			push_double(n.value.real());
			return TYPE_DOUBLE;
		case NODE_VARIABLE: {
			uint32_t operand;
			uint16_t field;
			variable_place(n, operand, field);
			m_w.word(PUSH, TYPE_VARIABLE, 0, field);
			m_w.operand32(operand);
			return TYPE_VARIABLE;
		}
		case NODE_CALL:
			return call(n);
		case NODE_UNARY:
			return unary(n);
		case NODE_BINARY:
			return binary(n);
		default:
			fail(n, "Expression expected");
			return TYPE_DOUBLE;
		}
	}

	uint8_t call(const Node &n)
	{
		for (size_t i = n.children.size(); i-- > 0;)
			conv(expression(*n.children[i]), TYPE_VARIABLE);
		m_w.word(CALL, TYPE_INT, 0, (uint16_t)n.children.size());
		m_w.operand32((uint32_t)n.id);
		return TYPE_VARIABLE;
	}

	uint8_t unary(const Node &n)
	{
		if (n.op == TK_NOT) {
			conv(expression(*n.children[0]), TYPE_BOOL);
			m_w.word(NOT, TYPE_BOOL);
			return TYPE_BOOL;
		}
		uint8_t t = number(*n.children[0]);
		if (n.op == TK_MINUS)
			m_w.word(NEG, t);
		else if (n.op == TK_BITNOT)
			m_w.word(NOT, t);
		return t;
	}

	static uint8_t opcode_of(TokenKind op)
	{
		switch (op) {
		case TK_PLUS: return ADD;
		case TK_MINUS: return SUB;
		case TK_STAR: return MUL;
		case TK_SLASH: return DIV;
		case TK_DIV: return REM;
		case TK_MOD: return MOD;
		case TK_BITOR: return OR;
		case TK_BITAND: return AND;
		case TK_BITXOR: return XOR;
		case TK_SHL: return SHL;
		case TK_SHR: return SHR;
		case TK_LT: return SLT;
		case TK_LE: return SLE;
		case TK_ASSIGN:
		case TK_EQ: return SEQ;
		case TK_NE: return SNE;
		case TK_GE: return SGE;
		case TK_GT: return SGT;
		case TK_AND: return AND;
		case TK_OR: return OR;
		default: return XOR; // TK_XOR
		}
	}

	// Emits a two-operand operation on slots of types l (deeper) and r (top).
	uint8_t operate(uint8_t opcode, uint8_t l, uint8_t r)
	{
		m_w.word(opcode, r, l);
		if (opcode >= SLT && opcode <= SGT)
			return TYPE_BOOL;
		if (l == TYPE_VARIABLE || r == TYPE_VARIABLE)
			return TYPE_VARIABLE;
		if (l == TYPE_STRING || r == TYPE_STRING)
			return TYPE_STRING;
		return TYPE_DOUBLE;
	}

	uint8_t binary(const Node &n)
	{
		const Node &left = *n.children[0], &right = *n.children[1];
		if (n.op == TK_AND || n.op == TK_OR || n.op == TK_XOR) {
			conv(expression(left), TYPE_BOOL);
			conv(expression(right), TYPE_BOOL);
			m_w.word(opcode_of(n.op), TYPE_BOOL, TYPE_BOOL);
			return TYPE_BOOL;
		}
		uint8_t l = number(left);
		uint8_t r = number(right);
		return operate(opcode_of(n.op), l, r);
	}

	// Emits what a variable access pops (instance, then index) and gives the
	// operand word and the 16-bit field.
	void variable_place(const Node &v, uint32_t &operand, uint16_t &field)
	{
		operand = (uint32_t)v.id & VAR_ID_MASK;
		field = 0;
		const Node *inst = v.instance.get();
		if (!inst) {
			operand |= VAR_INSTANCE_IN_FIELD;
			field = (uint16_t)(int16_t)v.scope;
		} else if (inst->kind == NODE_CONSTANT && inst->value.is_real() && inst->value.real() >= -7 &&
		           inst->value.real() <= 32767 && inst->value.real() == std::trunc(inst->value.real())) {
			operand |= VAR_INSTANCE_IN_FIELD;
			field = (uint16_t)(int16_t)inst->value.real();
		} else {
			conv(number(*inst), TYPE_INT);
		}
		if (v.children.empty()) {
			operand |= VAR_NOT_INDEXED;
			return;
		}
		conv(index_slot(v), TYPE_INT);
	}

	// The element index of an indexed variable: i, or i * 32000 + j.
	uint8_t index_slot(const Node &v)
	{
		uint8_t t = number(*v.children[0]);
		if (v.children.size() > 1) {
			push_double(32000);
			t = operate(MUL, t, TYPE_DOUBLE);
			t = operate(ADD, t, number(*v.children[1]));
		}
		return t;
	}

	// ---- Statements ----
	void statement(const Node &n)
	{
		if (!m_ok)
			return;
		line(n);
		const auto &c = n.children;
		switch (n.kind) {
		case NODE_BLOCK:
			for (const NodePtr &s : c)
				statement(*s);
			break;
		case NODE_ASSIGN:
			assign(n);
			break;
		case NODE_VAR:
			break;
		case NODE_GLOBALVAR:
			// Declared when the statement runs, through the hidden built-in.
			for (const NodePtr &v : c) {
				if (builtin_function_id(GLOBALVAR_FUNCTION) < 0) {
					fail(n, "Internal Error: globalvar is not available.");
					break;
				}
				push_double(v->id);
				conv(TYPE_DOUBLE, TYPE_VARIABLE);
				m_w.word(CALL, TYPE_INT, 0, 1);
				m_w.operand32((uint32_t)builtin_function_id(GLOBALVAR_FUNCTION));
				m_w.word(POPZ, TYPE_VARIABLE);
			}
			break;
		case NODE_CALL:
			m_w.word(POPZ, call(n));
			break;
		case NODE_IF: {
			Label otherwise = m_w.new_label(), end = m_w.new_label();
			conv(expression(*c[0]), TYPE_BOOL);
			m_w.branch(BF, otherwise);
			statement(*c[1]);
			if (c.size() > 2) {
				m_w.branch(B, end);
				m_w.place(otherwise);
				statement(*c[2]);
			} else {
				m_w.place(otherwise);
			}
			m_w.place(end);
			break;
		}
		case NODE_WHILE: {
			Label top = m_w.new_label(), end = m_w.new_label();
			m_w.place(top);
			conv(expression(*c[0]), TYPE_BOOL);
			m_w.branch(BF, end);
			body(*c[1], Context{Context::LOOP, end, top, 0});
			m_w.branch(B, top);
			m_w.place(end);
			break;
		}
		case NODE_DO: {
			Label top = m_w.new_label(), test = m_w.new_label(), end = m_w.new_label();
			m_w.place(top);
			body(*c[0], Context{Context::LOOP, end, test, 0});
			m_w.place(test);
			conv(expression(*c[1]), TYPE_BOOL);
			m_w.branch(BF, top);
			m_w.place(end);
			break;
		}
		case NODE_FOR: {
			Label top = m_w.new_label(), next = m_w.new_label(), end = m_w.new_label();
			statement(*c[0]);
			m_w.place(top);
			conv(expression(*c[1]), TYPE_BOOL);
			m_w.branch(BF, end);
			body(*c[3], Context{Context::LOOP, end, next, 0});
			m_w.place(next);
			statement(*c[2]);
			m_w.branch(B, top);
			m_w.place(end);
			break;
		}
		case NODE_REPEAT:
			repeat(n);
			break;
		case NODE_WITH:
			with(n);
			break;
		case NODE_SWITCH:
			switch_statement(n);
			break;
		case NODE_BREAK:
			leave(true);
			break;
		case NODE_CONTINUE:
			leave(false);
			break;
		case NODE_EXIT:
			m_w.word(EXIT, TYPE_INT);
			break;
		case NODE_RETURN:
			conv(expression(*c[0]), TYPE_VARIABLE);
			m_w.word(RET, TYPE_VARIABLE);
			break;
		default:
			break;
		}
	}

	void body(const Node &s, const Context &context)
	{
		m_contexts.push_back(context);
		statement(s);
		m_contexts.pop_back();
	}

	void assign(const Node &n)
	{
		const Node &target = *n.children[0];
		if (n.op != TK_ASSIGN && (dynamic_instance(target) || dynamic_index(target))) {
			compound_assign_once(n);
			return;
		}
		uint8_t t;
		if (n.op == TK_ASSIGN) {
			t = expression(*n.children[1]);
		} else {
			uint8_t current = expression(target);
			t = operate(compound_opcode(n.op), current, number(*n.children[1]));
		}
		uint32_t operand;
		uint16_t field;
		variable_place(target, operand, field);
		m_w.word(POP, TYPE_VARIABLE, t, field);
		m_w.operand32(operand);
	}

	static uint8_t compound_opcode(TokenKind op)
	{
		static const uint8_t ops[] = {ADD, SUB, MUL, DIV, OR, AND, XOR};
		return ops[op - TK_PLUS_ASSIGN];
	}

	// An instance expression that variable_place cannot put in the field.
	static bool dynamic_instance(const Node &v)
	{
		const Node *inst = v.instance.get();
		return inst && !(inst->kind == NODE_CONSTANT && inst->value.is_real() && inst->value.real() >= -7 &&
		                 inst->value.real() <= 32767 && inst->value.real() == std::trunc(inst->value.real()));
	}
	static bool dynamic_index(const Node &v)
	{
		for (const NodePtr &i : v.children)
			if (i->kind != NODE_CONSTANT)
				return true;
		return false;
	}

	// A hidden local of the piece: its name cannot be written in game code.
	void local_access(uint8_t opcode, uint8_t type, const char *name)
	{
		m_w.word(opcode, TYPE_VARIABLE, type, (uint16_t)(int16_t)INSTANCE_LOCAL);
		m_w.operand32(((uint32_t)user_variable_id(name) & VAR_ID_MASK) | VAR_INSTANCE_IN_FIELD | VAR_NOT_INDEXED);
	}

	// `v[i] op= e` and `o.v op= e` whose instance or index is not a constant:
	// they are evaluated once, into hidden locals, and the element read is the
	// element written even when e changes what they were computed from.
	void compound_assign_once(const Node &n)
	{
		const Node &target = *n.children[0];
		bool instance = dynamic_instance(target);
		if (instance) {
			conv(number(*target.instance), TYPE_INT);
			local_access(POP, TYPE_INT, "$instance");
		}
		bool indexed = !target.children.empty();
		if (indexed) {
			conv(index_slot(target), TYPE_INT);
			local_access(POP, TYPE_INT, "$index");
		}
		auto place = [&](uint32_t &operand, uint16_t &field) {
			operand = (uint32_t)target.id & VAR_ID_MASK;
			field = 0;
			if (instance) {
				local_access(PUSH, 0, "$instance");
				conv(TYPE_VARIABLE, TYPE_INT);
			} else if (target.instance) {
				operand |= VAR_INSTANCE_IN_FIELD;
				field = (uint16_t)(int16_t)target.instance->value.real();
			} else {
				operand |= VAR_INSTANCE_IN_FIELD;
				field = (uint16_t)(int16_t)target.scope;
			}
			if (indexed) {
				local_access(PUSH, 0, "$index");
				conv(TYPE_VARIABLE, TYPE_INT);
			} else {
				operand |= VAR_NOT_INDEXED;
			}
		};
		uint32_t operand;
		uint16_t field;
		place(operand, field);
		m_w.word(PUSH, TYPE_VARIABLE, 0, field);
		m_w.operand32(operand);
		uint8_t t = operate(compound_opcode(n.op), TYPE_VARIABLE, number(*n.children[1]));
		place(operand, field);
		m_w.word(POP, TYPE_VARIABLE, t, field);
		m_w.operand32(operand);
	}

	void repeat(const Node &n)
	{
		Label top = m_w.new_label(), next = m_w.new_label(), end = m_w.new_label();
		conv(number(*n.children[0]), TYPE_INT);
		m_w.word(DUP, TYPE_INT);
		push_int(0);
		m_w.word(SLE, TYPE_INT, TYPE_INT);
		m_w.branch(BT, end);
		m_w.place(top);
		body(*n.children[1], Context{Context::LOOP, end, next, 0});
		m_w.place(next);
		push_int(1);
		m_w.word(SUB, TYPE_INT, TYPE_INT);
		m_w.word(DUP, TYPE_INT);
		conv(TYPE_INT, TYPE_BOOL);
		m_w.branch(BT, top);
		m_w.place(end);
		m_w.word(POPZ, TYPE_INT);
	}

	void with(const Node &n)
	{
		const Node &target = *n.children[0];
		if (target.kind == NODE_CONSTANT && target.value.is_real()) {
			if (target.value.real() == INSTANCE_GLOBAL)
				fail(target, "Cannot use global in with statement.");
			else if (target.value.real() == INSTANCE_LOCAL)
				fail(target, "Cannot use local in with statement.");
		}
		Label top = m_w.new_label(), next = m_w.new_label(), end = m_w.new_label();
		conv(number(target), TYPE_INT);
		m_w.branch(PUSHENV, next);
		m_w.place(top);
		body(*n.children[1], Context{Context::WITH, end, next, 0});
		m_w.place(next);
		m_w.branch(POPENV, top);
		m_w.place(end);
	}

	void switch_statement(const Node &n)
	{
		const auto &c = n.children;
		uint8_t t = number(*c[0]);
		// Each case label, and the first default label, gets a place in the body.
		std::vector<int64_t> places(c.size(), -1);
		Label end = m_w.new_label();
		for (size_t i = 1; i < c.size(); i++) {
			if (c[i]->kind == NODE_CASE) {
				places[i] = m_w.new_label();
				m_w.word(DUP, t);
				uint8_t k = number(*c[i]->children[0]);
				m_w.word(SEQ, k, t);
				m_w.branch(BT, (Label)places[i]);
			}
		}
		for (size_t i = 1; i < c.size(); i++) {
			if (c[i]->kind == NODE_DEFAULT) {
				places[i] = m_w.new_label();
				m_w.branch(B, (Label)places[i]);
				break;
			}
		}
		m_w.branch(B, end);
		m_contexts.push_back(Context{Context::SWITCH, end, end, t});
		for (size_t i = 1; i < c.size(); i++) {
			if (places[i] >= 0)
				m_w.place((Label)places[i]);
			else if (c[i]->kind != NODE_DEFAULT)
				statement(*c[i]);
		}
		m_contexts.pop_back();
		m_w.place(end);
		m_w.word(POPZ, t);
	}

	// `break` (leaving) or `continue`: a switch passed by `continue` drops its
	// value first; nothing is emitted outside every construct.
	void leave(bool is_break)
	{
		size_t i = m_contexts.size();
		while (i-- > 0) {
			const Context &k = m_contexts[i];
			if (k.kind == Context::SWITCH && !is_break)
				continue;
			break;
		}
		if (i == (size_t)-1)
			return;
		const Context &k = m_contexts[i];
		if (!is_break) {
			for (size_t j = m_contexts.size(); j-- > i + 1;)
				m_w.word(POPZ, m_contexts[j].slot);
			m_w.branch(B, k.continue_to);
			return;
		}
		if (k.kind == Context::WITH)
			m_w.word(POPENV, 0, 15); // type byte 0xF0: close the frame without iterating
		m_w.branch(B, k.break_to);
	}

	const CodeTree &m_tree;
	GeneratedCode &m_out;
	VMWriteBuffer m_w;
	std::vector<Context> m_contexts;
	bool m_ok = true;
};

} // namespace

bool generate_code(const CodeTree &tree, GeneratedCode &out)
{
	out = GeneratedCode();
	if (!tree.compiled || !tree.root || tree.kind == TREE_CONSTANT)
		return true;
	return Generator(tree, out).run();
}
