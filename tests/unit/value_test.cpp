// value_test.cpp: the text of reals, the reading of numbers from text, the
// print form of diagnostics, and the built-ins real, string, is_real,
// is_string, chr and ord.
#include <gtest/gtest.h>

#include <cmath>

#include "builtin_call.h"
#include "code/value.h"

TEST(Value, TextOfReals)
{
	const struct
	{
		double real;
		const char *text;
	} cases[] = {
		{3, "3"}, {-3, "-3"}, {2.5, "2.50"}, {0.5, "0.50"}, {1.0 / 3, "0.33"}, {-0.0, "0"},
		{100000.004, "100000.00"}, {1e10, "10000000000.00"}, {2147483647, "2147483647"},
		{-2147483648.0, "-2147483648"}, {2147483648.0, "2147483648.00"}, {0.005, "0.01"}, {-1.005, "-1.00"},
		{1e-7, "0.00"},
	};
	for (const auto &c : cases)
		EXPECT_EQ(real_to_text(c.real), c.text) << c.real;
}

TEST(Value, RealOfText)
{
	const struct
	{
		const char *text;
		double real;
	} cases[] = {
		{"  12abc ", 12}, {"", 0}, {"abc", 0}, {"-3.5", -3.5}, {"+4", 4}, {".5", 0.5}, {"5.", 5},
		{"1e3", 1000}, {"1e", 1}, {"1.5E-1x", 0.15}, {"\t\n7", 7}, {"- 3", 0}, {"0x10", 0},
		{"\xc2\xa0" "42\xc2\xa0", 42}, {"inf", 0}, {"nan", 0},
	};
	for (const auto &c : cases)
		EXPECT_EQ(value_to_real(Value(c.text)), c.real) << c.text;
	EXPECT_EQ(value_to_real(Value(2.5)), 2.5);
}

TEST(Value, IntegerReadingSaturates)
{
	EXPECT_EQ(text_integer_reading("  -12.9"), -12);
	EXPECT_EQ(text_integer_reading("99999999999"), 2147483647);
	EXPECT_EQ(text_integer_reading("-99999999999"), -2147483647 - 1);
	EXPECT_EQ(text_integer_reading("x1"), 0);
}

TEST(Value, RoundingTiesToEven)
{
	const double in[] = {0.5, 1.5, 2.5, -0.5, -1.5, -2.5, 2.4999, 1e300, NAN};
	const int64_t out[] = {0, 2, 2, 0, -2, -2, 2, INT64_MIN, INT64_MIN};
	for (size_t i = 0; i < std::size(in); i++)
		EXPECT_EQ(round_to_int(in[i]), out[i]) << in[i];
	EXPECT_EQ(nearest_int32(3e9), INT32_MIN);
	EXPECT_EQ(truncate_to_int32(-2.9), -2);
}

TEST(Value, DebugPrintForm)
{
	EXPECT_EQ(value_debug_text(Value("a b")), "\"a b\"");
	EXPECT_EQ(value_debug_text(Value(7)), "7");
	EXPECT_EQ(value_debug_text(Value(0.25)), "0.250000");
}

TEST(Value, BuiltinConversions)
{
	EXPECT_EQ(call_builtin("string", {Value(0.5)}).text(), "0.50");
	EXPECT_EQ(call_builtin("string", {S("x")}).text(), "x");
	EXPECT_EQ(call_builtin("real", {S("  12abc ")}).real(), 12);
	EXPECT_EQ(call_builtin("real", {Value(-4)}).real(), -4);
	EXPECT_EQ(call_builtin("is_real", {Value(1)}).real(), 1);
	EXPECT_EQ(call_builtin("is_real", {S("1")}).real(), 0);
	EXPECT_EQ(call_builtin("is_string", {S("")}).real(), 1);
	EXPECT_EQ(call_builtin("is_string", {Value(0)}).real(), 0);
	EXPECT_EQ(call_builtin("is_string", {Value::malformed(9)}).real(), 0);
	EXPECT_EQ(call_builtin("is_real", {Value::malformed(9)}).real(), 0);
}

TEST(Value, CharactersAndCodes)
{
	EXPECT_EQ(call_builtin("chr", {Value(65)}).text(), "A");
	EXPECT_EQ(call_builtin("chr", {Value(233)}).text(), "\xc3\xa9");
	EXPECT_EQ(call_builtin("chr", {Value(8364)}).text(), "\xe2\x82\xac");
	EXPECT_EQ(call_builtin("chr", {Value(65.5)}).text(), "B"); // ties to even
	EXPECT_EQ(call_builtin("chr", {Value(66.5)}).text(), "B");
	EXPECT_EQ(call_builtin("chr", {Value(67.5)}).text(), "D");
	EXPECT_EQ(call_builtin("chr", {Value(0x10041)}).text(), "A"); // 16-bit codes
	EXPECT_EQ(call_builtin("chr", {Value(0)}).text(), "");
	EXPECT_EQ(call_builtin("ord", {S("\xe2\x82\xac")}).real(), 226);
	EXPECT_EQ(call_builtin("ord", {S("Abc")}).real(), 65);
	EXPECT_EQ(call_builtin("ord", {S("")}).real(), 0);
	EXPECT_EQ(call_builtin("ord", {Value(65)}).real(), 0);
}
