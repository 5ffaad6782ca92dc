// random_test.cpp: the random built-ins against a reference generator written
// here from the formula state = state * 214013 + 2531011, draw = (state >> 16) & 0x7FFF.
#include <cmath>

#include "builtin_call.h"
#include "code/random.h"

namespace {

struct Reference
{
	uint32_t state;
	int draw()
	{
		state = state * 214013u + 2531011u;
		return (int)((state >> 16) & 0x7FFF);
	}
	double fraction() { return draw() / 32768.0; }
};

void seed(double s) { call_builtin("random_set_seed", { s }); }

} // namespace

TEST(Random, FirstDrawAfterSeedOne)
{
	seed(1);
	EXPECT_EQ(random_draw(), 41);
	seed(1);
	EXPECT_EQ(call_builtin("irandom", { 99 }).real(), 0);
	EXPECT_EQ(call_builtin("random_get_seed").real(), 1);
}

TEST(Random, SequencesFollowTheGenerator)
{
	const uint32_t seeds[] = { 0, 1, 12345, 2101988, 0xDEADBEEF };
	for (uint32_t s : seeds) {
		SCOPED_TRACE(s);
		Reference ref{ s };
		seed(s);
		for (int i = 0; i < 8; i++) {
			double r1 = ref.fraction();
			double v = ref.draw() + r1;
			EXPECT_EQ(call_builtin("random", { 10 }).real(), std::fmod(v, 10.0));
			r1 = ref.fraction();
			v = ref.draw() + r1;
			EXPECT_EQ(call_builtin("random", { -7.5 }).real(), std::fmod(-v, -7.5));
			EXPECT_EQ(call_builtin("random_range", { 5, 2 }).real(), ref.fraction() * 3 + 2);
			EXPECT_EQ(call_builtin("irandom", { 9.7 }).real(), std::trunc(ref.fraction() * 10));
			EXPECT_EQ(call_builtin("irandom_range", { 3, 8 }).real(), 3 + std::trunc(ref.fraction() * 6));
			int pick = (int)(3.0f * (float)ref.fraction());
			EXPECT_EQ(call_builtin("choose", { S("a"), S("b"), S("c") }).text(), std::string(1, "abc"[pick]));
		}
	}
}

TEST(Random, ZeroDrawsNothing)
{
	seed(7);
	EXPECT_EQ(call_builtin("random", { 0 }).real(), 0);
	Reference ref{ 7 };
	EXPECT_EQ(random_draw(), ref.draw());
	EXPECT_EQ(call_builtin("choose").real(), 0);
}

// Above 32768 a remainder would never exceed 32768; the two draws are scaled to
// the whole range instead, and the generator advances by two as below it.
TEST(Random, LargeRangesAreReached)
{
	seed(99);
	Reference ref{ 99 };
	double high = 0;
	for (int i = 0; i < 2000; i++) {
		double r1 = ref.fraction();
		double v = ref.draw() + r1;
		double x = call_builtin("random", { 100000 }).real();
		EXPECT_EQ(x, v / 32768.0 * 100000);
		ASSERT_GE(x, 0);
		ASSERT_LT(x, 100000);
		high = std::fmax(high, x);
	}
	EXPECT_GT(high, 90000);
	double low = 0;
	for (int i = 0; i < 200; i++) {
		double x = call_builtin("random", { -50000 }).real();
		ASSERT_LE(x, 0);
		ASSERT_GT(x, -50000);
		low = std::fmin(low, x);
	}
	EXPECT_LT(low, -32768);
}

// Ends in either order, and negative bounds, cover every integer of the range.
TEST(Random, IntegerRangesCoverBothEnds)
{
	struct Case
	{
		const char *name;
		double a, b, lo, hi;
	} cases[] = {
		{ "irandom_range", 5, 1, 1, 5 },
		{ "irandom_range", 1, 5, 1, 5 },
		{ "irandom_range", -3.9, 2.9, -3, 2 },
		{ "irandom", -3, 0, -3, 0 },
		{ "irandom", 4, 0, 0, 4 },
	};
	seed(3);
	for (const Case &c : cases) {
		SCOPED_TRACE(c.name + std::to_string(c.a));
		bool seen_lo = false, seen_hi = false;
		for (int i = 0; i < 400; i++) {
			double x = std::string(c.name) == "irandom" ? call_builtin(c.name, { c.a }).real() : call_builtin(c.name, { c.a, c.b }).real();
			ASSERT_GE(x, c.lo);
			ASSERT_LE(x, c.hi);
			ASSERT_EQ(x, std::trunc(x));
			seen_lo |= x == c.lo;
			seen_hi |= x == c.hi;
		}
		EXPECT_TRUE(seen_lo && seen_hi);
	}
}

TEST(Random, SeedsRoundTripThroughReals)
{
	struct Case
	{
		double given;
		double reported;
	} cases[] = { { 4294967295.0, 4294967295.0 }, { -1, 4294967295.0 }, { 3.9, 3 }, { -2.5, 4294967294.0 },
		      { 4294967296.0 + 5, 5 }, { NAN, 0 }, { INFINITY, 0 } };
	for (const Case &c : cases) {
		seed(c.given);
		EXPECT_EQ(call_builtin("random_get_seed").real(), c.reported) << c.given;
		seed(call_builtin("random_get_seed").real());
		EXPECT_EQ(call_builtin("random_get_seed").real(), c.reported);
	}
}

TEST(Random, RandomizeSeedsFromTheClock)
{
	EXPECT_EQ(random_seed_from_time(0x123456789ABCDEF0ull), 0x7201AFD4u);
	double s = call_builtin("randomize").real();
	EXPECT_EQ(call_builtin("random_get_seed").real(), s);
	Reference ref{ (uint32_t)s };
	EXPECT_EQ(random_draw(), ref.draw());
}
