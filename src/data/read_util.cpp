// read_util.cpp: checked pieces shared by the resource chunk readers and their
// writers.
#include "data/read_util.h"

#include "data/chunk.h"
#include "data/writer.h"

std::string read_optional_string(const ByteReader &file, uint64_t field)
{
	uint32_t at = file.u32(field);
	return at == 0 ? std::string() : std::string(file.string(at));
}

std::string read_string_field(const ByteReader &file, uint64_t field, const char *what)
{
	uint32_t at = file.u32(field);
	if (at == 0)
		throw DataError(field, std::string(what) + " has no text");
	return std::string(file.string(at));
}

CodeRef read_code_ref(const GameData &game, uint64_t field)
{
	ByteReader file = game.file();
	CodeRef code;
	if (game.has_bytecode) {
		code.index = file.i32(field);
		if (code.index < -1 || (code.index >= 0 && (size_t)code.index >= game.code_entries.size()))
			throw DataError(field, "code index " + std::to_string(code.index) + " names no code entry (" +
			                           std::to_string(game.code_entries.size()) + " entries)");
		if (code.index < 0)
			code.index = -1;
	} else {
		code.source = read_optional_string(file, field);
	}
	return code;
}

CodeRef read_action_list(const GameData &game, uint64_t offset)
{
	ByteReader file = game.file();
	std::vector<uint32_t> actions = read_list_at(file, offset, "an action list");
	if (actions.empty() || actions[0] == 0)
		return {};
	file.check(actions[0], 64, "an action record");
	return read_code_ref(game, (uint64_t)actions[0] + (game.has_bytecode ? 32 : 60));
}

std::vector<uint32_t> read_list_at(const ByteReader &file, uint64_t offset, const char *what)
{
	if (offset == 0)
		throw DataError(offset, std::string(what) + " is missing");
	return read_offset_list(file, offset, file.size(), what);
}

void check_count(const ByteReader &file, uint64_t offset, uint64_t count, uint64_t size, const char *what)
{
	if (!file.contains(offset, count * size))
		throw DataError(offset, std::string(what) + ": " + std::to_string(count) +
		                            " entries run past the end of the data");
}

void write_code_ref(ChunkBuilder &c, const CodeRef &code, bool bytecode)
{
	if (bytecode)
		c.i32(code.index);
	else if (code.source.empty())
		c.u32(0);
	else
		c.string_ref(code.source);
}

void write_action_list(ChunkBuilder &c, const CodeRef &code, bool bytecode)
{
	if (code.empty()) {
		c.u32(0);
		return;
	}
	c.u32(1);
	c.ref(c.pos() + 4);
	size_t record = c.pos();
	c.zeros(64);
	// The code word of the record: 32 with bytecode, 60 for the text.
	if (bytecode) {
		c.put_u32(record + 32, (uint32_t)code.index);
	} else if (!code.source.empty()) {
		c.patch_string(record + 60, code.source);
	}
}

size_t write_list_slots(ChunkBuilder &c, size_t count)
{
	c.u32((uint32_t)count);
	size_t slots = c.pos();
	c.zeros(4 * count);
	return slots;
}

void point_slot_here(ChunkBuilder &c, size_t slots, size_t i)
{
	c.patch_ref(slots + 4 * i, c.index(), c.pos());
}
