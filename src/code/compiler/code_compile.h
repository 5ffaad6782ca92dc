// code_compile.h: compiling source text into a CCode and running it: the tree
// always, and bytecode from the code generator unless -oldexec chose the tree
// executor.
#pragma once

#include <string_view>

#include "code/compiler/compiler.h"

class CCode;
class CInstance;
class Value;

// On by default; -oldexec turns it off, so that compiled code keeps only its
// tree and runs on the tree executor.
void set_compile_to_bytecode(bool on);
bool compile_to_bytecode();

// Compiles source into code (kind, tree, constant, bytecode and line table,
// source and name). Compiling code that is already compiled is the error
// "Internal Error: Recompiling compiled code.". On failure the code error
// message holds the first error.
bool compile_code(CCode &code, std::string_view source, std::string_view name, CompileMode mode);

// Runs compiled code: its bytecode on the machine when it has any, else its
// tree on the tree executor. result receives the piece's result.
bool execute_code(CInstance *self, CInstance *other, CCode &code, Value &result);
