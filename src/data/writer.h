// writer.h: builds game data files. Chunks are written in order; references to
// strings and to places inside chunks are recorded and patched with absolute
// offsets when the file is laid out. Used by zentrix-pack and by the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class DataFileWriter;

class ChunkBuilder
{
public:
	ChunkBuilder(DataFileWriter &owner, uint32_t tag, size_t index) : m_owner(owner), m_tag(tag), m_index(index) {}

	uint32_t tag() const { return m_tag; }
	size_t index() const { return m_index; }
	size_t pos() const { return m_data.size(); }
	const std::vector<uint8_t> &data() const { return m_data; }

	ChunkBuilder &u8(uint8_t v);
	ChunkBuilder &u16(uint16_t v);
	ChunkBuilder &u32(uint32_t v);
	ChunkBuilder &i32(int32_t v) { return u32((uint32_t)v); }
	ChunkBuilder &f32(float v);
	ChunkBuilder &f64(double v);
	ChunkBuilder &bytes(const void *data, size_t size);
	ChunkBuilder &zeros(size_t count);
	void put_u32(size_t at, uint32_t v);

	// A u32 holding the offset of the text's first character in the string table.
	ChunkBuilder &string_ref(std::string_view text);
	// A u32 holding the string-table index of the text.
	ChunkBuilder &string_index(std::string_view text);
	// A u32 holding the absolute offset of a place in a chunk (this one by default).
	ChunkBuilder &ref(size_t body_offset) { return ref_to(m_index, body_offset); }
	ChunkBuilder &ref_to(size_t chunk_index, size_t body_offset);
	// Patches an already written u32 to refer to a place in a chunk.
	void patch_ref(size_t at, size_t chunk_index, size_t body_offset);
	// Patches an already written u32 to refer to a text of the string table.
	void patch_string(size_t at, std::string_view text);

private:
	friend class DataFileWriter;
	struct Fixup
	{
		size_t at;
		bool is_string;
		size_t chunk;       // target chunk, when not a string
		size_t offset;      // target body offset, or string id
	};
	DataFileWriter &m_owner;
	uint32_t m_tag;
	size_t m_index;
	std::vector<uint8_t> m_data;
	std::vector<Fixup> m_fixups;
};

class DataFileWriter
{
public:
	// Appends a chunk with the given four-character tag.
	ChunkBuilder &chunk(std::string_view tag);
	// Places the string table here; without this call it goes last.
	void strings_here();

	// The id of a text in the string table (added when new). Ids are the table's
	// indices, in order of first use.
	uint32_t string_id(std::string_view text);

	// Lays the file out: "FORM", the size, the chunks in order.
	std::vector<uint8_t> build();

private:
	std::deque<ChunkBuilder> m_chunks;
	ptrdiff_t m_strings_at = -1;       // chunk index the string table takes, -1 for last
	std::vector<std::string> m_strings;
	std::map<std::string, uint32_t, std::less<>> m_string_ids;
};

struct GameHeader;

// Writes a header chunk (tag GEN8, or GEN7/GENL for older games) for the given
// fields and texts, in the layout its major version selects.
ChunkBuilder &write_header(DataFileWriter &writer, const GameHeader &header, std::string_view name,
                           std::string_view config, std::string_view tag = "GEN8");
