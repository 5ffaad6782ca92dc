// code_ranges.h: the bytecode ranges of the code entries, for the binding of
// variable and function chains, which may patch only bytes inside the code.
#pragma once

#include <cstdint>
#include <vector>

#include "data/game_data.h"

struct CodeRange
{
	uint64_t start, end; // the bytecode of one code entry
};

// The bytecode ranges of the code entries, sorted by start. A length running
// past the file throws DataError.
std::vector<CodeRange> code_ranges(const GameData &game, const ByteReader &file);

// True when an instruction and its operand (8 bytes at `at`) lie inside one
// code entry's bytecode.
bool inside_code(const std::vector<CodeRange> &ranges, int64_t at);
