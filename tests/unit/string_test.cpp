// string_test.cpp: the string built-ins: character and byte positions, clamping
// of positions and counts, multi-byte characters, malformed UTF-8 and searches.
#include <cmath>
#include <string>
#include <vector>

#include "builtin_call.h"
#include "code/errors.h"
#include "code/utf8_text.h"

namespace {

const char *EURO = "\xE2\x82\xAC"; // one three-byte character
const char *E_ACUTE = "\xC3\xA9";  // one two-byte character

std::string cat(std::initializer_list<std::string> parts)
{
	std::string out;
	for (const std::string &p : parts)
		out += p;
	return out;
}

struct TextCase
{
	const char *name;
	std::vector<Value> args;
	std::string expected;
};

void check_text(const std::vector<TextCase> &cases)
{
	for (const TextCase &c : cases) {
		register_builtin_families();
		const BuiltinEntry *entry = function_entry(builtin_function_id(c.name));
		ASSERT_NE(entry, nullptr) << c.name;
		Value result;
		entry->routine(result, nullptr, nullptr, (int)c.args.size(), c.args.data());
		std::string args;
		for (const Value &a : c.args)
			args += (a.is_string() ? "\"" + std::string(a.text()) + "\"" : std::to_string(a.real())) + " ";
		EXPECT_TRUE(result.is_string()) << c.name << " " << args;
		EXPECT_EQ(result.text(), c.expected) << c.name << " " << args;
	}
}

Value V(const std::string &s) { return Value(std::string_view(s)); }

} // namespace

TEST(String, LengthsCountCharactersAndBytes)
{
	std::string mixed = cat({ "a", EURO, E_ACUTE, "b" });
	EXPECT_EQ(call_builtin("string_length", { V(mixed) }).real(), 4);
	EXPECT_EQ(call_builtin("string_byte_length", { V(mixed) }).real(), 7);
	EXPECT_EQ(call_builtin("string_length", { V(EURO) }).real(), 1);
	EXPECT_EQ(call_builtin("string_byte_length", { V(EURO) }).real(), 3);
	EXPECT_EQ(call_builtin("string_length", { S("") }).real(), 0);
	// A real has no text: 0, not its printed form.
	EXPECT_EQ(call_builtin("string_length", { 12345 }).real(), 0);
}

TEST(String, CharAndByteAt)
{
	std::string s = cat({ "a", EURO, "b" });
	check_text({
		{ "string_char_at", { V(s), 1 }, "a" }, { "string_char_at", { V(s), 2 }, EURO },
		{ "string_char_at", { V(s), 3 }, "b" }, { "string_char_at", { V(s), 4 }, "" },
		{ "string_char_at", { V(s), 1000000 }, "" }, { "string_char_at", { V(s), 0 }, "a" },
		{ "string_char_at", { V(s), -5 }, "a" }, { "string_char_at", { S(""), 1 }, "" },
		{ "string_char_at", { V(s), 2.5 }, EURO }, { "string_char_at", { V(s), 1.5 }, EURO },
		{ "string_char_at", { V(s), 1e300 }, "" }, { "string_char_at", { V(s), NAN }, "a" },
		{ "string_byte_at", { V(s), 2 }, "\xE2" }, { "string_byte_at", { V(s), 5 }, "b" },
		{ "string_byte_at", { V(s), 0 }, "a" }, { "string_byte_at", { V(s), 6 }, "" },
		{ "string_byte_at", { S(""), 1 }, "" },
	});
}

TEST(String, CopyClampsToTheText)
{
	std::string s = cat({ "x", EURO, "z" });
	check_text({
		{ "string_copy", { S("abc"), 2, 3 }, "bc" }, { "string_copy", { S("abc"), 1, 3 }, "abc" },
		// A count past the end is cut at the end, from any position.
		{ "string_copy", { S("abc"), 1, 4 }, "abc" }, { "string_copy", { S("abc"), 1, 1e9 }, "abc" },
		{ "string_copy", { S("abc"), 0, 2 }, "ab" }, { "string_copy", { S("abc"), -3, 1 }, "a" },
		{ "string_copy", { S("abc"), 4, 1 }, "" }, { "string_copy", { S("abc"), 2, 0 }, "" },
		{ "string_copy", { S("abc"), 2, -1 }, "" }, { "string_copy", { S(""), 1, 5 }, "" },
		{ "string_copy", { V(s), 2, 1 }, EURO }, { "string_copy", { V(s), 2, 2 }, cat({ EURO, "z" }) },
	});
}

TEST(String, DeleteAndInsertWorkOnCharacters)
{
	std::string s = cat({ "a", EURO, E_ACUTE, "b" });
	check_text({
		{ "string_delete", { S("abcdef"), 2, 3 }, "aef" }, { "string_delete", { S("abcdef"), 5, 10 }, "abcd" },
		{ "string_delete", { S("abcdef"), 1, 1e12 }, "" }, { "string_delete", { S("abc"), 4, 1 }, "abc" },
		{ "string_delete", { S("abc"), 2, 0 }, "abc" }, { "string_delete", { S("abc"), 2, -2 }, "abc" },
		{ "string_delete", { S("abc"), 0, 1 }, "bc" }, { "string_delete", { S(""), 1, 1 }, "" },
		{ "string_delete", { V(s), 2, 2 }, "ab" }, { "string_delete", { V(s), 3, 1 }, cat({ "a", EURO, "b" }) },
		{ "string_insert", { S("XY"), S("abc"), 2 }, "aXYbc" }, { "string_insert", { S("XY"), S("abc"), 1 }, "XYabc" },
		{ "string_insert", { S("XY"), S("abc"), 4 }, "abcXY" }, { "string_insert", { S("XY"), S("abc"), 99 }, "abcXY" },
		{ "string_insert", { S("XY"), S("abc"), -1 }, "XYabc" }, { "string_insert", { S("XY"), S(""), 1 }, "XY" },
		{ "string_insert", { V(EURO), V(s), 3 }, cat({ "a", EURO, EURO, E_ACUTE, "b" }) },
	});
}

// string_pos gives a character position, so that it can be handed to the other
// character functions.
TEST(String, PosAndCount)
{
	std::string s = cat({ EURO, "b" });
	struct Case
	{
		const char *name;
		std::string sub, s;
		double expected;
	} cases[] = {
		{ "string_pos", "b", s, 2 }, { "string_pos", "c", "abcabc", 3 }, { "string_pos", "x", "abc", 0 },
		{ "string_pos", "", "abc", 0 }, { "string_pos", "a", "", 0 }, { "string_pos", "abcd", "abc", 0 },
		{ "string_pos", E_ACUTE, cat({ "a", EURO, E_ACUTE }), 3 }, { "string_pos", "\x82", cat({ "a", EURO }), 2 },
		{ "string_count", "aa", "aaa", 2 }, { "string_count", "ab", "ababab", 3 }, { "string_count", "x", "abc", 0 },
		{ "string_count", "", "abc", 0 }, { "string_count", "a", "", 0 }, { "string_count", EURO, cat({ EURO, "-", EURO }), 2 },
	};
	for (const auto &c : cases)
		EXPECT_EQ(call_builtin(c.name, { V(c.sub), V(c.s) }).real(), c.expected) << c.name << " " << c.sub << " in " << c.s;
	Value pos = call_builtin("string_pos", { S("b"), V(s) });
	EXPECT_EQ(call_builtin("string_char_at", { V(s), pos }).text(), "b");
}

TEST(String, ReplaceRepeatCaseAndFilters)
{
	check_text({
		{ "string_replace", { S("a-b-c"), S("-"), S("+") }, "a+b-c" },
		{ "string_replace_all", { S("a-b-c"), S("-"), S("+") }, "a+b+c" },
		{ "string_replace_all", { S("aaa"), S("aa"), S("b") }, "ba" },
		{ "string_replace_all", { S("abab"), S("ab"), S("abab") }, "abababab" },
		{ "string_replace_all", { S("abc"), S(""), S("x") }, "abc" },
		{ "string_replace", { S("abc"), S("z"), S("x") }, "abc" },
		{ "string_replace_all", { S("abc"), S("b"), S("") }, "ac" },
		{ "string_repeat", { S("ab"), 3 }, "ababab" }, { "string_repeat", { S("ab"), 0 }, "" },
		{ "string_repeat", { S("ab"), -2 }, "" }, { "string_repeat", { S(""), 1e9 }, "" },
		{ "string_lower", { V(cat({ "AbC", E_ACUTE, "\xC3\x89" })) }, cat({ "abc", E_ACUTE, "\xC3\x89" }) },
		{ "string_upper", { S("aBc1-z") }, "ABC1-Z" },
		{ "string_letters", { V(cat({ "a1", EURO, "Z_9" })) }, "aZ" },
		{ "string_digits", { V(cat({ "a1", EURO, "Z_9" })) }, "19" },
		{ "string_lettersdigits", { V(cat({ "a1", EURO, "Z_9 " })) }, "a1Z9" },
		{ "ansi_char", { 65 }, "A" }, { "ansi_char", { 65.5 }, "B" }, { "ansi_char", { 0 }, "" },
		{ "ansi_char", { 200 }, "\xC8" }, { "ansi_char", { 321 }, "A" },
		{ "string_format", { 3.14159, 8, 2 }, "    3.14" }, { "string_format", { -2, 0, 3 }, "-2.000" },
		{ "string_format", { 12345.5, 2, 0 }, "12346" }, { "string_format", { 1.5, -4, -1 }, "2" },
	});
	clear_error_state();
	EXPECT_EQ(call_builtin("string_repeat", { S("ab"), 2e9 }).text(), "");
	EXPECT_NE(error_last().find("string_repeat"), std::string::npos);
}

// A lead byte promising more bytes than remain ends the character at the end of
// the text; the bytes are kept as they are.
TEST(String, MalformedUtf8StaysInsideTheText)
{
	const std::string cut3 = "ab\xE2\x82";
	const std::string cut2 = "\xC3";
	const std::string stray = "\x80\x80z";
	EXPECT_EQ(utf8_length(cut3), 3u);
	EXPECT_EQ(utf8_length(cut2), 1u);
	EXPECT_EQ(utf8_length(stray), 2u);
	EXPECT_EQ(utf8_decode_at(cut3, 2), 0x2080u);
	check_text({
		{ "string_char_at", { V(cut3), 3 }, "\xE2\x82" }, { "string_char_at", { V(cut3), 4 }, "" },
		{ "string_copy", { V(cut3), 2, 5 }, "b\xE2\x82" }, { "string_delete", { V(cut3), 3, 1 }, "ab" },
		{ "string_insert", { S("X"), V(cut2), 2 }, "\xC3X" }, { "string_char_at", { V(stray), 2 }, "z" },
	});
	// Each call is given a buffer holding exactly the text, so a read past it
	// would be caught by the address sanitizer.
	for (const std::string &s : { cut3, cut2, stray }) {
		std::string_view exact(s);
		for (size_t i = 0; i <= s.size(); i++)
			EXPECT_LE(utf8_next(exact, i), s.size());
		EXPECT_EQ(utf8_to_utf16le(exact).size(), utf8_length(exact) * 2);
	}
}

TEST(String, EncodeAndDecodeCharacters)
{
	EXPECT_EQ(utf8_encode(8364), EURO);
	EXPECT_EQ(utf8_encode(233), E_ACUTE);
	EXPECT_EQ(utf8_encode(65), "A");
	EXPECT_EQ(utf8_encode(0), "");
	EXPECT_EQ(utf8_decode_at(EURO, 0), 8364u);
	EXPECT_EQ(utf8_decode_at(E_ACUTE, 0), 233u);
	for (uint32_t code : { 1u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu })
		EXPECT_EQ(utf8_decode_at(utf8_encode(code), 0), code) << code;
	EXPECT_EQ(utf8_to_utf16le(cat({ "A", EURO })), std::string("A\0\xAC\x20", 4));
}
