// tree.h: the compiled tree of a piece of game code: statement and expression
// nodes, and CodeTree, the tree a CCode holds with the source it came from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "code/compiler/token.h"
#include "code/value.h"

enum NodeKind : uint8_t
{
	// Statements.
	NODE_BLOCK,     // children: the statements
	NODE_ASSIGN,    // op: the assignment token; children: target variable, value
	NODE_VAR,       // children: one NODE_VARIABLE per declared name
	NODE_GLOBALVAR, // likewise
	NODE_IF,        // children: condition, then, [else]
	NODE_REPEAT,    // children: count, body
	NODE_WHILE,     // children: condition, body
	NODE_DO,        // children: body, condition
	NODE_FOR,       // children: init, condition, update, body
	NODE_WITH,      // children: target, body
	NODE_SWITCH,    // children: value, then the body's statements and labels
	NODE_CASE,      // children: the label's expression
	NODE_DEFAULT,
	NODE_BREAK,
	NODE_CONTINUE,
	NODE_EXIT,
	NODE_RETURN, // children: the result
	// Expressions (a call is also a statement).
	NODE_CALL,     // id: the function id; children: the arguments
	NODE_CONSTANT, // value
	NODE_VARIABLE, // name, id; instance: the instance expression or null; children: 0-2 indices
	NODE_UNARY,    // op; children: operand
	NODE_BINARY,   // op; children: left, right
};

struct Node
{
	NodeKind kind;
	TokenKind op = TK_END;
	int32_t position = 0; // byte offset of the node's first token
	int32_t height = 1;   // 1 + the greatest height of the nodes below
	int32_t id = -1;      // variable id or function id
	int32_t scope = -6;   // a variable without instance: -6 (self or globalvar), -7 (declared var)
	Value value;
	std::string name;
	std::unique_ptr<Node> instance;
	std::vector<std::unique_ptr<Node>> children;

	Node(NodeKind kind, int32_t position) : kind(kind), position(position) {}
};

using NodePtr = std::unique_ptr<Node>;

// The kinds of compiled code; the numbers are those of CCode's code kind.
enum TreeKind : int32_t
{
	TREE_NONE = 0,
	TREE_PROGRAM = 1,
	TREE_EXPRESSION = 2,
	TREE_CONSTANT = 3,
};

struct CodeTree
{
	TreeKind kind = TREE_NONE;
	bool compiled = false;
	NodePtr root; // a NODE_BLOCK for a program, the expression otherwise
	std::string source;
	std::string name;
};

// Trees deeper than this are refused at compile time, so that compiling,
// running, dumping and freeing a tree cannot exhaust the native stack.
constexpr int32_t MAX_TREE_HEIGHT = 400;
