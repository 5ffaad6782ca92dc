// value.cpp: value storage and the conversions between reals and text.
#include "code/value.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <malloc.h>

void Value::set_string(std::string_view text)
{
	size_t nul = text.find('\0');
	if (nul != std::string_view::npos)
		text = text.substr(0, nul);
	size_t need = text.size() + 1;
	if (!(m_text && malloc_usable_size(m_text) >= need)) {
		char *block = (char *)malloc(need);
		if (!block)
			abort();
		// The source may live inside the old block.
		memcpy(block, text.data(), text.size());
		block[text.size()] = 0;
		free_text();
		m_text = block;
	} else {
		memmove(m_text, text.data(), text.size());
		m_text[text.size()] = 0;
	}
	m_kind = VALUE_STRING;
	m_real = 0.0;
}

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest prefix of s (from i) that forms a decimal number.
size_t decimal_prefix(std::string_view s, size_t i)
{
	size_t start = i;
	if (i < s.size() && (s[i] == '+' || s[i] == '-'))
		i++;
	size_t digits = 0;
	while (i < s.size() && is_digit(s[i]))
		i++, digits++;
	if (i < s.size() && s[i] == '.') {
		size_t j = i + 1, frac = 0;
		while (j < s.size() && is_digit(s[j]))
			j++, frac++;
		if (digits + frac > 0) {
			i = j;
			digits += frac;
		}
	}
	if (digits == 0)
		return 0;
	if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
		size_t j = i + 1;
		if (j < s.size() && (s[j] == '+' || s[j] == '-'))
			j++;
		size_t exp = 0;
		while (j < s.size() && is_digit(s[j]))
			j++, exp++;
		if (exp > 0)
			i = j;
	}
	return i - start;
}

bool is_white(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

} // namespace

double text_decimal_reading(std::string_view text)
{
	size_t i = 0;
	while (i < text.size() && is_white(text[i]))
		i++;
	size_t n = decimal_prefix(text, i);
	if (n == 0)
		return 0.0;
	// The C locale's decimal point, whatever locale the game has switched to.
	static locale_t c_locale = newlocale(LC_ALL_MASK, "C", (locale_t)0);
	std::string number(text.substr(i, n));
	return strtod_l(number.c_str(), nullptr, c_locale);
}

int32_t text_integer_reading(std::string_view text)
{
	size_t i = 0;
	while (i < text.size() && is_white(text[i]))
		i++;
	bool negative = false;
	if (i < text.size() && (text[i] == '+' || text[i] == '-'))
		negative = text[i++] == '-';
	int64_t v = 0;
	bool any = false;
	while (i < text.size() && is_digit(text[i])) {
		any = true;
		v = v * 10 + (text[i++] - '0');
		if (v > 2147483648LL)
			v = 2147483648LL;
	}
	if (!any)
		return 0;
	if (negative)
		return (int32_t)-v;
	return v > INT32_MAX ? INT32_MAX : (int32_t)v;
}

int32_t truncate_to_int32(double x)
{
	return (x > -2147483649.0 && x < 2147483648.0) ? (int32_t)x : INT32_MIN;
}

int64_t truncate_to_int64(double x)
{
	return (x >= -9223372036854775808.0 && x < 9223372036854775808.0) ? (int64_t)x : INT64_MIN;
}

int32_t nearest_int32(double x)
{
	return truncate_to_int32(std::nearbyint(x));
}

int64_t round_to_int(double x)
{
	return truncate_to_int64(std::nearbyint(x));
}

namespace {

// An integer, or a real with exactly two decimals, as printf's "%d" and "%.2f"
// write them in the C locale.
std::string integer_or_fixed(double real, int32_t nearest, int decimals)
{
	char buffer[512];
	std::to_chars_result r;
	if ((double)nearest == real)
		r = std::to_chars(buffer, buffer + sizeof buffer, nearest);
	else if (decimals < 0)
		r = std::to_chars(buffer, buffer + sizeof buffer, real, std::chars_format::fixed, 6);
	else
		r = std::to_chars(buffer, buffer + sizeof buffer, real, std::chars_format::fixed, decimals);
	if (r.ec != std::errc())
		return std::string();
	return std::string(buffer, r.ptr);
}

} // namespace

std::string real_to_text(double real)
{
	// The nearest integer through the processor's 32-bit conversion, which gives
	// INT32_MIN for anything outside the range.
	return integer_or_fixed(real, nearest_int32(real), 2);
}

std::string value_debug_text(const Value &v)
{
	if (v.is_string())
		return "\"" + std::string(v.text()) + "\"";
	return integer_or_fixed(v.real(), nearest_int32(v.real()), -1);
}

std::string value_to_text(const Value &v)
{
	if (v.is_string())
		return std::string(v.text());
	return real_to_text(v.real());
}

double value_to_real(const Value &v)
{
	if (!v.is_string())
		return v.real();
	std::string_view t = v.text();
	while (!t.empty() && (signed char)t.front() < 33)
		t.remove_prefix(1);
	while (!t.empty() && (signed char)t.back() < 33)
		t.remove_suffix(1);
	if (t.empty())
		return 0.0;
	return text_decimal_reading(t);
}
