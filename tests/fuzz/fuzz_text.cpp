// fuzz_text.cpp: the string operations and base64 decoding over any bytes, with
// positions and counts taken from the input. Malformed UTF-8 and any position
// must stay inside the text, and every result must hold only bytes of its inputs.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "code/string_ops.h"
#include "code/utf8_text.h"
#include "common/digest.h"

namespace {

int64_t take_number(const uint8_t *&data, size_t &size)
{
	int16_t v = 0;
	if (size >= 2) {
		memcpy(&v, data, 2);
		data += 2;
		size -= 2;
	}
	return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	int64_t pos = take_number(data, size);
	int64_t count = take_number(data, size);
	// The rest is split in two texts at its first NUL, as game strings end there.
	std::string whole((const char *)data, size);
	size_t nul = whole.find('\0');
	std::string s = whole.substr(0, nul);
	std::string sub = nul == std::string::npos ? std::string() : whole.substr(nul + 1, 8);
	sub = sub.substr(0, sub.find('\0'));

	size_t length = utf8_length(s);
	if (utf8_offset(s, length) != s.size())
		__builtin_trap();
	if (text_copy(s, pos, count).size() > s.size() || text_char_at(s, pos).size() > 3)
		__builtin_trap();
	if (text_delete(s, pos, count).size() > s.size())
		__builtin_trap();
	if (text_insert(sub, s, pos).size() != s.size() + sub.size())
		__builtin_trap();
	int64_t at = text_pos(sub, s);
	if (at < 0 || (size_t)at > length)
		__builtin_trap();
	text_count(sub, s);
	text_replace(s, sub, "xy", true);
	text_byte_at(s, pos);
	utf8_to_utf16le(s);
	std::string decoded;
	if (base64_decode(s, decoded) && base64_encode(decoded).size() < decoded.size())
		__builtin_trap();
	return 0;
}
