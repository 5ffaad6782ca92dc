// read_functions.cpp: the FUNC chunk: binds each function name that the
// bytecode calls to its function id, patching the operand of every call
// instruction of the name's chain in the loaded file.
#include <algorithm>
#include <string>

#include "code/errors.h"
#include "code/function_table.h"
#include "data/code_ranges.h"
#include "data/readers.h"

namespace {

constexpr uint8_t CALL_OPCODE = 0xDA;

void put_u32(std::vector<uint8_t> &bytes, uint64_t at, uint32_t v)
{
	bytes[at] = (uint8_t)v;
	bytes[at + 1] = (uint8_t)(v >> 8);
	bytes[at + 2] = (uint8_t)(v >> 16);
	bytes[at + 3] = (uint8_t)(v >> 24);
}

} // namespace

bool read_functions(GameData &game, const Chunk &chunk, const std::vector<uint32_t> &)
{
	ByteReader file = game.file();
	if (chunk.size % 12 != 0)
		throw DataError(chunk.body, "the function list is not a whole number of 12-byte records");
	std::vector<CodeRange> ranges = code_ranges(game, file);
	// Each call instruction (8 bytes) belongs to one chain at most: the chains
	// share one budget, so repeated records cannot multiply the work.
	uint64_t budget = file.size() / 8;
	for (uint64_t record = chunk.body; record < chunk.body + chunk.size; record += 12) {
		std::string name(file.string(file.u32(record)));
		uint32_t count = file.u32(record + 4);
		uint64_t at = file.u32(record + 8);
		int32_t id = function_id(name);
		if (id < 0)
			fatal_load_error("Error on load\nUnable to find function " + name + "\n");
		if ((uint64_t)count > budget)
			throw DataError(record + 4, "the call chain of " + name + " is longer than the file allows");
		budget -= count;
		for (uint32_t i = 0; i < count; i++) {
			if (!inside_code(ranges, at) || file.u8(at + 3) != CALL_OPCODE)
				throw DataError(at, "the call chain of " + name + " leads outside the calls of the code");
			uint32_t distance = file.u32(at + 4);
			put_u32(game.block.bytes, at + 4, (uint32_t)id);
			at += distance;
		}
	}
	return true;
}
