// codegen_expr.cpp: the code generator's expressions: constants, variables
// with their instance and index, calls, and one- and two-operand operations,
// each leaving one slot of a known type.
#include "code/compiler/codegen_generator.h"

#include "code/variables.h"

namespace codegen {

namespace {

uint8_t opcode_of(TokenKind op)
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

} // namespace

void Generator::conv(uint8_t from, uint8_t to)
{
	if (from != to)
		m_w.word(CONV, from, to);
}

uint8_t Generator::number(const Node &n)
{
	uint8_t t = expression(n);
	if (t == TYPE_BOOL) {
		conv(TYPE_BOOL, TYPE_DOUBLE);
		t = TYPE_DOUBLE;
	}
	return t;
}

void Generator::push_double(double d)
{
	m_w.word(PUSH, TYPE_DOUBLE);
	m_w.operand_double(d);
}

void Generator::push_int(int32_t i)
{
	m_w.word(PUSH, TYPE_INT);
	m_w.operand32((uint32_t)i);
}

void Generator::push_string(std::string_view text)
{
	m_w.word(PUSH, TYPE_STRING);
	m_w.operand32((uint32_t)m_out.strings.size());
	m_out.strings.emplace_back(text);
}

uint8_t Generator::expression(const Node &n)
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

uint8_t Generator::call(const Node &n)
{
	for (size_t i = n.children.size(); i-- > 0;)
		conv(expression(*n.children[i]), TYPE_VARIABLE);
	m_w.word(CALL, TYPE_INT, 0, (uint16_t)n.children.size());
	m_w.operand32((uint32_t)n.id);
	return TYPE_VARIABLE;
}

uint8_t Generator::unary(const Node &n)
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

uint8_t Generator::operate(uint8_t opcode, uint8_t l, uint8_t r)
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

uint8_t Generator::binary(const Node &n)
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

void Generator::variable_place(const Node &v, uint32_t &operand, uint16_t &field)
{
	operand = (uint32_t)v.id & VAR_ID_MASK;
	field = 0;
	const Node *inst = v.instance.get();
	if (!inst) {
		operand |= VAR_INSTANCE_IN_FIELD;
		field = (uint16_t)(int16_t)v.scope;
	} else if (instance_in_field(inst)) {
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

uint8_t Generator::index_slot(const Node &v)
{
	uint8_t t = number(*v.children[0]);
	if (v.children.size() > 1) {
		push_double(32000);
		t = operate(MUL, t, TYPE_DOUBLE);
		t = operate(ADD, t, number(*v.children[1]));
	}
	return t;
}

} // namespace codegen
