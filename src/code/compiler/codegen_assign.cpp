// codegen_assign.cpp: the code generator's assignments: plain and compound,
// with the element of a compound assignment found once.
#include "code/compiler/codegen_generator.h"

#include "code/variable_names.h"
#include "code/variables.h"

namespace codegen {

namespace {

uint8_t compound_opcode(TokenKind op)
{
	static const uint8_t ops[] = {ADD, SUB, MUL, DIV, OR, AND, XOR};
	return ops[op - TK_PLUS_ASSIGN];
}

// An instance expression that variable_place cannot put in the field.
bool dynamic_instance(const Node &v)
{
	return v.instance && !instance_in_field(v.instance.get());
}

bool dynamic_index(const Node &v)
{
	for (const NodePtr &i : v.children)
		if (i->kind != NODE_CONSTANT)
			return true;
	return false;
}

} // namespace

void Generator::assign(const Node &n)
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

void Generator::local_access(uint8_t opcode, uint8_t type, const char *name)
{
	m_w.word(opcode, TYPE_VARIABLE, type, (uint16_t)(int16_t)INSTANCE_LOCAL);
	m_w.operand32(((uint32_t)user_variable_id(name) & VAR_ID_MASK) | VAR_INSTANCE_IN_FIELD | VAR_NOT_INDEXED);
}

void Generator::compound_assign_once(const Node &n)
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

} // namespace codegen
