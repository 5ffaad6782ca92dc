// read_variables.cpp: the first pass's VARI chunk: every variable name gets its
// id, which is written into each instruction of the name's chain in the code.
#include "data/readers.h"

#include "code/variable_names.h"
#include "common/console.h"
#include "data/chunk.h"

namespace {

constexpr uint32_t RECORD_SIZE = 12;
constexpr uint32_t ID_BITS = 0x1FFFFFFFu;    // bits 0-28 of a variable operand
constexpr uint32_t KEPT_BITS = ~ID_BITS;     // bits 29-31: scope and index flags

void put_u32(std::vector<uint8_t> &bytes, uint64_t at, uint32_t v)
{
	for (int i = 0; i < 4; i++)
		bytes[at + i] = (uint8_t)(v >> (8 * i));
}

// The distance to the next instruction: bits 0-28 sign-extended.
int64_t chain_distance(uint32_t word)
{
	int32_t bits = (int32_t)((word & ID_BITS) << 3) >> 3;
	return bits;
}

// The body of the CODE chunk, which every reference must lie in.
struct CodeRange
{
	uint64_t begin = 0, end = 0;
};

CodeRange code_range(const ByteReader &file)
{
	CodeRange range;
	for_each_chunk(file, [&](const Chunk &c) {
		if (c.tag == make_tag("CODE") && range.end == 0) {
			range.begin = c.body;
			range.end = c.body + c.size;
		}
	});
	return range;
}

void patch_chain(GameData &game, const CodeRange &code, std::string_view name, uint32_t count, uint32_t first,
                 uint32_t id)
{
	ByteReader file = game.file();
	// A chain visits distinct instructions of at least 8 bytes each.
	if (count > (code.end - code.begin) / 8)
		throw DataError(first, "the variable " + std::string(name) + " claims " + std::to_string(count) +
		                           " references, more than the code can hold");
	int64_t at = first;
	for (uint32_t i = 0; i < count; i++) {
		if (at < (int64_t)code.begin || at + 8 > (int64_t)code.end)
			throw DataError(at < 0 ? 0 : (uint64_t)at, "a reference to the variable " + std::string(name) +
			                                               " lies outside the code");
		uint32_t word = file.u32((uint64_t)at + 4);
		put_u32(game.block.bytes, (uint64_t)at + 4, (word & KEPT_BITS) | id);
		at += chain_distance(word);
	}
}

} // namespace

bool bind_variable_references(GameData &game, const Chunk &chunk)
{
	ByteReader file = game.file();
	CodeRange code = code_range(file);
	if (chunk.size % RECORD_SIZE != 0)
		throw DataError(chunk.body, "the variable list is " + std::to_string(chunk.size) +
		                                " bytes long, not a whole number of 12-byte records");
	for (uint64_t at = chunk.body; at < chunk.body + chunk.size; at += RECORD_SIZE) {
		uint32_t name_at = file.u32(at);
		uint32_t count = file.u32(at + 4);
		uint32_t first = file.u32(at + 8);
		std::string_view name = file.string(name_at);
		// A name that is empty or whose id cannot be written into an operand
		// has no id.
		int32_t id = name.empty() ? -1 : variable_id(name);
		if (id < 0 || (uint32_t)id > ID_BITS) {
			std::string text = "Error on load\nUnable to find variable " + std::string(name) + "\n";
			show_message(text);
			return false;
		}
		patch_chain(game, code, name, count, first, (uint32_t)id);
	}
	return true;
}
