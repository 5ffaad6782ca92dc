// chunk.h: chunk tags and the walk over the chunks of a container.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/byte_reader.h"

// A tag is its four characters read as one little-endian 32-bit value, so the
// tag "GEN8" is 0x384E4547.
constexpr uint32_t make_tag(const char (&s)[5])
{
	return (uint32_t)(uint8_t)s[0] | ((uint32_t)(uint8_t)s[1] << 8) | ((uint32_t)(uint8_t)s[2] << 16) |
	       ((uint32_t)(uint8_t)s[3] << 24);
}

// The tag's four characters as they stand in the file (zero bytes left out so
// that the text stays printable).
std::string tag_text(uint32_t tag);

struct Chunk
{
	uint32_t tag = 0;
	uint64_t start = 0; // offset of the chunk's 8-byte header
	uint64_t body = 0;  // offset of the body
	uint32_t size = 0;  // body size in bytes
};

// The container's size field must equal the block's size minus 8, and the block
// must be longer than 8 bytes. Returns an empty string when it does, otherwise
// the reason.
std::string container_problem(const ByteReader &file);

// Calls visit for each chunk in file order. A chunk header or body that runs past
// the end of the block throws DataError naming the chunk.
void for_each_chunk(const ByteReader &file, const std::function<void(const Chunk &)> &visit);

// A list of offsets: a u32 count, then count u32 absolute offsets (0 for an empty
// slot). Checks that the list lies inside `limit_end` and every non-zero entry
// inside the file.
std::vector<uint32_t> read_offset_list(const ByteReader &file, uint64_t offset, uint64_t limit_end,
                                       const char *what);
