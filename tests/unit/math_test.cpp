// math_test.cpp: the mathematical built-ins: rounding, powers and logarithms with
// their domain errors, float trigonometry with snapping, directions, vectors and
// functions of several values.
#include <cmath>
#include <vector>

#include "builtin_call.h"
#include "code/errors.h"

namespace {

struct Case
{
	const char *name;
	std::vector<double> args;
	double expected;
};

Value call(const char *name, const std::vector<double> &args)
{
	register_builtin_families();
	const BuiltinEntry *entry = function_entry(builtin_function_id(name));
	Value result;
	if (!entry) {
		ADD_FAILURE() << "no built-in function " << name;
		return result;
	}
	std::vector<Value> argv(args.begin(), args.end());
	entry->routine(result, nullptr, nullptr, (int)argv.size(), argv.data());
	return result;
}

bool is_float(double x) { return (double)(float)x == x; }

void check_exact(const std::vector<Case> &cases)
{
	for (const Case &c : cases) {
		Value v = call(c.name, c.args);
		EXPECT_TRUE(v.is_real()) << c.name;
		EXPECT_EQ(v.real(), c.expected) << c.name << "(" << (c.args.empty() ? 0 : c.args[0]) << ", ...)";
	}
}

} // namespace

TEST(Math, RoundingAndSimpleArithmetic)
{
	check_exact({
		{ "round", { 0.5 }, 0 }, { "round", { 1.5 }, 2 }, { "round", { 2.5 }, 2 }, { "round", { -2.5 }, -2 },
		{ "round", { -1.5 }, -2 }, { "round", { 2.51 }, 3 }, { "round", { -0.4 }, 0 },
		{ "floor", { -1.5 }, -2 }, { "floor", { 1.9 }, 1 }, { "ceil", { -1.5 }, -1 }, { "ceil", { 1.1 }, 2 },
		{ "frac", { 3.25 }, 0.25 }, { "frac", { -3.25 }, -0.25 }, { "frac", { 4 }, 0 },
		{ "sign", { -0.001 }, -1 }, { "sign", { 0 }, 0 }, { "sign", { 7 }, 1 },
		{ "abs", { -2.5 }, 2.5 }, { "abs", { 0.1 }, (double)0.1f }, { "abs", { -100000.004 }, (double)100000.004f },
		{ "sqr", { -3 }, 9 }, { "sqrt", { 16 }, 4 }, { "exp", { 0 }, 1 }, { "ln", { 1 }, 0 },
		{ "log10", { 1000 }, 3 }, { "log2", { 8 }, 3 }, { "logn", { 8, 2 }, 3 }, { "logn", { 2, 8 }, std::log(2.0) / std::log(8.0) },
		{ "power", { 2, 10 }, 1024 }, { "power", { 4, 0.5 }, 2 }, { "power", { -2, 3 }, -8 },
		{ "degtorad", { 180 }, 3.1415927410125732 }, { "radtodeg", { 3.1415927410125732 }, 180 },
		{ "clamp", { 5, 0, 3 }, 3 }, { "clamp", { -1, 0, 3 }, 0 }, { "clamp", { 2, 0, 3 }, 2 },
		{ "clamp", { 5, 4, 1 }, 1 }, { "lerp", { 10, 20, 0.25 }, 12.5 }, { "lerp", { 10, 20, 2 }, 30 },
		{ "lerp", { 10, 20 }, 0 },
	});
}

// Results outside a function's domain are a non-fatal error and 0, never a NaN.
TEST(Math, DomainErrorsReportAndGiveZero)
{
	struct ErrorCase
	{
		const char *name;
		std::vector<double> args;
		const char *message;
	} cases[] = {
		{ "arcsin", { 1.5 }, "Error in function arcsin()." },
		{ "arccos", { -1.0001 }, "Error in function arccos()." },
		{ "sqrt", { -1 }, "Error in function sqrt()." },
		{ "ln", { 0 }, "Error in function ln()." },
		{ "ln", { -2 }, "Error in function ln()." },
		{ "log10", { -1 }, "Error in function log10()." },
		{ "log2", { 0 }, "Error in function log2()." },
		{ "logn", { 8, 1 }, "Error in function logn()." },
		{ "power", { -8, 1.0 / 3 }, "Error in function power()." },
		{ "power", { 0, -1 }, "Error in function power()." },
		{ "exp", { 1000 }, "Error in function exp()." },
	};
	clear_error_state();
	for (const ErrorCase &c : cases) {
		clear_error_state();
		Value v = call(c.name, c.args);
		EXPECT_EQ(v.real(), 0) << c.name;
		EXPECT_NE(error_last().find(c.message), std::string::npos) << c.name << ": " << error_last();
		EXPECT_FALSE(error_aborting());
	}
	// The edges of the domain are inside it.
	clear_error_state();
	EXPECT_EQ(call("arcsin", { 1 }).real(), (double)(float)(M_PI / 2));
	EXPECT_EQ(call("arccos", { 1 }).real(), 0);
	EXPECT_EQ(call("sqrt", { 0 }).real(), 0);
	EXPECT_FALSE(error_occurred());
}

// Trigonometry goes through 32-bit floats and snaps results below 1e-5 to 0.
TEST(Math, TrigonometryRoundsToFloatAndSnaps)
{
	check_exact({
		{ "sin", { M_PI }, 0 }, { "sin", { 0.000009 }, 0 }, { "cos", { M_PI / 2 }, 0 }, { "tan", { M_PI }, 0 },
		{ "arctan", { 0 }, 0 }, { "arctan2", { 0, 1 }, 0 }, { "arcsin", { 0 }, 0 },
	});
	struct Near
	{
		const char *name;
		std::vector<double> args;
		double expected;
	} cases[] = {
		{ "sin", { 0.5 }, 0.479425538604203 }, { "cos", { 1 }, 0.54030230586814 },
		{ "tan", { 0.75 }, 0.931596459944072 }, { "arctan", { 1 }, M_PI / 4 },
		{ "arcsin", { 0.5 }, M_PI / 6 }, { "arccos", { -1 }, M_PI }, { "arctan2", { 1, -1 }, 3 * M_PI / 4 },
		{ "sin", { 0.00002 }, 0.00002 },
	};
	for (const Near &c : cases) {
		double r = call(c.name, c.args).real();
		EXPECT_NEAR(r, c.expected, 1e-6 * std::fabs(c.expected) + 1e-9) << c.name;
		EXPECT_TRUE(is_float(r)) << c.name << " is not rounded to a float";
	}
}

TEST(Math, DirectionsAndDistances)
{
	check_exact({
		{ "point_direction", { 0, 0, 1, -1 }, 45 }, { "point_direction", { 0, 0, 0, 5 }, 270 },
		{ "point_direction", { 0, 0, 0, -5 }, 90 }, { "point_direction", { 3, 3, 3, 3 }, 0 },
		{ "point_direction", { 0, 0, 1, 0 }, 0 }, { "point_direction", { 0, 0, -1, 0 }, 180 },
		{ "point_direction", { 0, 0, -1, 1 }, 225 }, { "point_direction", { 0, 0, 1, 1 }, 315 },
		{ "point_distance", { 0, 0, 3, 4 }, 5 }, { "point_distance", { 1, 1, 1, 1 }, 0 },
		{ "point_distance_3d", { 0, 0, 0, 2, 3, 6 }, 7 },
		{ "point_distance", { 0, 0, 1, 1 }, (double)std::sqrt(2.0f) },
		{ "lengthdir_x", { 10, 90 }, 0 }, { "lengthdir_y", { 10, 90 }, -10 },
		{ "lengthdir_x", { 10, 0 }, 10 }, { "lengthdir_y", { 10, 0 }, 0 },
		{ "lengthdir_x", { 10, 180 }, -10 }, { "lengthdir_y", { 10, 270 }, 10 },
		{ "lengthdir_x", { 2, 45 }, (double)(float)std::sqrt(2.0) },
	});
	EXPECT_NEAR(call("lengthdir_x", { 10, 60 }).real(), 5, 1e-5);
	EXPECT_NEAR(call("lengthdir_y", { 4, 30 }).real(), -2, 1e-5);
	// A lengthdir of 0 is +0, so that it prints as 0.
	EXPECT_FALSE(std::signbit(call("lengthdir_x", { 10, 90 }).real()));
	EXPECT_FALSE(std::signbit(call("point_direction", { 0, 0, 1, 0 }).real()));
}

TEST(Math, DotProducts)
{
	check_exact({
		{ "dot_product", { 1, 2, 3, 4 }, 11 }, { "dot_product_3d", { 1, 2, 3, 4, 5, 6 }, 32 },
		{ "dot_product_normalised", { 2, 0, 0, 5 }, 0 }, { "dot_product_normalised", { 2, 0, -3, 0 }, -1 },
		{ "dot_product_3d_normalised", { 0, 0, 2, 0, 0, 9 }, 1 },
		// A zero vector has no direction: 0, not a NaN.
		{ "dot_product_normalised", { 0, 0, 1, 1 }, 0 }, { "dot_product_3d_normalised", { 1, 1, 1, 0, 0, 0 }, 0 },
	});
}

TEST(Math, SeveralValues)
{
	check_exact({
		{ "min", { 3, -1, 2 }, -1 }, { "max", { 3, -1, 7 }, 7 }, { "min", {}, 0 }, { "max", { 4 }, 4 },
		{ "min3", { 2, 1, 3 }, 1 }, { "max3", { 2, 1, 3 }, 3 },
		{ "mean", { 1, 2, 3, 6 }, 3 }, { "mean", {}, 0 },
		{ "median", { 1, 2, 3, 4 }, 3 }, { "median", { 9, 1, 5 }, 5 }, { "median", { 2 }, 2 }, { "median", {}, 0 },
		{ "median", { 4, NAN, 1, 3 }, 4 },
	});
}

// Each string argument of min and max is one non-fatal error; the result comes
// from the reals.
TEST(Math, MinMaxReportStrings)
{
	static int reports;
	clear_error_state();
	ErrorHooks saved = error_hooks();
	ErrorHooks counting = saved;
	counting.before_show = [] { reports++; };
	set_error_hooks(counting);
	reports = 0;
	EXPECT_EQ(call_builtin("min", { S("a"), 5, S("b"), 2 }).real(), 2);
	EXPECT_EQ(reports, 2);
	EXPECT_NE(error_last().find("Error min(): illegal argument; strings not permitted"), std::string::npos);
	reports = 0;
	EXPECT_EQ(call_builtin("max", { 5, S("9") }).real(), 5);
	EXPECT_EQ(reports, 1);
	EXPECT_NE(error_last().find("Error max(): illegal argument; strings not permitted"), std::string::npos);
	EXPECT_EQ(call_builtin("min", { S("only") }).real(), 0);
	set_error_hooks(saved);
	EXPECT_FALSE(error_aborting());
}

TEST(Math, ChooseCopiesAnArgument)
{
	call_builtin("random_set_seed", { 5 });
	for (int i = 0; i < 50; i++) {
		Value v = call_builtin("choose", { S("x"), 2, S("yz") });
		EXPECT_TRUE((v.is_string() && (v.text() == "x" || v.text() == "yz")) || (v.is_real() && v.real() == 2));
	}
}
