// string_ops.cpp: the string operations of game code. Characters are stepped
// with utf8_text, which never reads past the text, so malformed sequences keep
// their bytes and cannot make an operation run over.
#include "code/string_ops.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "code/utf8_text.h"

namespace {

// A 1-based character position as a 0-based character index, below 1 as 0.
size_t char_index(int64_t pos) { return pos < 1 ? 0 : (size_t)(pos - 1); }

} // namespace

std::string text_char_at(std::string_view s, int64_t pos)
{
	size_t at = utf8_offset(s, char_index(pos));
	return std::string(s.substr(at, utf8_next(s, at) - at));
}

std::string text_byte_at(std::string_view s, int64_t pos)
{
	size_t at = char_index(pos);
	if (at >= s.size())
		return std::string();
	return std::string(1, s[at]);
}

std::string text_copy(std::string_view s, int64_t pos, int64_t count)
{
	if (count < 0)
		return std::string();
	size_t start = utf8_offset(s, char_index(pos));
	size_t end = start;
	for (int64_t i = 0; i < count && end < s.size(); i++)
		end = utf8_next(s, end);
	return std::string(s.substr(start, end - start));
}

std::string text_delete(std::string_view s, int64_t pos, int64_t count)
{
	size_t start = utf8_offset(s, char_index(pos));
	size_t end = start;
	for (int64_t i = 0; i < count && end < s.size(); i++)
		end = utf8_next(s, end);
	std::string out(s.substr(0, start));
	out += s.substr(end);
	return out;
}

std::string text_insert(std::string_view sub, std::string_view s, int64_t pos)
{
	size_t at = utf8_offset(s, char_index(pos));
	std::string out(s.substr(0, at));
	out += sub;
	out += s.substr(at);
	return out;
}

int64_t text_pos(std::string_view sub, std::string_view s)
{
	if (sub.empty() || s.empty())
		return 0;
	size_t at = s.find(sub);
	if (at == std::string_view::npos)
		return 0;
	// The position of the character holding the match's first byte (a sub that
	// starts with a continuation byte can match inside a character).
	return (int64_t)utf8_count_before(s, at + 1);
}

int64_t text_count(std::string_view sub, std::string_view s)
{
	if (sub.empty())
		return 0;
	int64_t count = 0;
	for (size_t at = s.find(sub); at != std::string_view::npos; at = s.find(sub, at + 1))
		count++;
	return count;
}

std::string text_replace(std::string_view s, std::string_view sub, std::string_view with, bool all)
{
	if (sub.empty())
		return std::string(s);
	std::string out;
	size_t from = 0;
	for (size_t at = s.find(sub); at != std::string_view::npos; at = s.find(sub, from)) {
		out += s.substr(from, at - from);
		out += with;
		from = at + sub.size();
		if (!all)
			break;
	}
	out += s.substr(from);
	return out;
}

std::string text_lower(std::string_view s)
{
	std::string out(s);
	for (char &c : out)
		if (c >= 'A' && c <= 'Z')
			c = (char)(c - 'A' + 'a');
	return out;
}

std::string text_upper(std::string_view s)
{
	std::string out(s);
	for (char &c : out)
		if (c >= 'a' && c <= 'z')
			c = (char)(c - 'a' + 'A');
	return out;
}

std::string text_keep(std::string_view s, bool letters, bool digits)
{
	std::string out;
	for (char c : s) {
		bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
		bool digit = c >= '0' && c <= '9';
		if ((letters && letter) || (digits && digit))
			out += c;
	}
	return out;
}

std::string text_format_real(double x, int64_t total, int64_t decimals)
{
	int width = (int)std::clamp<int64_t>(total, 0, 1000);
	int places = (int)std::clamp<int64_t>(decimals, 0, 1000);
	int size = std::snprintf(nullptr, 0, "%*.*f", width, places, x);
	if (size < 0)
		return std::string();
	std::string out((size_t)size + 1, '\0');
	std::snprintf(out.data(), out.size(), "%*.*f", width, places, x);
	out.resize((size_t)size);
	return out;
}
