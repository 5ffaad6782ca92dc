// compiler.cpp: the compile entry point: tokens, the parse, then the name
// resolution of the parsed tree.
#include "code/compiler/compiler.h"

#include <vector>

#include "code/compiler/parser.h"
#include "code/compiler/resolve.h"
#include "code/errors.h"

bool compile_tree(CodeTree &tree, std::string_view source, std::string_view name, CompileMode mode)
{
	bool expression = mode == COMPILE_EXPRESSION;
	CodeErrorKind error_kind = expression ? CODE_ERROR_EXPRESSION : CODE_ERROR_STATEMENTS;
	clear_code_error_flag();
	if (tree.compiled) {
		code_error(error_kind, source, 0, "Internal Error: Recompiling compiled code.");
		return false;
	}
	tree.root.reset();
	tree.source.assign(source);
	tree.name.assign(name);

	std::vector<Token> tokens;
	if (!tokenize(tree.source, expression, tokens))
		return false;
	Parser parser(tree.source, tokens, expression);
	NodePtr root = expression ? parser.whole_expression() : parser.program();
	if (!root)
		return false;
	if (!resolve_names(root, tree.source, expression))
		return false;
	if (!expression)
		tree.kind = TREE_PROGRAM;
	else
		tree.kind = root->kind == NODE_CONSTANT ? TREE_CONSTANT : TREE_EXPRESSION;
	tree.root = std::move(root);
	tree.compiled = true;
	return true;
}
