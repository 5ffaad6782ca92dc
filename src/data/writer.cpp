// writer.cpp: laying out game data files.
#include "data/writer.h"

#include <cstring>
#include <stdexcept>

#include "data/chunk.h"

ChunkBuilder &ChunkBuilder::u8(uint8_t v)
{
	m_data.push_back(v);
	return *this;
}

ChunkBuilder &ChunkBuilder::u16(uint16_t v)
{
	m_data.push_back((uint8_t)v);
	m_data.push_back((uint8_t)(v >> 8));
	return *this;
}

ChunkBuilder &ChunkBuilder::u32(uint32_t v)
{
	for (int i = 0; i < 4; i++)
		m_data.push_back((uint8_t)(v >> (8 * i)));
	return *this;
}

ChunkBuilder &ChunkBuilder::f32(float v)
{
	uint32_t bits;
	std::memcpy(&bits, &v, 4);
	return u32(bits);
}

ChunkBuilder &ChunkBuilder::f64(double v)
{
	uint64_t bits;
	std::memcpy(&bits, &v, 8);
	u32((uint32_t)bits);
	return u32((uint32_t)(bits >> 32));
}

ChunkBuilder &ChunkBuilder::bytes(const void *data, size_t size)
{
	const uint8_t *p = (const uint8_t *)data;
	m_data.insert(m_data.end(), p, p + size);
	return *this;
}

ChunkBuilder &ChunkBuilder::zeros(size_t count)
{
	m_data.insert(m_data.end(), count, 0);
	return *this;
}

void ChunkBuilder::put_u32(size_t at, uint32_t v)
{
	if (at + 4 > m_data.size())
		throw std::out_of_range("put_u32 past the chunk's end");
	for (int i = 0; i < 4; i++)
		m_data[at + i] = (uint8_t)(v >> (8 * i));
}

ChunkBuilder &ChunkBuilder::string_ref(std::string_view text)
{
	m_fixups.push_back({pos(), true, 0, m_owner.string_id(text)});
	return u32(0);
}

ChunkBuilder &ChunkBuilder::string_index(std::string_view text)
{
	return u32(m_owner.string_id(text));
}

ChunkBuilder &ChunkBuilder::ref_to(size_t chunk_index, size_t body_offset)
{
	m_fixups.push_back({pos(), false, chunk_index, body_offset});
	return u32(0);
}

void ChunkBuilder::patch_ref(size_t at, size_t chunk_index, size_t body_offset)
{
	m_fixups.push_back({at, false, chunk_index, body_offset});
}

void ChunkBuilder::patch_string(size_t at, std::string_view text)
{
	m_fixups.push_back({at, true, 0, m_owner.string_id(text)});
}

ChunkBuilder &DataFileWriter::chunk(std::string_view tag)
{
	if (tag.size() != 4)
		throw std::invalid_argument("a chunk tag has four characters");
	uint32_t value = 0;
	for (int i = 0; i < 4; i++)
		value |= (uint32_t)(uint8_t)tag[i] << (8 * i);
	m_chunks.emplace_back(*this, value, m_chunks.size() + (m_strings_at >= 0 ? 1 : 0));
	return m_chunks.back();
}

void DataFileWriter::strings_here()
{
	m_strings_at = (ptrdiff_t)m_chunks.size();
}

uint32_t DataFileWriter::string_id(std::string_view text)
{
	auto it = m_string_ids.find(text);
	if (it != m_string_ids.end())
		return it->second;
	uint32_t id = (uint32_t)m_strings.size();
	m_strings.emplace_back(text);
	m_string_ids.emplace(std::string(text), id);
	return id;
}

std::vector<uint8_t> DataFileWriter::build()
{
	// The string table's body: count, offsets of the length words, then the strings.
	size_t strings_index = m_strings_at >= 0 ? (size_t)m_strings_at : m_chunks.size();
	size_t table_size = 4 + 4 * m_strings.size();
	size_t strings_size = table_size;
	std::vector<size_t> string_pos; // body offset of each length word
	for (const std::string &s : m_strings) {
		string_pos.push_back(strings_size);
		strings_size += 4 + s.size() + 1;
	}

	// Chunk bodies in file order, the string table in its place.
	size_t total_chunks = m_chunks.size() + 1;
	std::vector<size_t> body_at(total_chunks);
	size_t offset = 8;
	for (size_t i = 0, c = 0; i < total_chunks; i++) {
		size_t size = i == strings_index ? strings_size : m_chunks[c++].data().size();
		body_at[i] = offset + 8;
		offset += 8 + size;
	}
	if (offset > 0xFFFFFFFFu)
		throw std::length_error("the game data file would exceed 4 GiB");

	std::vector<uint8_t> out;
	out.reserve(offset);
	auto put32 = [&out](uint32_t v) {
		for (int i = 0; i < 4; i++)
			out.push_back((uint8_t)(v >> (8 * i)));
	};
	auto put_tag = [&out](const char *tag) {
		for (int i = 0; i < 4; i++)
			out.push_back((uint8_t)tag[i]);
	};
	put_tag("FORM");
	put32((uint32_t)(offset - 8));
	for (size_t i = 0, c = 0; i < total_chunks; i++) {
		if (i == strings_index) {
			put_tag("STRG");
			put32((uint32_t)strings_size);
			put32((uint32_t)m_strings.size());
			for (size_t p : string_pos)
				put32((uint32_t)(body_at[i] + p));
			for (const std::string &s : m_strings) {
				put32((uint32_t)s.size());
				out.insert(out.end(), s.begin(), s.end());
				out.push_back(0);
			}
			continue;
		}
		const ChunkBuilder &chunk = m_chunks[c++];
		put32(chunk.tag());
		put32((uint32_t)chunk.data().size());
		size_t start = out.size();
		out.insert(out.end(), chunk.data().begin(), chunk.data().end());
		for (const ChunkBuilder::Fixup &f : chunk.m_fixups) {
			uint64_t target;
			if (f.is_string)
				target = body_at[strings_index] + string_pos[f.offset] + 4;
			else
				target = body_at.at(f.chunk) + f.offset;
			for (int k = 0; k < 4; k++)
				out[start + f.at + k] = (uint8_t)(target >> (8 * k));
		}
	}
	return out;
}
