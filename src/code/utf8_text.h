// utf8_text.h: character stepping over game strings. Characters are 1 to 3 bytes,
// told by the lead byte alone; a sequence cut short by the end of the text ends
// there, so no step ever reads past the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The length a lead byte promises: 1 below 0x80, 3 when bit 0x20 is set, else 2.
inline size_t utf8_lead_length(unsigned char lead)
{
	if (lead < 0x80)
		return 1;
	return (lead & 0x20) ? 3 : 2;
}

// The byte offset of the character after the one at `at`, at most text.size().
size_t utf8_next(std::string_view text, size_t at);

// The number of characters.
size_t utf8_length(std::string_view text);

// The byte offset where character `index` (0-based) starts; text.size() when the
// text has no more than `index` characters.
size_t utf8_offset(std::string_view text, size_t index);

// The number of characters in the bytes before `offset`.
size_t utf8_count_before(std::string_view text, size_t offset);

// The code point of the character at `at`; missing bytes of a cut sequence read
// as zero bits.
uint32_t utf8_decode_at(std::string_view text, size_t at);

// The 1 to 3 byte encoding of a code point (reduced to 16 bits); 0 gives nothing.
std::string utf8_encode(uint32_t code);

// The text as UTF-16 little-endian code units, one per character.
std::string utf8_to_utf16le(std::string_view text);
