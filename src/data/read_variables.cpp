// read_variables.cpp: the first pass's VARI chunk: every variable name gets its
// id, which is written into the variable operand of each instruction of the
// name's chain in the loaded code.
#include <algorithm>

#include "code/errors.h"
#include "code/variable_names.h"
#include "data/code_ranges.h"
#include "data/readers.h"

namespace {

constexpr uint32_t RECORD_SIZE = 12;
constexpr uint32_t ID_BITS = 0x1FFFFFFFu; // bits 0-28 of a variable operand
constexpr uint32_t KEPT_BITS = ~ID_BITS;  // bits 29-31: scope and index flags

void put_u32(std::vector<uint8_t> &bytes, uint64_t at, uint32_t v)
{
	for (int i = 0; i < 4; i++)
		bytes[at + i] = (uint8_t)(v >> (8 * i));
}

// The distance to the next instruction of a chain: bits 0-28, sign-extended.
int64_t chain_distance(uint32_t word)
{
	return (int32_t)((word & ID_BITS) << 3) >> 3;
}

} // namespace

bool bind_variable_references(GameData &game, const Chunk &chunk)
{
	ByteReader file = game.file();
	if (chunk.size % RECORD_SIZE != 0)
		throw DataError(chunk.body, "the variable list is not a whole number of 12-byte records");
	std::vector<CodeRange> ranges = code_ranges(game, file);
	// Every instruction of at least 8 bytes belongs to one chain at most, so
	// the chains together visit at most file size / 8 of them. The budget is
	// shared so that many records naming one chain cannot multiply the work.
	uint64_t budget = file.size() / 8;
	for (uint64_t record = chunk.body; record < chunk.body + chunk.size; record += RECORD_SIZE) {
		std::string name(file.string(file.u32(record)));
		uint32_t count = file.u32(record + 4);
		int64_t at = file.u32(record + 8);
		// An empty name, or one whose id does not fit the operand, has no id.
		int32_t id = name.empty() ? -1 : variable_id(name);
		if (id < 0 || (uint32_t)id > ID_BITS)
			fatal_load_error("Error on load\nUnable to find variable " + name + "\n");
		if ((uint64_t)count > budget)
			throw DataError(record + 4, "the reference chain of " + name + " is longer than the file allows");
		budget -= count;
		for (uint32_t i = 0; i < count; i++) {
			if (!inside_code(ranges, at))
				throw DataError(at < 0 ? 0 : (uint64_t)at,
				                "the reference chain of " + name + " leads outside the code");
			uint32_t word = file.u32((uint64_t)at + 4);
			put_u32(game.block.bytes, (uint64_t)at + 4, (word & KEPT_BITS) | (uint32_t)id);
			at += chain_distance(word);
		}
	}
	return true;
}
