// slot_test.cpp: stack slots: conversions between every pair of types, the
// operators with their accepted combinations and errors, the comparisons.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "code/slot.h"

namespace {

// A slot as text: "d:0.5", "f:1", "i:3", "l:3", "b:1", "s:abc", "v:3", "v:\"abc\"".
std::string show(const Slot &s)
{
	char buffer[64];
	switch (s.type) {
	case SLOT_DOUBLE:
		snprintf(buffer, sizeof buffer, "d:%.17g", s.d);
		return buffer;
	case SLOT_FLOAT:
		snprintf(buffer, sizeof buffer, "f:%.9g", s.f);
		return buffer;
	case SLOT_INT:
		return "i:" + std::to_string(s.i);
	case SLOT_LONG:
		return "l:" + std::to_string(s.l);
	case SLOT_BOOL:
		return std::string("b:") + (s.b ? "1" : "0");
	case SLOT_STRING:
		return "s:" + std::string(slot_text(s));
	case SLOT_VALUE:
		if (s.kind == VALUE_STRING)
			return "v:\"" + std::string(slot_text(s)) + "\"";
		snprintf(buffer, sizeof buffer, "v:%.17g", s.d);
		return buffer;
	}
	return "?";
}

Slot vreal(double x)
{
	Value v(x);
	return slot_value_take(v);
}

Slot vstr(const char *t)
{
	Value v(t);
	return slot_value_take(v);
}

Slot str(const char *t) { return slot_string(t); }

struct ConvCase
{
	Slot from;
	unsigned to;
	const char *expected;
	const char *error;
};

TEST(Slot, TypeCodesAndSuffixes)
{
	const char *suffix[] = {".d", ".f", ".i", ".l", ".b", ".v", ".s"};
	const unsigned stack[] = {8, 4, 4, 8, 4, 16, 4};
	const unsigned operand[] = {8, 4, 4, 8, 4, 4, 4};
	for (unsigned c = 0; c < 7; c++) {
		EXPECT_STREQ(slot_type_suffix(c), suffix[c]);
		EXPECT_EQ(slot_stack_size(c), stack[c]);
		EXPECT_EQ(slot_operand_size(c), operand[c]);
	}
	EXPECT_STREQ(slot_type_suffix(15), ".e");
	EXPECT_EQ(slot_operand_size(15), 0u);
	EXPECT_STREQ(slot_type_suffix(9), "");
	EXPECT_STREQ(slot_type_suffix(200), "");
}

TEST(Slot, ConversionTable)
{
	const ConvCase cases[] = {
		{slot_double(-2.7), SLOT_FLOAT, "f:-2.70000005", nullptr},
		{slot_double(-2.7), SLOT_INT, "i:-2", nullptr},
		{slot_double(3e9), SLOT_INT, "i:-2147483648", nullptr},
		{slot_double(-2.7), SLOT_LONG, "l:-2", nullptr},
		{slot_double(0.5), SLOT_BOOL, "b:0", nullptr},
		{slot_double(0.51), SLOT_BOOL, "b:1", nullptr},
		{slot_double(-0.7), SLOT_BOOL, "b:0", nullptr},
		{slot_double(2.5), SLOT_VALUE, "v:2.5", nullptr},
		{slot_double(1.0 / 3), SLOT_STRING, "s:0.333333", nullptr},
		{slot_double(1e10), SLOT_STRING, "s:1e+10", nullptr},
		{slot_double(100), SLOT_STRING, "s:100", nullptr},
		{slot_float(1.5f), SLOT_DOUBLE, "d:1.5", nullptr},
		{slot_float(0.75f), SLOT_BOOL, "b:1", nullptr},
		{slot_float(-1.5f), SLOT_INT, "i:-1", nullptr},
		{slot_float(0.25f), SLOT_STRING, "s:0.25", nullptr},
		{slot_int(-7), SLOT_DOUBLE, "d:-7", nullptr},
		{slot_int(-7), SLOT_LONG, "l:-7", nullptr},
		{slot_int(-7), SLOT_BOOL, "b:1", nullptr},
		{slot_int(0), SLOT_BOOL, "b:0", nullptr},
		{slot_int(-7), SLOT_STRING, "s:-7", nullptr},
		{slot_int(16777217), SLOT_FLOAT, "f:16777216", nullptr},
		{slot_long(0x100000005LL), SLOT_INT, "i:5", nullptr},
		{slot_long(-9000000000LL), SLOT_STRING, "s:-9000000000", nullptr},
		{slot_long(4), SLOT_VALUE, "v:4", nullptr},
		{slot_bool(true), SLOT_DOUBLE, "d:1", nullptr},
		{slot_bool(true), SLOT_INT, "i:1", nullptr},
		{slot_bool(false), SLOT_STRING, "s:false", nullptr},
		{slot_bool(true), SLOT_STRING, "s:true", nullptr},
		{slot_bool(true), SLOT_VALUE, "v:1", nullptr},
		{vreal(-0.7), SLOT_BOOL, "b:1", nullptr},
		{vreal(0.5), SLOT_BOOL, "b:0", nullptr},
		{vreal(-3.9), SLOT_INT, "i:-3", nullptr},
		{vreal(2.25), SLOT_DOUBLE, "d:2.25", nullptr},
		{vreal(2.25), SLOT_STRING, "s:2.25", nullptr},
		{vstr("  12.5e1xyz"), SLOT_DOUBLE, "d:125", nullptr},
		{vstr("abc"), SLOT_DOUBLE, "d:0", nullptr},
		{vstr("-99999999999"), SLOT_INT, "i:-2147483648", nullptr},
		{vstr("99999999999"), SLOT_LONG, "l:2147483647", nullptr},
		{vstr("-12.9"), SLOT_LONG, "l:-12", nullptr},
		{vstr("true"), SLOT_BOOL, "b:1", nullptr},
		{vstr("True"), SLOT_BOOL, "b:0", nullptr},
		{vstr("hello"), SLOT_STRING, "s:hello", nullptr},
		{str("7.5"), SLOT_FLOAT, "f:7.5", nullptr},
		{str("42"), SLOT_INT, "i:42", nullptr},
		{str("x"), SLOT_VALUE, "v:\"x\"", nullptr},
		{str("true "), SLOT_BOOL, "b:0", nullptr},
		// Pairs the table does not list.
		{slot_double(1), SLOT_DOUBLE, "d:0", "DoConv :: Execution Error"},
		{vreal(1), SLOT_VALUE, "d:0", "DoConv :: Execution Error"},
		{str("a"), SLOT_STRING, "d:0", "DoConv :: Execution Error"},
		{slot_int(3), SLOT_IMM16, "d:0", "DoConv :: Execution Error"},
		{str("a"), 9, "d:0", "DoConv :: Execution Error"},
	};
	for (const ConvCase &c : cases) {
		Slot s = c.from;
		std::string before = show(s);
		SlotError error = slot_conv(s, c.to);
		EXPECT_EQ(show(s), c.expected) << before << " to " << c.to;
		if (c.error)
			EXPECT_STREQ(error, c.error) << before << " to " << c.to;
		else
			EXPECT_EQ(error, nullptr) << before << " to " << c.to << ": " << error;
		slot_free(s);
	}
}

TEST(Slot, ImmediateSlotIsNotConvertible)
{
	Slot s = slot_int(1);
	s.type = SLOT_IMM16;
	EXPECT_STREQ(slot_conv(s, SLOT_INT), "DoConv :: Execution Error");
}

enum Op
{
	ADD, SUB, MUL, DIV, REM, MOD, AND, OR, XOR, SHL, SHR,
};

SlotError apply(Op op, Slot &l, Slot &r)
{
	switch (op) {
	case ADD: return slot_add(l, r);
	case SUB: return slot_sub(l, r);
	case MUL: return slot_mul(l, r);
	case DIV: return slot_div(l, r);
	case REM: return slot_rem(l, r);
	case MOD: return slot_mod(l, r);
	case AND: return slot_and(l, r);
	case OR: return slot_or(l, r);
	case XOR: return slot_xor(l, r);
	case SHL: return slot_shl(l, r);
	case SHR: return slot_shr(l, r);
	}
	return nullptr;
}

struct OpCase
{
	Op op;
	Slot left, right;
	const char *expected;
	const char *error;
};

TEST(Slot, OperatorTable)
{
	const char *cannot_sub = "DoSub :: Execution Engine - Cannot operate on string type";
	const OpCase cases[] = {
		{ADD, slot_double(0.1), slot_double(0.2), "d:0.30000000000000004", nullptr},
		{ADD, slot_int(2), slot_double(0.5), "d:2.5", nullptr},
		{ADD, slot_double(0.5), slot_int(2), "d:2.5", nullptr},
		{ADD, slot_int(2147483647), slot_int(1), "i:-2147483648", nullptr},
		{ADD, str("abc"), str("def"), "s:abcdef", nullptr},
		{ADD, vstr("abc"), str("def"), "v:\"abcdef\"", nullptr},
		{ADD, vreal(1), slot_int(2), "v:3", nullptr},
		{ADD, str("1"), slot_double(1), "d:0", "DoAdd :: Execution Error"},
		{ADD, vreal(1), vstr("a"), "d:0", "DoAdd :: Execution Error"},
		{ADD, slot_float(1), slot_double(1), "d:0", "DoAdd :: Execution Error"},
		{ADD, slot_bool(true), slot_int(1), "d:0", "DoAdd :: Execution Error"},
		{SUB, slot_double(5), slot_int(7), "d:-2", nullptr},
		{SUB, slot_int(-2147483647 - 1), slot_int(1), "i:2147483647", nullptr},
		{SUB, str("a"), slot_double(1), "d:0", cannot_sub},
		{SUB, vreal(1), vstr("b"), "d:0", cannot_sub},
		{MUL, slot_int(3), slot_int(4), "i:12", nullptr},
		{MUL, slot_double(3), str("ab"), "s:ababab", nullptr},
		{MUL, slot_int(3), vstr("ab"), "v:\"ababab\"", nullptr},
		{MUL, slot_double(2.9), str("ab"), "s:abab", nullptr},
		{MUL, slot_double(0), str("ab"), "s:", nullptr},
		{MUL, slot_double(-2), str("ab"), "s:", nullptr},
		{MUL, str("ab"), slot_double(3), "d:0", "DoMul :: Execution Error"},
		{MUL, slot_double(1e300), str("ab"), "d:0", "DoMul :: Execution Error"},
		{DIV, slot_double(1), slot_double(4), "d:0.25", nullptr},
		{DIV, slot_int(7), slot_int(-2), "i:-3", nullptr},
		{DIV, slot_int(1), slot_double(0.0001), "d:10000", nullptr},
		{DIV, slot_double(1), slot_double(0.00000000001), "d:0", "DoDiv :: Divide by zero"},
		{DIV, slot_int(1), slot_int(0), "d:0", "DoDiv :: Divide by zero"},
		{DIV, slot_int(-2147483647 - 1), slot_int(-1), "i:-2147483648", nullptr},
		{DIV, vreal(9), slot_int(3), "v:3", nullptr},
		{DIV, str("1"), slot_int(3), "d:0", "DoDiv :: Execution Engine - Cannot operate on string type"},
		{REM, slot_double(-7.5), slot_double(2), "d:-3", nullptr},
		{REM, slot_double(7), slot_double(-2), "d:-3", nullptr},
		{REM, slot_int(-7), slot_int(2), "i:-3", nullptr},
		{REM, slot_double(1), slot_double(-1e-11), "d:0", "DoRem :: Divide by zero"},
		{REM, slot_int(1), slot_int(0), "d:0", "DoRem :: Divide by zero"},
		{MOD, slot_double(-7.5), slot_double(2), "d:-1.5", nullptr},
		{MOD, slot_double(7.5), slot_double(-2), "d:1.5", nullptr},
		{MOD, slot_int(-7), slot_int(3), "i:-1", nullptr},
		{MOD, slot_int(7), slot_int(-3), "i:1", nullptr},
		{MOD, slot_int(-2147483647 - 1), slot_int(-1), "i:0", nullptr},
		{MOD, slot_int(7), slot_int(0), "d:0", "DoMod :: Divide by zero"},
		{MOD, slot_double(7), slot_double(0), "d:0", "DoMod :: Divide by zero"},
		{AND, slot_double(12.9), slot_double(10), "d:8", nullptr},
		{OR, slot_int(12), slot_int(3), "i:15", nullptr},
		{XOR, slot_double(-1), slot_double(5), "d:-6", nullptr},
		{AND, slot_bool(true), slot_bool(false), "b:0", nullptr},
		{OR, slot_bool(true), slot_bool(false), "b:1", nullptr},
		{XOR, slot_bool(true), slot_bool(true), "b:0", nullptr},
		{AND, vreal(6), slot_int(3), "v:2", nullptr},
		{AND, slot_bool(true), slot_int(1), "d:0", "DoAnd :: Execution Error"},
		{OR, str("a"), slot_int(1), "d:0", "DoOr :: Execution Engine - Cannot operate on string type"},
		{SHL, slot_double(1), slot_double(40), "d:1099511627776", nullptr},
		{SHL, slot_int(1), slot_int(33), "i:2", nullptr},
		{SHR, slot_int(-8), slot_int(1), "i:-4", nullptr},
		{SHR, slot_double(-8), slot_double(2), "d:-2", nullptr},
		{SHL, slot_double(1), slot_double(64), "d:0", nullptr},
		{SHR, str("a"), slot_int(1), "d:0", "DoShr :: Execution Engine - Cannot operate on string type"},
	};
	for (const OpCase &c : cases) {
		Slot l = c.left, r = c.right;
		std::string what = show(l) + " op" + std::to_string(c.op) + " " + show(r);
		SlotError error = apply(c.op, l, r);
		EXPECT_EQ(show(l), c.expected) << what;
		if (c.error)
			EXPECT_STREQ(error, c.error) << what;
		else
			EXPECT_EQ(error, nullptr) << what << ": " << error;
		slot_free(l);
	}
}

TEST(Slot, MalformedValues)
{
	Slot bad = slot_double(0);
	bad.type = SLOT_VALUE;
	bad.kind = 7;
	Slot l = bad, r = slot_double(1);
	EXPECT_STREQ(slot_add(l, r), "Malformed variable");
	l = bad, r = slot_double(1);
	EXPECT_STREQ(slot_mul(l, r), "Variable is malformed");
	l = slot_double(1), r = bad;
	EXPECT_STREQ(slot_compare(CMP_EQ, l, r), "Malformed variable");
	l = bad;
	EXPECT_STREQ(slot_neg(l), "Malformed variable");
}

TEST(Slot, NegAndNot)
{
	Slot s = slot_double(0);
	EXPECT_EQ(slot_neg(s), nullptr);
	EXPECT_TRUE(std::signbit(s.d));
	s = vreal(2);
	EXPECT_EQ(slot_neg(s), nullptr);
	EXPECT_EQ(show(s), "v:-2");
	s = slot_int(-2147483647 - 1);
	EXPECT_EQ(slot_neg(s), nullptr);
	EXPECT_EQ(show(s), "i:-2147483648");
	s = slot_long(5);
	slot_neg(s);
	EXPECT_EQ(show(s), "l:-5");
	s = slot_bool(true);
	EXPECT_STREQ(slot_neg(s), "DoNeg :: Execution Engine - Cannot operate on string type");
	s = str("x");
	EXPECT_STREQ(slot_neg(s), "DoNeg :: Execution Engine - Cannot operate on string type");

	s = slot_double(0);
	EXPECT_EQ(slot_not(s), nullptr);
	EXPECT_EQ(show(s), "d:-1");
	s = vreal(5.7);
	slot_not(s);
	EXPECT_EQ(show(s), "v:-6");
	s = slot_int(0);
	slot_not(s);
	EXPECT_EQ(show(s), "i:-1");
	s = slot_bool(true);
	slot_not(s);
	EXPECT_EQ(show(s), "b:0");
	s = vstr("x");
	EXPECT_STREQ(slot_not(s), "DoNot :: Execution Engine - Cannot operate on string type");
	EXPECT_EQ(show(s), "d:0");
}

struct CompareCase
{
	Slot left, right;
	const char *expected; // outcomes of lt, le, eq, ne, ge, gt
};

Slot copy(const Slot &s) { return slot_dup(s); }

TEST(Slot, ComparisonTable)
{
	double nearest_e = 0.00001;
	const CompareCase cases[] = {
		// 0.3 + 0.6 against 0.9: unequal as doubles, equal within the tolerance.
		{slot_double(0.3 + 0.6), slot_double(0.9), "011010"},
		{slot_double(0.1 + 0.2), slot_double(0.3), "011010"},
		{slot_double(1), slot_double(1.000009), "011010"},
		{slot_double(1), slot_double(1.00002), "110100"},
		{slot_double(1.00002), vreal(1), "000111"},
		// A difference of exactly the tolerance: neither equal nor unequal.
		{slot_double(nearest_e), slot_double(0), "010010"},
		{slot_int(3), slot_double(3.000001), "011010"},
		{slot_int(2), slot_int(3), "110100"},
		{slot_int(-2147483647 - 1), slot_int(2147483647), "110100"},
		{slot_bool(true), slot_int(1), "011010"},
		{slot_float(0.5f), slot_double(0.5), "011010"},
		{str("abc"), str("abd"), "110100"},
		{str("ab"), str("abc"), "110100"},
		{str("abc"), vstr("abc"), "011010"},
		{str("\xc3\xa9"), str("z"), "000111"},
		{str(""), slot_string_adopt(nullptr), "011010"},
		{slot_string_adopt(nullptr), str("a"), "110100"},
	};
	for (const CompareCase &c : cases) {
		std::string got;
		for (int op = CMP_LT; op <= CMP_GT; op++) {
			Slot l = copy(c.left), r = copy(c.right);
			EXPECT_EQ(slot_compare((Comparison)op, l, r), nullptr);
			EXPECT_EQ(l.type, SLOT_BOOL);
			got += l.b ? '1' : '0';
		}
		EXPECT_EQ(got, c.expected) << show(c.left) << " vs " << show(c.right);
		Slot l = c.left, r = c.right;
		slot_free(l);
		slot_free(r);
	}
}

TEST(Slot, StringAgainstNumberIsNotComparable)
{
	Slot l = str("1"), r = slot_double(1);
	EXPECT_STREQ(slot_compare(CMP_EQ, l, r), "DoSet :: Invalid comparison type");
	EXPECT_EQ(show(l), "b:0");
	l = slot_int(1), r = vstr("1");
	EXPECT_STREQ(slot_compare(CMP_NE, l, r), "DoSet :: Invalid comparison type");
	EXPECT_EQ(show(l), "b:0");
}

TEST(Slot, OperatorsByOpcode)
{
	EXPECT_EQ(binary_operator(0x04), &slot_mul);
	EXPECT_EQ(binary_operator(0x08), &slot_add);
	EXPECT_EQ(binary_operator(0x10), &slot_shr);
	EXPECT_EQ(binary_operator(0x0D), nullptr);
	EXPECT_EQ(binary_operator(0x03), nullptr);
	Slot l = slot_double(1), r = slot_double(2);
	EXPECT_EQ(binary_operator(0x11)(l, r), nullptr);
	EXPECT_TRUE(l.b);
	l = slot_double(1), r = slot_double(2);
	binary_operator(0x16)(l, r);
	EXPECT_FALSE(l.b);
}

TEST(Slot, StoreIntoValueAndDup)
{
	Value v;
	Slot s = str("moved");
	ASSERT_TRUE(slot_store(s, v));
	EXPECT_EQ(v.text(), "moved");
	EXPECT_EQ(s.s, nullptr);
	s = slot_bool(true);
	ASSERT_TRUE(slot_store(s, v));
	EXPECT_TRUE(v.is_real());
	EXPECT_EQ(v.real(), 1.0);
	s = slot_float(1);
	EXPECT_FALSE(slot_store(s, v));

	Value text("abc");
	Slot a = slot_value_copy(text);
	Slot b = slot_dup(a);
	EXPECT_NE(a.s, b.s);
	EXPECT_STREQ(b.s, "abc");
	slot_free(a);
	slot_free(b);
	Slot taken = slot_value_take(text);
	EXPECT_TRUE(text.is_real());
	EXPECT_EQ(show(taken), "v:\"abc\"");
	slot_free(taken);
}

} // namespace

TEST(Slot, TextLengthLimit)
{
	set_text_length_limit(4);
	Slot left = slot_string("ab"), right = slot_string("cd");
	EXPECT_EQ(slot_add(left, right), nullptr);
	EXPECT_EQ(slot_text(left), "abcd");
	slot_free(left);

	left = slot_string("abc");
	right = slot_string("cd");
	EXPECT_STREQ(slot_add(left, right), "DoAdd :: Execution Error");
	EXPECT_EQ(left.type, SLOT_DOUBLE);

	left = slot_int(3);
	right = slot_string("ab");
	EXPECT_STREQ(slot_mul(left, right), "DoMul :: Execution Error");
	set_text_length_limit((size_t)1 << 30);
}
