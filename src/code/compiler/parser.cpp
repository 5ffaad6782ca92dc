// parser.cpp: the statement grammar: blocks, if, loops, with, switch with its
// labels, declarations, assignments and calls, and the parser's helpers.
#include "code/compiler/parser.h"

#include "code/errors.h"

namespace {

// Nested statements and parenthesised expressions deeper than this are
// refused: the parser recurses once per level.
constexpr int MAX_PARSE_DEPTH = 256;

} // namespace

bool Parser::accept(TokenKind kind)
{
	if (peek().kind != kind)
		return false;
	take();
	return true;
}

std::nullptr_t Parser::fail(int32_t position, std::string_view message)
{
	code_error(m_expression ? CODE_ERROR_EXPRESSION : CODE_ERROR_STATEMENTS, m_src, position, message);
	return nullptr;
}

bool Parser::enter()
{
	if (++m_depth > MAX_PARSE_DEPTH) {
		fail_here("Code is nested too deeply.");
		return false;
	}
	return true;
}

bool Parser::measure(Node &node)
{
	int32_t h = 0;
	if (node.instance)
		h = node.instance->height;
	for (const NodePtr &c : node.children) {
		if (c && c->height > h)
			h = c->height;
	}
	node.height = h + 1;
	if (node.height > MAX_TREE_HEIGHT) {
		fail(node.position, "Code is nested too deeply.");
		return false;
	}
	return true;
}

void Parser::skip_semicolons()
{
	while (peek().kind == TK_SEMICOLON)
		take();
}

NodePtr Parser::program()
{
	NodePtr root = std::make_unique<Node>(NODE_BLOCK, 0);
	skip_semicolons();
	if (peek().kind == TK_NUMBER || peek().kind == TK_STRING)
		return fail_here("This is not a program.");
	while (peek().kind != TK_END) {
		if (peek().kind == TK_RBRACE)
			return fail_here("Program ends before end of the code.");
		NodePtr s = statement();
		if (!s)
			return nullptr;
		root->children.push_back(std::move(s));
		skip_semicolons();
	}
	if (!measure(*root))
		return nullptr;
	return root;
}

NodePtr Parser::statement()
{
	DepthGuard guard(*this);
	if (!guard.ok())
		return nullptr;
	const Token &t = peek();
	NodePtr s = statement_body(t);
	if (s && !measure(*s))
		return nullptr;
	return s;
}

NodePtr Parser::statement_body(const Token &t)
{
	int32_t at = t.position;
	switch (t.kind) {
	case TK_END:
		return fail_here("Unexpected end of code reached.");
	case TK_SEMICOLON:
		take();
		return std::make_unique<Node>(NODE_BLOCK, at);
	case TK_LBRACE:
		return block();
	case TK_IF:
		return if_statement();
	case TK_WHILE:
		return loop_statement(NODE_WHILE);
	case TK_REPEAT:
		return loop_statement(NODE_REPEAT);
	case TK_WITH:
		return loop_statement(NODE_WITH);
	case TK_DO:
		return do_statement();
	case TK_FOR:
		return for_statement();
	case TK_SWITCH:
		return switch_statement();
	case TK_VAR:
		return declaration(NODE_VAR);
	case TK_GLOBALVAR:
		return declaration(NODE_GLOBALVAR);
	case TK_EXIT:
		take();
		return std::make_unique<Node>(NODE_EXIT, at);
	case TK_BREAK:
		take();
		return std::make_unique<Node>(NODE_BREAK, at);
	case TK_CONTINUE:
		take();
		return std::make_unique<Node>(NODE_CONTINUE, at);
	case TK_RETURN: {
		take();
		NodePtr value = expression();
		if (!value)
			return nullptr;
		NodePtr s = std::make_unique<Node>(NODE_RETURN, at);
		s->children.push_back(std::move(value));
		return s;
	}
	case TK_CASE:
		return fail_here("Case statement only allowed inside switch statement.");
	case TK_DEFAULT:
		return fail_here("Default statement only allowed inside switch statement.");
	case TK_NAME:
	case TK_LPAREN:
		return name_statement();
	case TK_NUMBER:
	case TK_STRING:
		return fail_here("Statement expected.");
	default:
		if (token_is_keyword(t.kind) || t.kind == TK_AND || t.kind == TK_OR || t.kind == TK_XOR ||
		    t.kind == TK_NOT || t.kind == TK_DIV || t.kind == TK_MOD)
			return fail_here("Statement expected.");
		return fail_here("Unexpected symbol.");
	}
}

NodePtr Parser::block()
{
	NodePtr b = std::make_unique<Node>(NODE_BLOCK, take().position);
	skip_semicolons();
	while (!accept(TK_RBRACE)) {
		if (peek().kind == TK_END)
			return fail_here("Symbol  } expected.");
		NodePtr s = statement();
		if (!s)
			return nullptr;
		b->children.push_back(std::move(s));
		skip_semicolons();
	}
	return b;
}

NodePtr Parser::if_statement()
{
	NodePtr s = std::make_unique<Node>(NODE_IF, take().position);
	NodePtr cond = expression();
	if (!cond)
		return nullptr;
	accept(TK_THEN);
	NodePtr then = statement();
	if (!then)
		return nullptr;
	s->children.push_back(std::move(cond));
	s->children.push_back(std::move(then));
	skip_semicolons();
	if (accept(TK_ELSE)) {
		NodePtr other = statement();
		if (!other)
			return nullptr;
		s->children.push_back(std::move(other));
	}
	return s;
}

// while E [do] S, with E [do] S, repeat E S.
NodePtr Parser::loop_statement(NodeKind kind)
{
	NodePtr s = std::make_unique<Node>(kind, take().position);
	NodePtr head = expression();
	if (!head)
		return nullptr;
	if (kind != NODE_REPEAT)
		accept(TK_DO);
	NodePtr body = statement();
	if (!body)
		return nullptr;
	s->children.push_back(std::move(head));
	s->children.push_back(std::move(body));
	return s;
}

NodePtr Parser::do_statement()
{
	NodePtr s = std::make_unique<Node>(NODE_DO, take().position);
	NodePtr body = statement();
	if (!body)
		return nullptr;
	skip_semicolons();
	if (!accept(TK_UNTIL))
		return fail_here("Keyword until expected.");
	NodePtr cond = expression();
	if (!cond)
		return nullptr;
	s->children.push_back(std::move(body));
	s->children.push_back(std::move(cond));
	return s;
}

NodePtr Parser::for_statement()
{
	NodePtr s = std::make_unique<Node>(NODE_FOR, take().position);
	if (!accept(TK_LPAREN))
		return fail_here("Symbol ( expected.");
	NodePtr init = statement();
	if (!init)
		return nullptr;
	accept(TK_SEMICOLON);
	NodePtr cond = expression();
	if (!cond)
		return nullptr;
	accept(TK_SEMICOLON);
	NodePtr update = statement();
	if (!update)
		return nullptr;
	if (!accept(TK_RPAREN))
		return fail_here("Symbol ) expected.");
	NodePtr body = statement();
	if (!body)
		return nullptr;
	s->children.push_back(std::move(init));
	s->children.push_back(std::move(cond));
	s->children.push_back(std::move(update));
	s->children.push_back(std::move(body));
	return s;
}

// A `case` E `:` or `default` `:` label inside a switch body; false with
// label null when the next token is no label.
bool Parser::inside_switch_label(NodePtr &label)
{
	const Token &t = peek();
	if (t.kind != TK_CASE && t.kind != TK_DEFAULT)
		return false;
	int32_t at = take().position;
	if (t.kind == TK_CASE) {
		NodePtr value = expression();
		if (!value)
			return true;
		label = std::make_unique<Node>(NODE_CASE, at);
		label->children.push_back(std::move(value));
	} else {
		label = std::make_unique<Node>(NODE_DEFAULT, at);
	}
	if (!accept(TK_COLON)) {
		label.reset();
		fail_here("Symbol : expected.");
		return true;
	}
	if (!measure(*label))
		label.reset();
	return true;
}

NodePtr Parser::switch_statement()
{
	NodePtr s = std::make_unique<Node>(NODE_SWITCH, take().position);
	NodePtr value = expression();
	if (!value)
		return nullptr;
	s->children.push_back(std::move(value));
	if (!accept(TK_LBRACE))
		return fail_here("Symbol {  expected.");
	skip_semicolons();
	while (!accept(TK_RBRACE)) {
		if (peek().kind == TK_END)
			return fail_here("Symbol  } expected.");
		NodePtr item;
		if (inside_switch_label(item)) {
			if (!item)
				return nullptr;
		} else if (!(item = statement())) {
			return nullptr;
		}
		s->children.push_back(std::move(item));
		skip_semicolons();
	}
	return s;
}

NodePtr Parser::declaration(NodeKind kind)
{
	NodePtr s = std::make_unique<Node>(kind, take().position);
	do {
		const Token &t = peek();
		if (t.kind != TK_NAME)
			return fail_here("Variable name expected.");
		NodePtr v = std::make_unique<Node>(NODE_VARIABLE, t.position);
		v->name = t.text;
		take();
		s->children.push_back(std::move(v));
	} while (accept(TK_COMMA));
	return s;
}

// An assignment (a variable, possibly reached through a member chain, then an
// assignment operator and an expression) or a call.
NodePtr Parser::name_statement()
{
	int32_t at = peek().position;
	NodePtr target = chain();
	if (!target)
		return nullptr;
	if (target->kind == NODE_CALL)
		return target;
	if (target->kind != NODE_VARIABLE)
		return fail(at, "Variable name expected.");
	const Token &op = peek();
	if (!token_is_assignment(op.kind))
		return fail_here("Assignment operator expected.");
	take();
	NodePtr value = expression();
	if (!value)
		return nullptr;
	NodePtr s = std::make_unique<Node>(NODE_ASSIGN, at);
	s->op = op.kind;
	s->children.push_back(std::move(target));
	s->children.push_back(std::move(value));
	return s;
}
