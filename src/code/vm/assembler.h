// assembler.h: a small assembler from text mnemonics to instruction words, for
// tests and tools, so that opcode behaviour can be checked without a compiler.
//
// One instruction or label per line; ";" starts a comment. Mnemonics carry the
// type suffixes of the listing: "add.d.i", "conv.v.d", "push.s", "ret.v".
//   push.d 2.5 | push.f 1.5 | push.i -3 | push.l 9000000000 | push.b true
//   push.s "text\n"          string operand (added to the assembly's strings)
//   push.e -1                16-bit immediate
//   push.v self.x            variable operand: SCOPE.NAME, "[]" after the name
//   pop.v.d global.a[]       when an array index is popped first
//        SCOPE: self other all noone global local unspec (-6), a number (object
//        index or any instance value in the field), idN (instance id 100000+N,
//        through the add-100000 bit), stack (the instance is popped)
//   call.i name 2            function by name (or #id) with its argument count
//   b label | bt label | bf label | pushenv label | popenv label
//   popenv.close             the early close of a with frame (type byte 0xF0)
//   word 0x12345678          a raw word
//   label:
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CCode;

struct Assembly
{
	std::vector<uint8_t> bytes;
	std::vector<std::string> strings;       // the texts string operands index
	std::vector<uint32_t> string_operands;  // offset of each push.s, by string index
	// Places whose operand names a variable or function: the instruction's byte
	// offset (for building the VARI and FUNC chains of a data file).
	struct Reference
	{
		std::string name;
		uint32_t at;
	};
	std::vector<Reference> variables, functions;
	std::string error; // "line N: ..." when the text does not assemble
};

// How names become ids; a missing resolver writes 0 (the chains of a data file
// are then built from the references).
struct AssemblerNames
{
	std::function<int32_t(const std::string &)> variable_id;
	std::function<int32_t(const std::string &)> function_id;
};

Assembly assemble(std::string_view text, const AssemblerNames &names = {});

// A statements piece owning the assembled bytecode and its strings; null with
// the reason in *error when the text does not assemble.
std::shared_ptr<CCode> assemble_code(const std::string &name, std::string_view text,
                                     const AssemblerNames &names = {}, std::string *error = nullptr);
