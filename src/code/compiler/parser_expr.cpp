// parser_expr.cpp: the expression grammar from the boolean operators down to
// the primaries: member chains, variables with indices, calls with the
// argument-count rule.
#include "code/compiler/parser.h"

#include "code/function_table.h"

namespace {

bool ends_statement(TokenKind k)
{
	return k == TK_END || k == TK_SEMICOLON || k == TK_RBRACE || token_is_keyword(k);
}

} // namespace

NodePtr Parser::whole_expression()
{
	NodePtr e = expression();
	if (!e)
		return nullptr;
	if (peek().kind != TK_END)
		return fail_here("Unexpected symbol.");
	return e;
}

NodePtr Parser::binary(TokenKind op, int32_t position, NodePtr left, NodePtr right)
{
	NodePtr n = std::make_unique<Node>(NODE_BINARY, position);
	n->op = op;
	n->children.push_back(std::move(left));
	n->children.push_back(std::move(right));
	if (!measure(*n))
		return nullptr;
	return n;
}

NodePtr Parser::expression()
{
	DepthGuard guard(*this);
	if (!guard.ok())
		return nullptr;
	if (ends_statement(peek().kind))
		return fail_here("Expression expected");
	return boolean();
}

// One level of left-to-right operators: `next` parses the operands, `is_op`
// tells whether a token belongs to the level.
#define BINARY_LEVEL(name, next, is_op)                                               \
	NodePtr Parser::name()                                                            \
	{                                                                                 \
		NodePtr left = next();                                                        \
		while (left) {                                                                \
			TokenKind k = peek().kind;                                                \
			if (!(is_op))                                                             \
				break;                                                                \
			int32_t at = take().position;                                             \
			NodePtr right = next();                                                   \
			if (!right)                                                               \
				return nullptr;                                                       \
			left = binary(k, at, std::move(left), std::move(right));                  \
		}                                                                             \
		return left;                                                                  \
	}

BINARY_LEVEL(boolean, comparison, k == TK_AND || k == TK_OR || k == TK_XOR)
BINARY_LEVEL(comparison, bitwise,
             k == TK_ASSIGN || k == TK_EQ || k == TK_NE || k == TK_LT || k == TK_LE || k == TK_GT || k == TK_GE)
BINARY_LEVEL(bitwise, shift, k == TK_BITOR || k == TK_BITAND || k == TK_BITXOR)
BINARY_LEVEL(shift, additive, k == TK_SHL || k == TK_SHR)
BINARY_LEVEL(additive, multiplicative, k == TK_PLUS || k == TK_MINUS)
BINARY_LEVEL(multiplicative, unary, k == TK_STAR || k == TK_SLASH || k == TK_DIV || k == TK_MOD)

#undef BINARY_LEVEL

NodePtr Parser::unary()
{
	TokenKind k = peek().kind;
	if (k != TK_NOT && k != TK_MINUS && k != TK_PLUS && k != TK_BITNOT)
		return chain();
	DepthGuard guard(*this);
	if (!guard.ok())
		return nullptr;
	int32_t at = take().position;
	NodePtr operand = unary();
	if (!operand)
		return nullptr;
	// A signed number is a constant.
	if ((k == TK_MINUS || k == TK_PLUS) && operand->kind == NODE_CONSTANT && operand->value.is_real()) {
		if (k == TK_MINUS)
			operand->value.set_real(-operand->value.real());
		operand->position = at;
		return operand;
	}
	NodePtr n = std::make_unique<Node>(NODE_UNARY, at);
	n->op = k;
	n->children.push_back(std::move(operand));
	if (!measure(*n))
		return nullptr;
	return n;
}

// A primary followed by `.name` steps; each step looks the next name up in
// the instance the chain so far gives.
NodePtr Parser::chain()
{
	NodePtr base = primary();
	while (base && peek().kind == TK_DOT) {
		take();
		const Token &t = peek();
		if (t.kind != TK_NAME)
			return fail_here("Variable name expected.");
		take();
		if (peek().kind == TK_LPAREN)
			return fail(t.position, "Function name expected.");
		NodePtr v = std::make_unique<Node>(NODE_VARIABLE, t.position);
		v->name = t.text;
		v->instance = std::move(base);
		if (peek().kind == TK_LBRACKET && !indices(*v))
			return nullptr;
		if (!measure(*v))
			return nullptr;
		base = std::move(v);
	}
	return base;
}

NodePtr Parser::primary()
{
	const Token &t = peek();
	switch (t.kind) {
	case TK_NUMBER: {
		NodePtr n = std::make_unique<Node>(NODE_CONSTANT, take().position);
		n->value.set_real(t.number);
		return n;
	}
	case TK_STRING: {
		NodePtr n = std::make_unique<Node>(NODE_CONSTANT, take().position);
		n->value.set_string(t.text);
		return n;
	}
	case TK_NAME:
		return name_primary();
	case TK_LPAREN: {
		take();
		NodePtr e = expression();
		if (!e)
			return nullptr;
		if (!accept(TK_RPAREN))
			return fail_here("Symbol ) expected.");
		return e;
	}
	default:
		if (ends_statement(t.kind))
			return fail_here("(Sub-)expression expected.");
		return fail_here("Unexpected symbol in expression.");
	}
}

NodePtr Parser::name_primary()
{
	const Token &t = take();
	if (peek().kind == TK_LPAREN)
		return call(t);
	NodePtr v = std::make_unique<Node>(NODE_VARIABLE, t.position);
	v->name = t.text;
	if (peek().kind == TK_LBRACKET && !indices(*v))
		return nullptr;
	if (!measure(*v))
		return nullptr;
	return v;
}

NodePtr Parser::call(const Token &name)
{
	int32_t id = function_id(name.text);
	if (id < 0)
		return fail(name.position, "Unknown function or script: " + name.text);
	NodePtr n = std::make_unique<Node>(NODE_CALL, name.position);
	n->name = name.text;
	n->id = id;
	take(); // (
	if (!accept(TK_RPAREN)) {
		for (;;) {
			NodePtr arg = expression();
			if (!arg)
				return nullptr;
			n->children.push_back(std::move(arg));
			if (accept(TK_RPAREN))
				break;
			if (!accept(TK_COMMA))
				return fail_here("Symbol , or ) expected.");
		}
	}
	int count = (int)n->children.size();
	int wanted = function_argument_count(id);
	if (count > MAX_ARGUMENTS || (wanted >= 0 && wanted != count))
		return fail(name.position, "Wrong number of arguments to function or script.");
	if (!measure(*n))
		return nullptr;
	return n;
}

// `[` index [`,` index] `]` after a variable name.
bool Parser::indices(Node &variable)
{
	take(); // [
	NodePtr first = expression();
	if (!first)
		return false;
	variable.children.push_back(std::move(first));
	if (accept(TK_RBRACKET))
		return true;
	if (!accept(TK_COMMA)) {
		fail_here("Symbol , or ] expected.");
		return false;
	}
	NodePtr second = expression();
	if (!second)
		return false;
	variable.children.push_back(std::move(second));
	if (accept(TK_RBRACKET))
		return true;
	if (peek().kind == TK_COMMA)
		fail_here("Only 1- and 2-dimensional arrays are supported.");
	else
		fail_here("Symbol ] expected.");
	return false;
}
