// chunk.cpp: the container check and the chunk walk.
#include "data/chunk.h"

#include <vector>

std::string tag_text(uint32_t tag)
{
	std::string text;
	for (int i = 0; i < 4; i++) {
		char c = (char)((tag >> (8 * i)) & 0xFF);
		if (c != 0)
			text += c;
	}
	return text;
}

std::string container_problem(const ByteReader &file)
{
	if (file.size() <= 8)
		return "the file is too short to hold a game (" + std::to_string(file.size()) + " bytes)";
	uint32_t size_field = file.u32(4);
	if ((uint64_t)size_field != file.size() - 8)
		return "its size field says " + std::to_string((uint64_t)size_field + 8) + " bytes but the file has " +
		       std::to_string(file.size()) + " (truncated or damaged)";
	return {};
}

void for_each_chunk(const ByteReader &file, const std::function<void(const Chunk &)> &visit)
{
	uint64_t offset = 8;
	while (offset < file.size()) {
		if (!file.contains(offset, 8))
			throw DataError(offset, "a chunk header is cut off by the end of the file");
		Chunk chunk;
		chunk.tag = file.u32(offset);
		chunk.size = file.u32(offset + 4);
		chunk.start = offset;
		chunk.body = offset + 8;
		if (!file.contains(chunk.body, chunk.size))
			throw DataError(offset, "chunk " + tag_text(chunk.tag) + " of " + std::to_string(chunk.size) +
			                            " bytes runs past the end of the file");
		visit(chunk);
		offset = chunk.body + chunk.size;
	}
}

std::vector<uint32_t> read_offset_list(const ByteReader &file, uint64_t offset, uint64_t limit_end,
                                       const char *what)
{
	uint32_t count = file.u32(offset);
	uint64_t end = offset + 4 + (uint64_t)count * 4;
	if (end > limit_end || end > file.size())
		throw DataError(offset, std::string("the list of ") + what + " claims " + std::to_string(count) +
		                            " entries, more than its chunk holds");
	std::vector<uint32_t> list(count);
	for (uint32_t i = 0; i < count; i++) {
		uint32_t entry = file.u32(offset + 4 + (uint64_t)i * 4);
		if (entry >= file.size())
			throw DataError(offset + 4 + (uint64_t)i * 4,
			                std::string("entry ") + std::to_string(i) + " of the list of " + what +
			                    " points past the end of the file (" + std::to_string(entry) + ")");
		list[i] = entry;
	}
	return list;
}
