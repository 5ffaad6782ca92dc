// disassemble.cpp: lists a piece of bytecode with the one-instruction listing, naming
// operands through the caller's lookups, and notes what the decoder finds wrong.
#include "code/vm/disassemble.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "code/vm/instruction.h"
#include "code/vm/program.h"

namespace {

constexpr uint8_t CALL_OPCODE = 0xDA;

uint32_t read_u32(const uint8_t *p)
{
	return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

std::string string_operand(const StringTexts *strings, uint32_t index)
{
	if (!strings || index >= strings->texts.size() || strings->texts[index].data() == nullptr)
		return "<no string " + std::to_string(index) + ">";
	return escape_text(strings->texts[index]);
}

} // namespace

std::string escape_text(std::string_view text)
{
	std::string out;
	out.reserve(text.size());
	for (char c : text) {
		switch (c) {
		case '\\': out += "\\\\"; break;
		case '"': out += "\\\""; break;
		case '\n': out += "\\n"; break;
		case '\r': out += "\\r"; break;
		case '\t': out += "\\t"; break;
		default:
			if ((unsigned char)c < 0x20) {
				char buffer[8];
				snprintf(buffer, sizeof buffer, "\\x%02x", (unsigned char)c);
				out += buffer;
			} else {
				out += c;
			}
		}
	}
	return out;
}

std::string disassemble(const uint8_t *bytes, uint32_t length, const DisassemblyNames &names)
{
	std::string out;
	Program program = decode_program(bytes, length, names.strings);
	if (!program.error.empty())
		out += "; malformed: " + program.error + "\n";

	uint32_t pc = 0;
	std::string call_name;
	ListingNames listing;
	listing.string_text = [&](uint32_t index) { return string_operand(names.strings, index); };
	listing.function_name = [&](int32_t) { return call_name; };
	uint8_t patched[12];
	while (pc < length) {
		uint32_t avail = length - pc;
		if (avail < 4) {
			out += instruction_listing(bytes, pc, avail, listing);
			break;
		}
		uint32_t w = read_u32(bytes + pc);
		uint32_t size = instruction_length(w);
		const uint8_t *code = bytes;
		uint32_t at = pc;
		bool full = size <= avail;
		uint32_t operand = full && size >= 8 ? read_u32(bytes + pc + 4) : 0;
		listing.variable_name = [&](int32_t id) {
			std::optional<std::string> name = names.variable ? names.variable(pc, operand) : std::nullopt;
			return name ? *name : std::to_string(id);
		};
		if (full && word_opcode(w) == CALL_OPCODE && word_has_operand(w) && word_t1(w) == TYPE_INT && names.function) {
			if (std::optional<std::string> name = names.function(pc, operand)) {
				// The listing names built-in ids only: list a copy whose operand is 0.
				call_name = *name;
				memcpy(patched, bytes + pc, size);
				memset(patched + 4, 0, 4);
				code = patched;
				at = 0;
			}
		}
		std::string line = instruction_listing(code, at, std::min(avail, size), listing);
		if (at != pc) {
			// Put back the real offset and operand bytes: "%08x : " then the bytes.
			char text[32];
			snprintf(text, sizeof text, "%08x", pc);
			line.replace(0, 8, text);
			for (int i = 0; i < 4; i++)
				snprintf(text + 2 * i, 3, "%02x", bytes[pc + 4 + i]);
			line.replace(11 + 8, 8, text);
		}
		out += line;
		pc += full ? size : avail;
	}
	return out;
}
