// utf8_text.cpp: character stepping over game strings, bounded by the text.
#include "code/utf8_text.h"

size_t utf8_next(std::string_view text, size_t at)
{
	if (at >= text.size())
		return text.size();
	size_t step = utf8_lead_length((unsigned char)text[at]);
	size_t left = text.size() - at;
	return at + (step < left ? step : left);
}

size_t utf8_length(std::string_view text)
{
	size_t count = 0;
	for (size_t at = 0; at < text.size(); at = utf8_next(text, at))
		count++;
	return count;
}

size_t utf8_offset(std::string_view text, size_t index)
{
	size_t at = 0;
	while (index > 0 && at < text.size()) {
		at = utf8_next(text, at);
		index--;
	}
	return at;
}

size_t utf8_count_before(std::string_view text, size_t offset)
{
	size_t count = 0;
	for (size_t at = 0; at < offset && at < text.size(); at = utf8_next(text, at))
		count++;
	return count;
}

uint32_t utf8_decode_at(std::string_view text, size_t at)
{
	if (at >= text.size())
		return 0;
	size_t end = utf8_next(text, at);
	auto byte = [&](size_t i) -> uint32_t { return at + i < end ? (unsigned char)text[at + i] & 0x3F : 0; };
	unsigned char lead = (unsigned char)text[at];
	switch (utf8_lead_length(lead)) {
	case 1:
		return lead;
	case 2:
		return ((lead & 0x1Fu) << 6) | byte(1);
	default:
		return ((lead & 0x0Fu) << 12) | (byte(1) << 6) | byte(2);
	}
}

std::string utf8_encode(uint32_t code)
{
	code &= 0xFFFF;
	std::string out;
	if (code == 0)
		return out;
	if (code < 0x80) {
		out += (char)code;
	} else if (code < 0x800) {
		out += (char)(0xC0 | (code >> 6));
		out += (char)(0x80 | (code & 0x3F));
	} else {
		out += (char)(0xE0 | (code >> 12));
		out += (char)(0x80 | ((code >> 6) & 0x3F));
		out += (char)(0x80 | (code & 0x3F));
	}
	return out;
}

std::string utf8_to_utf16le(std::string_view text)
{
	std::string out;
	out.reserve(text.size() * 2);
	for (size_t at = 0; at < text.size(); at = utf8_next(text, at)) {
		uint32_t code = utf8_decode_at(text, at);
		out += (char)(code & 0xFF);
		out += (char)(code >> 8);
	}
	return out;
}
