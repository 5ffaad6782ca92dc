// instruction.cpp: the opcode table and the listing text of one instruction.
#include "code/vm/instruction.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

constexpr OpFormat format_of_code(uint8_t code)
{
	return (code & 0x40) ? OPERAND : (code & 0x20) ? BRANCH : PLAIN;
}

const OpcodeInfo opcode_table[] = {
#define OPCODE(id, name, code, format, pops, pushes) {name, code, format, pops, pushes, OP_##id},
#include "code/vm/opcodes.def"
#undef OPCODE
};

#define OPCODE(id, name, code, format, pops, pushes) \
	static_assert(format_of_code(code) == format, "opcodes.def: the format of " name " disagrees with its code");
#include "code/vm/opcodes.def"
#undef OPCODE

struct ByCode
{
	const OpcodeInfo *entries[256] = {};
	ByCode()
	{
		for (const OpcodeInfo &info : opcode_table)
			entries[info.code] = &info;
	}
};

uint32_t read_u32(const uint8_t *p)
{
	return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// Pads the line with blanks up to a column.
void pad_to(std::string &s, size_t column)
{
	if (s.size() < column)
		s.append(column - s.size(), ' ');
	else
		s += ' ';
}

std::string quoted(const std::string &text) { return "\"" + text + "\""; }

} // namespace

const OpcodeInfo *opcode_info(uint8_t code)
{
	static const ByCode by_code;
	return by_code.entries[code];
}

const OpcodeInfo *opcode_by_name(const std::string &name)
{
	for (const OpcodeInfo &info : opcode_table)
		if (name == info.name)
			return &info;
	return nullptr;
}

unsigned type_operand_size(unsigned type)
{
	switch (type) {
	case TYPE_DOUBLE:
	case TYPE_LONG:
		return 8;
	case TYPE_FLOAT:
	case TYPE_INT:
	case TYPE_BOOL:
	case TYPE_VARIABLE:
	case TYPE_STRING:
		return 4;
	default:
		return 0;
	}
}

const char *type_suffix(unsigned type)
{
	static const char *const suffixes[16] = {".d", ".f", ".i", ".l", ".b", ".v", ".s", "", "", "", "", "", "", "", "", ".e"};
	return type < 16 ? suffixes[type] : "";
}

std::string instruction_listing(const uint8_t *code, uint32_t pc, uint32_t avail, const ListingNames &names)
{
	char buffer[128];
	snprintf(buffer, sizeof buffer, "%08x : ", pc);
	std::string line = buffer;
	if (avail < 4) {
		line += "??\n";
		return line;
	}
	const uint8_t *p = code + pc;
	uint32_t w = read_u32(p);
	unsigned length = instruction_length(w);
	for (unsigned i = 0; i < length; i++) {
		if (i < avail)
			snprintf(buffer, sizeof buffer, "%02x", p[i]);
		else
			snprintf(buffer, sizeof buffer, "??");
		line += buffer;
	}
	pad_to(line, 11 + 24 + 1);

	uint8_t op = word_opcode(w);
	const OpcodeInfo *info = opcode_info(op);
	line += info ? info->name : "unknown";
	if ((op & 0x80) && !(op & 0x20)) {
		line += type_suffix(word_t1(w));
	} else if (!(op & 0x80) && !(op & 0x20)) {
		line += type_suffix(word_t1(w));
		line += type_suffix(word_t2(w));
	}
	pad_to(line, 11 + 24 + 1 + 12);

	if (word_is_branch(w)) {
		if (op == 0xBC && word_types(w) == POPENV_CLOSE_TYPES)
			snprintf(buffer, sizeof buffer, "0x%08x", pc);
		else
			snprintf(buffer, sizeof buffer, "0x%08x", (uint32_t)(pc + 4 * (int64_t)word_branch_distance(w)));
		line += buffer;
	} else if (word_has_operand(w) && length <= avail) {
		const uint8_t *operand = p + 4;
		uint32_t u = length >= 8 ? read_u32(operand) : 0;
		switch (word_t1(w)) {
		case TYPE_DOUBLE: {
			uint64_t bits = (uint64_t)u | ((uint64_t)read_u32(operand + 4) << 32);
			double d;
			memcpy(&d, &bits, 8);
			snprintf(buffer, sizeof buffer, "%f", d);
			line += buffer;
			break;
		}
		case TYPE_FLOAT: {
			float f;
			memcpy(&f, &u, 4);
			snprintf(buffer, sizeof buffer, "%f", (double)f);
			line += buffer;
			break;
		}
		case TYPE_INT:
			if (op == 0xDA && (int32_t)u >= 0 && (int32_t)u < 100000 && names.function_name) {
				line += names.function_name((int32_t)u);
			} else {
				snprintf(buffer, sizeof buffer, "%d", (int32_t)u);
				line += buffer;
			}
			break;
		case TYPE_LONG: {
			int64_t l = (int64_t)((uint64_t)u | ((uint64_t)read_u32(operand + 4) << 32));
			snprintf(buffer, sizeof buffer, "%" PRId64, l);
			line += buffer;
			break;
		}
		case TYPE_BOOL:
			line += (u & 0xFF) ? "true" : "false";
			break;
		case TYPE_VARIABLE: {
			int32_t id = (int32_t)(u & VAR_ID_MASK);
			line += "$" + (names.variable_name ? names.variable_name(id) : std::to_string(id)) + "$";
			break;
		}
		case TYPE_STRING:
			line += quoted(names.string_text ? names.string_text(u) : std::to_string(u));
			break;
		case TYPE_IMM16:
			snprintf(buffer, sizeof buffer, "%d", word_field(w));
			line += buffer;
			break;
		default:
			break;
		}
	}
	line += "\n";
	return line;
}
