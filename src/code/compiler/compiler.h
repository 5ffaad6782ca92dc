// compiler.h: compiling game-language source text into a tree, and the
// debugging dump of a compiled tree. Used by the Runner (code given as text,
// -oldexec) and by zentrix-pack (checking a project's code).
#pragma once

#include <string>
#include <string_view>

#include "code/compiler/tree.h"

enum CompileMode
{
	COMPILE_PROGRAM,    // statements: event code, scripts, execute_string
	COMPILE_EXPRESSION, // one expression: constants' values
};

// Compiles source into tree. The code error flag is cleared first; on failure
// the code error message holds the first error, with its line and position,
// and the tree keeps no root. A tree that is already compiled is refused with
// "Internal Error: Recompiling compiled code.". An expression that is a single
// constant makes a TREE_CONSTANT.
bool compile_tree(CodeTree &tree, std::string_view source, std::string_view name, CompileMode mode);

// "Program - %s\n", "Expression - %s\n" or "Constant - %s\n" with the name,
// then the tree in source-like form.
std::string dump_tree(const CodeTree &tree);
