// binary_stream.cpp: writing and checked reading of the saved-state stream.
#include "common/binary_stream.h"

#include <cstring>

void StreamWriter::i32(int32_t v)
{
	uint32_t u = (uint32_t)v;
	for (int i = 0; i < 4; i++)
		m_bytes.push_back((uint8_t)(u >> (8 * i)));
}

void StreamWriter::f64(double v)
{
	uint64_t u;
	std::memcpy(&u, &v, 8);
	for (int i = 0; i < 8; i++)
		m_bytes.push_back((uint8_t)(u >> (8 * i)));
}

void StreamWriter::string(std::string_view text)
{
	i32((int32_t)text.size());
	m_bytes.insert(m_bytes.end(), text.begin(), text.end());
}

int32_t StreamReader::i32()
{
	int32_t v = m_reader.i32(m_pos);
	m_pos += 4;
	return v;
}

double StreamReader::f64()
{
	double v = m_reader.f64(m_pos);
	m_pos += 8;
	return v;
}

std::string StreamReader::string()
{
	int32_t length = m_reader.i32(m_pos);
	if (length < 0)
		throw DataError(m_pos, "a string has a negative length (" + std::to_string(length) + ")");
	auto bytes = m_reader.bytes(m_pos + 4, (uint64_t)length);
	m_pos += 4 + (size_t)length;
	return std::string((const char *)bytes.data(), bytes.size());
}

void StreamReader::expect(uint64_t count, uint64_t item_size, const char *what) const
{
	if (item_size != 0 && count > remaining() / item_size)
		throw DataError(m_pos, std::string(what) + ": " + std::to_string(count) +
		                           " entries cannot fit in the " + std::to_string(remaining()) +
		                           " bytes that remain");
}
