// ds_stream.cpp: writing and checked reading of the hexadecimal binary stream.
#include "ds/ds_stream.h"

#include <cstring>
#include <utility>

namespace {

const char HEX_DIGITS[] = "0123456789ABCDEF";

} // namespace

int ds_hex_digit(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	return -1;
}

void DsWriter::put_i32(int32_t v)
{
	uint32_t u = (uint32_t)v;
	for (int i = 0; i < 4; i++)
		m_bytes.push_back((uint8_t)(u >> (8 * i)));
}

void DsWriter::put_f64(double v)
{
	uint64_t u;
	memcpy(&u, &v, sizeof u);
	for (int i = 0; i < 8; i++)
		m_bytes.push_back((uint8_t)(u >> (8 * i)));
}

void DsWriter::put_element(const Value &v)
{
	put_i32(v.is_string() ? 1 : 0);
	put_f64(v.is_string() ? 0.0 : v.real());
	std::string_view text = v.text();
	put_i32((int32_t)text.size());
	m_bytes.insert(m_bytes.end(), text.begin(), text.end());
}

std::string DsWriter::hex() const
{
	std::string out(m_bytes.size() * 2, '0');
	for (size_t i = 0; i < m_bytes.size(); i++) {
		out[2 * i] = HEX_DIGITS[m_bytes[i] >> 4];
		out[2 * i + 1] = HEX_DIGITS[m_bytes[i] & 15];
	}
	return out;
}

DsReader::DsReader(std::string_view text)
{
	if (text.size() % 2 != 0) {
		fail("the text has an odd number of hexadecimal digits");
		return;
	}
	m_bytes.resize(text.size() / 2);
	for (size_t i = 0; i < m_bytes.size(); i++) {
		int hi = ds_hex_digit(text[2 * i]);
		int lo = ds_hex_digit(text[2 * i + 1]);
		if (hi < 0 || lo < 0) {
			fail("the text holds a character that is not a hexadecimal digit at " + std::to_string(hi < 0 ? 2 * i : 2 * i + 1));
			m_bytes.clear();
			return;
		}
		m_bytes[i] = (uint8_t)(hi << 4 | lo);
	}
}

void DsReader::fail(std::string message)
{
	if (m_error.empty())
		m_error = std::move(message);
}

bool DsReader::get_i32(int32_t &v)
{
	if (!ok())
		return false;
	if (remaining() < 4) {
		fail("the text ends early, at byte " + std::to_string(m_pos));
		return false;
	}
	uint32_t u = 0;
	for (int i = 0; i < 4; i++)
		u |= (uint32_t)m_bytes[m_pos + i] << (8 * i);
	m_pos += 4;
	v = (int32_t)u;
	return true;
}

bool DsReader::get_f64(double &v)
{
	if (!ok())
		return false;
	if (remaining() < 8) {
		fail("the text ends early, at byte " + std::to_string(m_pos));
		return false;
	}
	uint64_t u = 0;
	for (int i = 0; i < 8; i++)
		u |= (uint64_t)m_bytes[m_pos + i] << (8 * i);
	m_pos += 8;
	memcpy(&v, &u, sizeof v);
	return true;
}

bool DsReader::get_element(Value &v)
{
	size_t at = m_pos;
	int32_t kind, length;
	double real;
	if (!get_i32(kind) || !get_f64(real) || !get_i32(length))
		return false;
	if (kind != 0 && kind != 1) {
		fail("an element at byte " + std::to_string(at) + " has the unknown kind " + std::to_string(kind));
		return false;
	}
	if (length < 0 || (size_t)length > remaining()) {
		fail("an element at byte " + std::to_string(at) + " has a string length past the end of the text");
		return false;
	}
	std::string_view text((const char *)m_bytes.data() + m_pos, (size_t)length);
	m_pos += (size_t)length;
	if (kind == 0) {
		v.set_real(real);
		return true;
	}
	if (text.find('\0') != std::string_view::npos) {
		fail("a string at byte " + std::to_string(at) + " holds a zero byte");
		return false;
	}
	v.set_string(text);
	return true;
}

bool DsReader::expect(uint64_t n, size_t min_bytes, const char *what)
{
	if (!ok())
		return false;
	if (n > remaining() / min_bytes) {
		fail(std::string("the text is too short for its ") + what);
		return false;
	}
	return true;
}

bool DsReader::get_count(int32_t &count, size_t min_bytes, const char *what)
{
	if (!get_i32(count))
		return false;
	if (count < 0) {
		fail(std::string("the ") + what + " count is negative");
		return false;
	}
	return expect((uint64_t)count, min_bytes, what);
}

std::string ds_write_sequence(int32_t tag, const std::vector<Value> &items)
{
	DsWriter w;
	w.put_i32(tag);
	w.put_i32((int32_t)items.size());
	for (const Value &v : items)
		w.put_element(v);
	return w.hex();
}

bool ds_read_sequence(std::string_view text, int32_t tag, const char *kind, std::vector<Value> &items,
                      std::string &error)
{
	DsReader r(text);
	int32_t read_tag = 0, count = 0;
	if (r.get_i32(read_tag) && read_tag != tag)
		r.fail(std::string("the text is not a written ") + kind);
	std::vector<Value> read;
	if (r.get_count(count, DS_ELEMENT_MIN_BYTES, "elements")) {
		read.resize((size_t)count);
		for (Value &v : read)
			if (!r.get_element(v))
				break;
	}
	if (!r.ok()) {
		error = r.error();
		return false;
	}
	items = std::move(read);
	return true;
}
