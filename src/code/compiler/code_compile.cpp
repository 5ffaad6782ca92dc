// code_compile.cpp: a CCode from source text: the tree of the compiler, then
// the code generator's bytecode, strings and line table; and the dispatch of a
// run between the bytecode machine and the tree executor.
#include "code/compiler/code_compile.h"

#include <memory>

#include "code/compiler/codegen.h"
#include "code/compiler/tree_exec.h"
#include "code/errors.h"
#include "code/vm/code.h"
#include "code/vm/machine.h"

namespace {

bool g_bytecode = true;

// The string table of generated code, owning its texts.
struct OwnedTexts : StringTexts
{
	std::vector<std::string> owned;
};

} // namespace

void set_compile_to_bytecode(bool on) { g_bytecode = on; }
bool compile_to_bytecode() { return g_bytecode; }

bool compile_code(CCode &code, std::string_view source, std::string_view name, CompileMode mode)
{
	CodeErrorKind kind = mode == COMPILE_EXPRESSION ? CODE_ERROR_EXPRESSION : CODE_ERROR_STATEMENTS;
	if (code.compiled) {
		clear_code_error_flag();
		code_error(kind, source, 0, "Internal Error: Recompiling compiled code.");
		return false;
	}
	auto tree = std::make_shared<CodeTree>();
	if (!compile_tree(*tree, source, name, mode))
		return false;
	GeneratedCode generated;
	if (g_bytecode && !generate_code(*tree, generated))
		return false;
	code.kind = (CodeKind)tree->kind;
	if (tree->kind == TREE_CONSTANT)
		code.constant = tree->root->value;
	if (!generated.bytes.empty()) {
		auto texts = std::make_shared<OwnedTexts>();
		texts->owned = std::move(generated.strings);
		for (const std::string &s : texts->owned)
			texts->texts.emplace_back(s);
		code.strings = texts;
		code.set_owned_bytecode(std::move(generated.bytes));
		code.line_table = std::move(generated.line_table);
	}
	code.source.assign(source);
	code.name.assign(name);
	code.tree = std::move(tree);
	code.compiled = true;
	return true;
}

bool execute_code(CInstance *self, CInstance *other, CCode &code, Value &result)
{
	result.clear();
	if (code.has_bytecode() || !code.tree)
		return code_execute(self, other, code, &result);
	return execute_tree(*code.tree, self, other, result);
}
