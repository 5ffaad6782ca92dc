// dump.cpp: the debugging dump of a compiled tree in source-like form, one
// statement a line, nested statements indented by three spaces.
#include <string>

#include "code/compiler/compiler.h"

namespace {

void expression(std::string &out, const Node &n);

void variable(std::string &out, const Node &n)
{
	if (n.instance) {
		expression(out, *n.instance);
		out += '.';
	}
	out += n.name;
	if (!n.children.empty()) {
		out += '[';
		for (size_t i = 0; i < n.children.size(); i++) {
			if (i)
				out += ',';
			expression(out, *n.children[i]);
		}
		out += ']';
	}
}

void call(std::string &out, const Node &n)
{
	out += n.name;
	out += '(';
	for (size_t i = 0; i < n.children.size(); i++) {
		if (i)
			out += ',';
		expression(out, *n.children[i]);
	}
	out += ')';
}

void expression(std::string &out, const Node &n)
{
	switch (n.kind) {
	case NODE_CONSTANT:
		if (!n.name.empty())
			out += n.name; // a named constant
		else if (n.value.is_string())
			out += "\"" + std::string(n.value.text()) + "\"";
		else
			out += value_debug_text(n.value);
		break;
	case NODE_VARIABLE:
		variable(out, n);
		break;
	case NODE_CALL:
		call(out, n);
		break;
	case NODE_UNARY:
		out += token_spelling(n.op);
		expression(out, *n.children[0]);
		break;
	case NODE_BINARY:
		out += '(';
		expression(out, *n.children[0]);
		out += ' ';
		out += token_spelling(n.op);
		out += ' ';
		expression(out, *n.children[1]);
		out += ')';
		break;
	default:
		out += "?";
		break;
	}
}

void statement(std::string &out, const Node &n, int indent);

void line(std::string &out, int indent, const std::string &text)
{
	out.append((size_t)indent * 3, ' ');
	out += text;
	out += '\n';
}

std::string expr_text(const Node &n)
{
	std::string s;
	expression(s, n);
	return s;
}

void statement(std::string &out, const Node &n, int indent)
{
	const auto &c = n.children;
	switch (n.kind) {
	case NODE_BLOCK:
		line(out, indent, "{");
		for (const NodePtr &s : c)
			statement(out, *s, indent + 1);
		line(out, indent, "}");
		break;
	case NODE_ASSIGN:
		line(out, indent, expr_text(*c[0]) + " " + token_spelling(n.op) + " " + expr_text(*c[1]));
		break;
	case NODE_VAR:
	case NODE_GLOBALVAR: {
		std::string s = n.kind == NODE_VAR ? "var " : "globalvar ";
		for (size_t i = 0; i < c.size(); i++)
			s += (i ? ", " : "") + c[i]->name;
		line(out, indent, s);
		break;
	}
	case NODE_IF:
		line(out, indent, "if " + expr_text(*c[0]));
		statement(out, *c[1], indent + 1);
		if (c.size() > 2) {
			line(out, indent, "else");
			statement(out, *c[2], indent + 1);
		}
		break;
	case NODE_REPEAT:
	case NODE_WHILE:
	case NODE_WITH:
		line(out, indent,
		     std::string(n.kind == NODE_REPEAT ? "repeat " : n.kind == NODE_WHILE ? "while " : "with ") +
		         expr_text(*c[0]));
		statement(out, *c[1], indent + 1);
		break;
	case NODE_DO:
		line(out, indent, "do");
		statement(out, *c[0], indent + 1);
		line(out, indent, "until " + expr_text(*c[1]));
		break;
	case NODE_FOR:
		line(out, indent, "for");
		statement(out, *c[0], indent + 1);
		line(out, indent + 1, expr_text(*c[1]));
		statement(out, *c[2], indent + 1);
		statement(out, *c[3], indent + 1);
		break;
	case NODE_SWITCH:
		line(out, indent, "switch " + expr_text(*c[0]));
		line(out, indent, "{");
		for (size_t i = 1; i < c.size(); i++)
			statement(out, *c[i], indent + 1);
		line(out, indent, "}");
		break;
	case NODE_CASE:
		line(out, indent - 1, "case " + expr_text(*c[0]) + ":");
		break;
	case NODE_DEFAULT:
		line(out, indent - 1, "default:");
		break;
	case NODE_BREAK:
		line(out, indent, "break");
		break;
	case NODE_CONTINUE:
		line(out, indent, "continue");
		break;
	case NODE_EXIT:
		line(out, indent, "exit");
		break;
	case NODE_RETURN:
		line(out, indent, "return " + expr_text(*c[0]));
		break;
	case NODE_CALL:
		line(out, indent, expr_text(n));
		break;
	default:
		line(out, indent, "?");
		break;
	}
}

} // namespace

std::string dump_tree(const CodeTree &tree)
{
	std::string out;
	switch (tree.kind) {
	case TREE_PROGRAM:
		out = "Program - " + tree.name + "\n";
		if (tree.root)
			statement(out, *tree.root, 0);
		break;
	case TREE_EXPRESSION:
	case TREE_CONSTANT:
		out = (tree.kind == TREE_CONSTANT ? "Constant - " : "Expression - ") + tree.name + "\n";
		if (tree.root)
			out += expr_text(*tree.root) + "\n";
		break;
	default:
		break;
	}
	return out;
}
