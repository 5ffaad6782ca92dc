// codegen.h: the code generator: walks the tree of a program or an expression
// and emits bytecode for the machine, with a line table, so that compiled text
// runs like code from a data file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code/compiler/tree.h"
#include "code/vm/code.h"

// The hidden built-in through which generated code declares `globalvar`
// names when the statement runs; game code cannot write its name.
constexpr const char *GLOBALVAR_FUNCTION = "$globalvar";

struct GeneratedCode
{
	std::vector<uint8_t> bytes;       // empty when nothing was emitted
	std::vector<LinePair> line_table; // statement starts, increasing offsets
	std::vector<std::string> strings; // the texts string operands index
};

// False (code error recorded) for what the machine cannot run: a `with` over
// `global` or `local`, a branch beyond the 24-bit distance.
bool generate_code(const CodeTree &tree, GeneratedCode &out);
