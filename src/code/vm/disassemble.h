// disassemble.h: the listing of a whole piece of bytecode, one instruction per line,
// with variables, functions and string operands named.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct StringTexts;

// How operands are named. `pc` is the byte offset of the instruction in the piece and
// `operand` the raw operand (in a data file not yet bound, a link of a reference chain),
// so a caller may name by place or by id. Returning nothing leaves the number shown.
struct DisassemblyNames
{
	std::function<std::optional<std::string>(uint32_t pc, uint32_t operand)> variable;
	std::function<std::optional<std::string>(uint32_t pc, uint32_t operand)> function;
	const StringTexts *strings = nullptr; // the texts string operands index
};

// The listing lines of `length` bytes of bytecode. A piece the decoder rejects is
// still listed as far as its bytes go, after a line "; malformed: <reason>".
std::string disassemble(const uint8_t *bytes, uint32_t length, const DisassemblyNames &names);

// A text as a one-line quoted-ready form: backslash, quote and control characters
// escaped.
std::string escape_text(std::string_view text);
