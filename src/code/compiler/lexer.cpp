// lexer.cpp: source text to tokens: names and keywords, decimal and `$` hex
// numbers, quoted strings, operators, and the comments that are skipped.
#include <charconv>
#include <cstring>

#include "code/compiler/token.h"
#include "code/errors.h"

namespace {

struct Keyword
{
	const char *word;
	TokenKind kind;
};

// Keywords are case-sensitive.
const Keyword KEYWORDS[] = {
	{"var", TK_VAR},           {"globalvar", TK_GLOBALVAR}, {"if", TK_IF},         {"then", TK_THEN},
	{"else", TK_ELSE},         {"while", TK_WHILE},         {"do", TK_DO},         {"until", TK_UNTIL},
	{"for", TK_FOR},           {"repeat", TK_REPEAT},       {"with", TK_WITH},     {"switch", TK_SWITCH},
	{"case", TK_CASE},         {"default", TK_DEFAULT},     {"exit", TK_EXIT},     {"return", TK_RETURN},
	{"break", TK_BREAK},       {"continue", TK_CONTINUE},   {"and", TK_AND},       {"or", TK_OR},
	{"xor", TK_XOR},           {"not", TK_NOT},             {"div", TK_DIV},       {"mod", TK_MOD},
	{"begin", TK_LBRACE},      {"end", TK_RBRACE},
};

struct Symbol
{
	const char *text;
	TokenKind kind;
};

// Longer symbols first, so that the longest match wins.
const Symbol SYMBOLS[] = {
	{"&&", TK_AND},         {"||", TK_OR},          {"^^", TK_XOR},          {"<=", TK_LE},
	{">=", TK_GE},          {"==", TK_EQ},          {"!=", TK_NE},           {"<<", TK_SHL},
	{">>", TK_SHR},         {"+=", TK_PLUS_ASSIGN}, {"-=", TK_MINUS_ASSIGN}, {"*=", TK_STAR_ASSIGN},
	{"/=", TK_SLASH_ASSIGN}, {"|=", TK_OR_ASSIGN},  {"&=", TK_AND_ASSIGN},   {"^=", TK_XOR_ASSIGN},
	{"!", TK_NOT},          {"<", TK_LT},           {">", TK_GT},            {"=", TK_ASSIGN},
	{"+", TK_PLUS},         {"-", TK_MINUS},        {"*", TK_STAR},          {"/", TK_SLASH},
	{"|", TK_BITOR},        {"&", TK_BITAND},       {"^", TK_BITXOR},        {"~", TK_BITNOT},
	{".", TK_DOT},          {"(", TK_LPAREN},       {")", TK_RPAREN},        {"[", TK_LBRACKET},
	{"]", TK_RBRACKET},     {"{", TK_LBRACE},       {"}", TK_RBRACE},        {",", TK_COMMA},
	{":", TK_COLON},        {";", TK_SEMICOLON},
};

bool is_name_start(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_name_char(char c) { return is_name_start(c) || is_digit(c); }

int hex_digit(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	return -1;
}

class Lexer
{
public:
	Lexer(std::string_view source, bool expression) : m_src(source), m_expression(expression) {}

	bool run(std::vector<Token> &out)
	{
		out.clear();
		for (;;) {
			if (!skip_space())
				return false;
			Token t;
			t.position = (int32_t)m_pos;
			if (m_pos >= m_src.size()) {
				// The end marker sits right after the last token, so that an
				// error there names the line where the code stops.
				t.position = (int32_t)m_last_end;
				out.push_back(std::move(t));
				return true;
			}
			if (!next(t))
				return false;
			m_last_end = m_pos;
			out.push_back(std::move(t));
		}
	}

private:
	bool fail(size_t position, const char *message)
	{
		code_error(m_expression ? CODE_ERROR_EXPRESSION : CODE_ERROR_STATEMENTS, m_src, (int64_t)position, message);
		return false;
	}

	char at(size_t i) const { return i < m_src.size() ? m_src[i] : '\0'; }

	// White space (every byte up to the blank) and comments.
	bool skip_space()
	{
		while (m_pos < m_src.size()) {
			unsigned char c = (unsigned char)m_src[m_pos];
			if (c <= ' ') {
				m_pos++;
			} else if (c == '/' && at(m_pos + 1) == '/') {
				while (m_pos < m_src.size() && m_src[m_pos] != '\n')
					m_pos++;
			} else if (c == '/' && at(m_pos + 1) == '*') {
				size_t end = m_src.find("*/", m_pos + 2);
				if (end == std::string_view::npos)
					return fail(m_pos, "Unexpected end of code reached.");
				m_pos = end + 2;
			} else {
				break;
			}
		}
		return true;
	}

	bool next(Token &t)
	{
		char c = m_src[m_pos];
		if (is_name_start(c))
			return name(t);
		if (is_digit(c) || (c == '.' && is_digit(at(m_pos + 1))))
			return decimal(t);
		if (c == '$')
			return hexadecimal(t);
		if (c == '"' || c == '\'')
			return string(t, c);
		for (const Symbol &s : SYMBOLS) {
			size_t n = strlen(s.text);
			if (m_src.substr(m_pos, n) == s.text) {
				t.kind = s.kind;
				m_pos += n;
				return true;
			}
		}
		return fail(m_pos, "Unexpected symbol.");
	}

	bool name(Token &t)
	{
		size_t start = m_pos;
		while (m_pos < m_src.size() && is_name_char(m_src[m_pos]))
			m_pos++;
		std::string_view word = m_src.substr(start, m_pos - start);
		for (const Keyword &k : KEYWORDS) {
			if (word == k.word) {
				t.kind = k.kind;
				return true;
			}
		}
		t.kind = TK_NAME;
		t.text.assign(word);
		return true;
	}

	bool decimal(Token &t)
	{
		size_t start = m_pos;
		while (is_digit(at(m_pos)))
			m_pos++;
		if (at(m_pos) == '.' && is_digit(at(m_pos + 1))) {
			m_pos++;
			while (is_digit(at(m_pos)))
				m_pos++;
		}
		double value = 0;
		std::from_chars(m_src.data() + start, m_src.data() + m_pos, value);
		t.kind = TK_NUMBER;
		t.number = value;
		return true;
	}

	bool hexadecimal(Token &t)
	{
		size_t start = m_pos++;
		double value = 0;
		while (hex_digit(at(m_pos)) >= 0)
			value = value * 16 + hex_digit(m_src[m_pos++]);
		if (m_pos == start + 1)
			return fail(start, "Unexpected symbol.");
		t.kind = TK_NUMBER;
		t.number = value;
		return true;
	}

	bool string(Token &t, char quote)
	{
		size_t start = m_pos++;
		size_t end = m_src.find(quote, m_pos);
		if (end == std::string_view::npos)
			return fail(start, "Unexpected end of code reached.");
		t.kind = TK_STRING;
		t.text.assign(m_src.substr(m_pos, end - m_pos));
		m_pos = end + 1;
		return true;
	}

	std::string_view m_src;
	bool m_expression;
	size_t m_pos = 0;
	size_t m_last_end = 0;
};

} // namespace

bool tokenize(std::string_view source, bool expression, std::vector<Token> &out)
{
	return Lexer(source, expression).run(out);
}

const char *token_spelling(TokenKind kind)
{
	for (const Symbol &s : SYMBOLS) {
		if (s.kind == kind)
			return s.text;
	}
	switch (kind) {
	case TK_DIV:
		return "div";
	case TK_MOD:
		return "mod";
	default:
		break;
	}
	for (const Keyword &k : KEYWORDS) {
		if (k.kind == kind)
			return k.word;
	}
	return "?";
}
