// tree_exec.h: the tree executor (-oldexec, and code given as text until the
// code generator takes over): walks a compiled tree against self and other.
#pragma once

#include <string>
#include <string_view>

#include "code/compiler/tree.h"

class CInstance;
class Value;

// Nested runs (a script calling a script through the executor) deeper than
// this stop with an error instead of exhausting the native stack.
constexpr int MAX_TREE_RUN_DEPTH = 64;

// Runs a compiled tree: a program until its end, `exit` or `return` (whose
// value becomes result; the real 0 otherwise), or an expression into result.
// The code error flag is cleared first; on a run-time error the code error
// message holds it and false is returned. Code that is not compiled reports
// "Internal Error: Executing non-compiled code->", a null self "Internal Error:
// Executing code for nil instance.".
bool execute_tree(const CodeTree &tree, CInstance *self, CInstance *other, Value &result);

// The value of a game constant: its text compiled as an expression under the
// code name and run with the instance as self and other (the constants
// table's evaluator during preparation).
bool evaluate_constant_text(const std::string &code_name, std::string_view text, CInstance *self, Value &out);
