// token.h: the tokens of the game language and the lexer that turns source text
// into a token list ending with an end marker.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum TokenKind : uint8_t
{
	TK_END,
	TK_NUMBER,
	TK_STRING,
	TK_NAME,
	// Keywords that begin or shape statements.
	TK_VAR,
	TK_GLOBALVAR,
	TK_IF,
	TK_THEN,
	TK_ELSE,
	TK_WHILE,
	TK_DO,
	TK_UNTIL,
	TK_FOR,
	TK_REPEAT,
	TK_WITH,
	TK_SWITCH,
	TK_CASE,
	TK_DEFAULT,
	TK_EXIT,
	TK_RETURN,
	TK_BREAK,
	TK_CONTINUE,
	// Operators (the word forms and, or, xor, not, div, mod map here too).
	TK_AND,
	TK_OR,
	TK_XOR,
	TK_NOT,
	TK_LT,
	TK_LE,
	TK_ASSIGN, // `=`: assignment in a statement, comparison in an expression
	TK_EQ,
	TK_NE,
	TK_GE,
	TK_GT,
	TK_PLUS,
	TK_MINUS,
	TK_STAR,
	TK_SLASH,
	TK_DIV,
	TK_MOD,
	TK_BITOR,
	TK_BITAND,
	TK_BITXOR,
	TK_BITNOT,
	TK_SHL,
	TK_SHR,
	TK_PLUS_ASSIGN,
	TK_MINUS_ASSIGN,
	TK_STAR_ASSIGN,
	TK_SLASH_ASSIGN,
	TK_OR_ASSIGN,
	TK_AND_ASSIGN,
	TK_XOR_ASSIGN,
	// Punctuation (begin and end map to the braces).
	TK_DOT,
	TK_LPAREN,
	TK_RPAREN,
	TK_LBRACKET,
	TK_RBRACKET,
	TK_LBRACE,
	TK_RBRACE,
	TK_COMMA,
	TK_COLON,
	TK_SEMICOLON,
};

inline bool token_is_keyword(TokenKind k) { return k >= TK_VAR && k <= TK_CONTINUE; }
inline bool token_is_assignment(TokenKind k)
{
	return k == TK_ASSIGN || (k >= TK_PLUS_ASSIGN && k <= TK_XOR_ASSIGN);
}

struct Token
{
	TokenKind kind = TK_END;
	int32_t position = 0; // byte offset in the source
	double number = 0;    // TK_NUMBER
	std::string text;     // TK_STRING contents, TK_NAME name
};

// The source text of an operator or keyword token, for the code dump.
const char *token_spelling(TokenKind kind);

// Splits source text into tokens. Comments (`//` to the end of the line and
// `/* ... */`) and white space are skipped; numbers are decimal or `$` hex;
// strings sit between double or single quotes without escapes. On a bad
// character or an unterminated string or comment the code error is recorded
// and false returned.
bool tokenize(std::string_view source, bool expression, std::vector<Token> &out);
