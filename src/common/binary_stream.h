// binary_stream.h: the little-endian stream of saved state: 32-bit integers,
// doubles and strings (a 32-bit byte length, then the bytes, no terminator).
// The reader checks every read and throws DataError with the position.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/byte_reader.h"

class StreamWriter
{
public:
	void i32(int32_t v);
	void f64(double v);
	void string(std::string_view text);

	const std::vector<uint8_t> &bytes() const { return m_bytes; }
	std::vector<uint8_t> &bytes() { return m_bytes; }

private:
	std::vector<uint8_t> m_bytes;
};

class StreamReader
{
public:
	explicit StreamReader(std::span<const uint8_t> bytes) : m_reader(bytes) {}

	int32_t i32();
	double f64();
	std::string string();

	size_t position() const { return m_pos; }
	size_t remaining() const { return m_reader.size() - m_pos; }
	bool at_end() const { return m_pos >= m_reader.size(); }
	// Throws DataError unless `count` items of at least `item_size` bytes each can
	// still follow: a count read from the stream is checked before anything is
	// allocated for it.
	void expect(uint64_t count, uint64_t item_size, const char *what) const;

private:
	ByteReader m_reader;
	size_t m_pos = 0;
};
