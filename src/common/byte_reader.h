// byte_reader.h: bounds-checked little-endian reads from an untrusted block.
// Every read checks its range; a bad one throws DataError with the offset, which
// the chunk walk turns into a clear load error.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

class DataError : public std::runtime_error
{
public:
	DataError(uint64_t offset, const std::string &what) : std::runtime_error(what), m_offset(offset) {}
	uint64_t offset() const { return m_offset; }

private:
	uint64_t m_offset;
};

class ByteReader
{
public:
	ByteReader() = default;
	explicit ByteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

	size_t size() const { return m_bytes.size(); }
	const uint8_t *data() const { return m_bytes.data(); }

	// True when [offset, offset + length) lies inside the block.
	bool contains(uint64_t offset, uint64_t length) const
	{
		return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
	}

	void check(uint64_t offset, uint64_t length, const char *what) const
	{
		if (!contains(offset, length))
			throw DataError(offset, std::string(what) + " runs past the end of the data (" +
			                            std::to_string(length) + " bytes at offset " + std::to_string(offset) +
			                            ", size " + std::to_string(m_bytes.size()) + ")");
	}

	uint8_t u8(uint64_t offset) const
	{
		check(offset, 1, "a byte");
		return m_bytes[offset];
	}

	uint16_t u16(uint64_t offset) const
	{
		check(offset, 2, "a 16-bit value");
		return (uint16_t)(m_bytes[offset] | (m_bytes[offset + 1] << 8));
	}

	uint32_t u32(uint64_t offset) const
	{
		check(offset, 4, "a 32-bit value");
		const uint8_t *p = m_bytes.data() + offset;
		return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
	}

	int32_t i32(uint64_t offset) const { return (int32_t)u32(offset); }

	float f32(uint64_t offset) const
	{
		uint32_t bits = u32(offset);
		float f;
		std::memcpy(&f, &bits, 4);
		return f;
	}

	double f64(uint64_t offset) const
	{
		check(offset, 8, "a 64-bit value");
		uint64_t bits = (uint64_t)u32(offset) | ((uint64_t)u32(offset + 4) << 32);
		double d;
		std::memcpy(&d, &bits, 8);
		return d;
	}

	std::span<const uint8_t> bytes(uint64_t offset, uint64_t length) const
	{
		check(offset, length, "a block of bytes");
		return m_bytes.subspan(offset, length);
	}

	// A stored string referenced by the offset of its first character: a u32
	// length word stands 4 bytes before it and a zero byte after its text.
	std::string_view string(uint64_t offset) const
	{
		if (offset < 4 || !contains(offset - 4, 4))
			throw DataError(offset, "a string reference points outside the data");
		uint32_t length = u32(offset - 4);
		if (!contains(offset, (uint64_t)length + 1))
			throw DataError(offset, "a string of " + std::to_string(length) + " bytes runs past the end of the data");
		if (m_bytes[offset + length] != 0)
			throw DataError(offset + length, "a string is not terminated by a zero byte");
		return std::string_view((const char *)m_bytes.data() + offset, length);
	}

private:
	std::span<const uint8_t> m_bytes;
};
