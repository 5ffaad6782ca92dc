// ds_map_text.cpp: the map's written form: entries "flag:key:value" joined by
// ",", strings as hexadecimal bytes, reals as the leading non-zero bytes of
// their 64-bit pattern.
#include <cstring>

#include "ds/ds_map.h"
#include "ds/ds_stream.h"

namespace {

const char HEX_DIGITS[] = "0123456789ABCDEF";

void put_byte(std::string &out, uint8_t b)
{
	out += HEX_DIGITS[b >> 4];
	out += HEX_DIGITS[b & 15];
}

void put_value(std::string &out, const Value &v)
{
	if (v.is_string()) {
		for (char c : v.text())
			put_byte(out, (uint8_t)c);
		return;
	}
	double r = v.real();
	uint64_t bits;
	memcpy(&bits, &r, sizeof bits);
	// Most significant byte first, stopping once the rest is all zero.
	for (int shift = 56; shift >= 0 && (bits << (56 - shift)) != 0; shift -= 8)
		put_byte(out, (uint8_t)(bits >> shift));
}

bool decode_hex(std::string_view digits, std::string &bytes, std::string &error)
{
	if (digits.size() % 2) {
		error = "an odd number of hexadecimal digits";
		return false;
	}
	bytes.clear();
	for (size_t i = 0; i < digits.size(); i += 2) {
		int hi = ds_hex_digit(digits[i]), lo = ds_hex_digit(digits[i + 1]);
		if (hi < 0 || lo < 0) {
			error = "a character that is not a hexadecimal digit";
			return false;
		}
		bytes += (char)(hi << 4 | lo);
	}
	return true;
}

bool get_value(std::string_view digits, bool is_string, Value &v, std::string &error)
{
	std::string bytes;
	if (!decode_hex(digits, bytes, error))
		return false;
	if (is_string) {
		if (bytes.find('\0') != std::string::npos) {
			error = "a string holding a zero byte";
			return false;
		}
		v.set_string(bytes);
		return true;
	}
	if (bytes.size() > 8) {
		error = "a real longer than 8 bytes";
		return false;
	}
	uint64_t bits = 0;
	for (size_t i = 0; i < bytes.size(); i++)
		bits |= (uint64_t)(uint8_t)bytes[i] << (56 - 8 * i);
	double r;
	memcpy(&r, &bits, sizeof r);
	v.set_real(r);
	return true;
}

// One entry "flag:key:value".
bool get_entry(std::string_view entry, Value &key, Value &value, std::string &error)
{
	if (entry.size() < 3 || entry[0] < '0' || entry[0] > '3' || entry[1] != ':') {
		error = "an entry does not start with a flag digit 0 to 3 and \":\"";
		return false;
	}
	int flag = entry[0] - '0';
	std::string_view rest = entry.substr(2);
	size_t colon = rest.find(':');
	if (colon == std::string_view::npos || rest.find(':', colon + 1) != std::string_view::npos) {
		error = "an entry does not hold exactly a key and a value";
		return false;
	}
	return get_value(rest.substr(0, colon), flag & 1, key, error) &&
	       get_value(rest.substr(colon + 1), flag & 2, value, error);
}

} // namespace

std::string CDS_Map::write() const
{
	std::string out;
	need_order();
	for (const Node *n : m_order) {
		if (!n)
			continue;
		if (!out.empty())
			out += ',';
		out += HEX_DIGITS[(n->key_is_string ? 1 : 0) + (n->value.is_string() ? 2 : 0)];
		out += ':';
		put_value(out, n->key());
		out += ':';
		put_value(out, n->value);
	}
	return out;
}

bool CDS_Map::read(std::string_view text, std::string &error)
{
	CDS_Map map;
	size_t start = 0, number = 0;
	// One trailing "," ends the list as the end of the text does.
	while (start < text.size()) {
		size_t comma = text.find(',', start);
		std::string_view entry = text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
		Value key, value;
		std::string why;
		if (!get_entry(entry, key, value, why)) {
			error = "entry " + std::to_string(number) + " at character " + std::to_string(start) + " is malformed: " + why;
			return false;
		}
		// A key given twice keeps its first value, as a lookup would find it.
		map.add(key, value);
		number++;
		if (comma == std::string_view::npos)
			break;
		start = comma + 1;
	}
	swap(map);
	return true;
}
