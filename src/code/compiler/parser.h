// parser.h: the recursive-descent parser that turns a token list into a tree
// (statements in parser.cpp, expressions in parser_expr.cpp). The first error
// becomes the code error and stops the parse.
#pragma once

#include <string_view>
#include <vector>

#include "code/compiler/token.h"
#include "code/compiler/tree.h"

class Parser
{
public:
	Parser(std::string_view source, const std::vector<Token> &tokens, bool expression)
		: m_src(source), m_tokens(tokens), m_expression(expression)
	{
	}

	// A whole program: a NODE_BLOCK of every statement; null on error.
	NodePtr program();
	// A whole expression with nothing after it; null on error.
	NodePtr whole_expression();

private:
	// Statements (parser.cpp).
	NodePtr statement();
	NodePtr statement_body(const Token &t);
	NodePtr block();
	NodePtr if_statement();
	NodePtr loop_statement(NodeKind kind);
	NodePtr do_statement();
	NodePtr for_statement();
	NodePtr switch_statement();
	NodePtr declaration(NodeKind kind);
	NodePtr name_statement();
	void skip_semicolons();
	bool inside_switch_label(NodePtr &label);

	// Expressions (parser_expr.cpp), lowest precedence first.
	NodePtr expression();
	NodePtr boolean();
	NodePtr comparison();
	NodePtr bitwise();
	NodePtr shift();
	NodePtr additive();
	NodePtr multiplicative();
	NodePtr unary();
	NodePtr chain();
	NodePtr primary();
	NodePtr name_primary();
	NodePtr call(const Token &name);
	bool indices(Node &variable);
	NodePtr binary(TokenKind op, int32_t position, NodePtr left, NodePtr right);

	// Helpers.
	const Token &peek() const { return m_tokens[m_at]; }
	const Token &peek_next() const { return m_tokens[m_at + 1 < m_tokens.size() ? m_at + 1 : m_at]; }
	const Token &take() { return m_tokens[m_at < m_tokens.size() - 1 ? m_at++ : m_at]; }
	bool accept(TokenKind kind);
	std::nullptr_t fail(int32_t position, std::string_view message);
	std::nullptr_t fail_here(std::string_view message) { return fail(peek().position, message); }
	// Sets a node's height from its children; false (error recorded) when the
	// tree grows too deep.
	bool measure(Node &node);
	bool enter(); // counts the recursion depth; false (error recorded) when too deep

	std::string_view m_src;
	const std::vector<Token> &m_tokens;
	bool m_expression;
	size_t m_at = 0;
	int m_depth = 0;
	int m_switch_depth = 0;

	friend class DepthGuard;
};

class DepthGuard
{
public:
	explicit DepthGuard(Parser &p) : m_p(p) { m_ok = p.enter(); }
	~DepthGuard() { m_p.m_depth--; }
	bool ok() const { return m_ok; }

private:
	Parser &m_p;
	bool m_ok;
};
