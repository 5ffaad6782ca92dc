// write_code.h: writer of the code chunks: CODE (the entries with their
// bytecode), VARI and FUNC (for each name, the chain of instructions whose
// operand receives its id). Used by zentrix-pack and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/writer.h"

// An operand of an instruction that names something: `at` is the byte offset
// of the instruction in its entry.
struct NamedOperand
{
	uint32_t at;
	std::string name;
};

struct CodeEntrySpec
{
	std::string name;
	std::vector<uint8_t> bytes;
	std::vector<NamedOperand> variables; // push/pop of a variable: the name
	std::vector<NamedOperand> functions; // call: the function or script name
	std::vector<NamedOperand> strings;   // push of a string: its text
};

// Writes CODE, then VARI and FUNC, after the chunks already written. In the
// written entries variable operands hold the chain distance in bits 0-28 (bits
// 29-31 kept), call operands the distance, string operands the string-table
// index of their text. Returns false (with the reason) when a chain distance
// does not fit.
bool write_code_chunks(DataFileWriter &writer, std::vector<CodeEntrySpec> entries, std::string &error);
