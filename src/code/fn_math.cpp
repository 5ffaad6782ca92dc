// fn_math.cpp: the mathematical built-ins of game code: rounding, powers and
// logarithms, trigonometry, directions and vectors, and functions of several values.
#include <cmath>
#include <string>
#include <vector>

#include "code/builtin_args.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/maths.h"
#include "code/value.h"

namespace {

#define REAL(i) arg_real(argc, args, i)

// A result that is NaN or infinite although the arguments were finite lies
// outside the function's domain: a non-fatal error and 0, so no NaN reaches
// game state unannounced.
double checked(const char *name, double r, double x, double y = 0.0)
{
	if (std::isfinite(r) || !std::isfinite(x) || !std::isfinite(y))
		return r;
	report_error(std::string("Error in function ") + name + "().", false);
	return 0.0;
}

void fn_round(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(std::nearbyint(REAL(0))); }
void fn_floor(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(std::floor(REAL(0))); }
void fn_ceil(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(std::ceil(REAL(0))); }

void fn_frac(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	double x = REAL(0);
	result.set_real(x - std::trunc(x));
}

void fn_sign(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	double x = REAL(0);
	result.set_real(x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0);
}

void fn_abs(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(std::fabs((float)REAL(0))); }

void fn_sqr(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(REAL(0) * REAL(0)); }
void fn_sqrt(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(checked("sqrt", std::sqrt(REAL(0)), REAL(0))); }
void fn_exp(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(checked("exp", std::exp(REAL(0)), REAL(0))); }
void fn_ln(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(checked("ln", std::log(REAL(0)), REAL(0))); }
void fn_log10(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(checked("log10", std::log10(REAL(0)), REAL(0))); }

void fn_log2(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(checked("log2", std::log(REAL(0)) / std::log(2.0), REAL(0)));
}

void fn_logn(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(checked("logn", std::log(REAL(0)) / std::log(REAL(1)), REAL(0), REAL(1)));
}

void fn_power(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(checked("power", std::pow(REAL(0), REAL(1)), REAL(0), REAL(1)));
}

void fn_degtorad(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(deg_to_rad(REAL(0))); }
void fn_radtodeg(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(rad_to_deg(REAL(0))); }

double sin_d(double x) { return std::sin(x); }
double cos_d(double x) { return std::cos(x); }
double tan_d(double x) { return std::tan(x); }
double asin_d(double x) { return std::asin(x); }
double acos_d(double x) { return std::acos(x); }
double atan_d(double x) { return std::atan(x); }

void fn_sin(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(float_trig(sin_d, REAL(0))); }
void fn_cos(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(float_trig(cos_d, REAL(0))); }
void fn_tan(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(float_trig(tan_d, REAL(0))); }
void fn_arctan(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(float_trig(atan_d, REAL(0))); }

void fn_arcsin(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (!in_unit_range(REAL(0))) {
		report_error("Error in function arcsin().", false);
		return;
	}
	result.set_real(float_trig(asin_d, REAL(0)));
}

void fn_arccos(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (!in_unit_range(REAL(0))) {
		report_error("Error in function arccos().", false);
		return;
	}
	result.set_real(float_trig(acos_d, REAL(0)));
}

void fn_arctan2(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(float_arctan2(REAL(0), REAL(1))); }

void fn_point_distance(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(game_point_distance(REAL(0), REAL(1), REAL(2), REAL(3)));
}

void fn_point_distance_3d(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(game_point_distance_3d(REAL(0), REAL(1), REAL(2), REAL(3), REAL(4), REAL(5)));
}

void fn_point_direction(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(game_point_direction(REAL(0), REAL(1), REAL(2), REAL(3)));
}

void fn_lengthdir_x(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(game_lengthdir_x(REAL(0), REAL(1))); }
void fn_lengthdir_y(Value &result, CInstance *, CInstance *, int argc, const Value *args) { result.set_real(game_lengthdir_y(REAL(0), REAL(1))); }

void fn_dot_product(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(REAL(0) * REAL(2) + REAL(1) * REAL(3));
}

void fn_dot_product_3d(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(REAL(0) * REAL(3) + REAL(1) * REAL(4) + REAL(2) * REAL(5));
}

void fn_dot_product_normalised(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(dot_normalised_2d(REAL(0), REAL(1), REAL(2), REAL(3)));
}

void fn_dot_product_3d_normalised(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(dot_normalised_3d(REAL(0), REAL(1), REAL(2), REAL(3), REAL(4), REAL(5)));
}

// min and max: string arguments are reported one by one and left out; the
// result is the first real replaced by every later one that is strictly
// smaller (larger); 0 when there is none.
void extreme(Value &result, int argc, const Value *args, const char *name, bool smallest)
{
	bool any = false;
	double best = 0.0;
	for (int i = 0; i < argc; i++) {
		if (args[i].is_string()) {
			report_error(std::string("Error ") + name + "(): illegal argument; strings not permitted", false);
			continue;
		}
		double x = args[i].real();
		if (!any || (smallest ? x < best : x > best))
			best = x;
		any = true;
	}
	result.set_real(best);
}

void fn_min(Value &result, CInstance *, CInstance *, int argc, const Value *args) { extreme(result, argc, args, "min", true); }
void fn_max(Value &result, CInstance *, CInstance *, int argc, const Value *args) { extreme(result, argc, args, "max", false); }
void fn_min3(Value &result, CInstance *, CInstance *, int argc, const Value *args) { extreme(result, argc, args, "min3", true); }
void fn_max3(Value &result, CInstance *, CInstance *, int argc, const Value *args) { extreme(result, argc, args, "max3", false); }

void fn_mean(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (argc <= 0)
		return;
	double sum = 0.0;
	for (int i = 0; i < argc; i++)
		sum += args[i].real();
	result.set_real(sum / argc);
}

void fn_median(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	std::vector<double> values;
	for (int i = 0; i < argc; i++)
		values.push_back(args[i].real());
	result.set_real(median_of(values));
}

void fn_clamp(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	double v = REAL(0);
	if (REAL(1) > v)
		v = REAL(1);
	if (v > REAL(2))
		v = REAL(2);
	result.set_real(v);
}

void fn_lerp(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	if (argc != 3)
		return;
	result.set_real((REAL(1) - REAL(0)) * REAL(2) + REAL(0));
}

#undef REAL

const BuiltinEntry math_functions[] = {
	{ "round", fn_round, 1 },
	{ "floor", fn_floor, 1 },
	{ "ceil", fn_ceil, 1 },
	{ "frac", fn_frac, 1 },
	{ "sign", fn_sign, 1 },
	{ "abs", fn_abs, 1 },
	{ "sqr", fn_sqr, 1 },
	{ "sqrt", fn_sqrt, 1 },
	{ "exp", fn_exp, 1 },
	{ "ln", fn_ln, 1 },
	{ "log2", fn_log2, 1 },
	{ "log10", fn_log10, 1 },
	{ "logn", fn_logn, 2 },
	{ "power", fn_power, 2 },
	{ "degtorad", fn_degtorad, 1 },
	{ "radtodeg", fn_radtodeg, 1 },
	{ "sin", fn_sin, 1 },
	{ "cos", fn_cos, 1 },
	{ "tan", fn_tan, 1 },
	{ "arcsin", fn_arcsin, 1 },
	{ "arccos", fn_arccos, 1 },
	{ "arctan", fn_arctan, 1 },
	{ "arctan2", fn_arctan2, 2 },
	{ "point_distance", fn_point_distance, 4 },
	{ "point_distance_3d", fn_point_distance_3d, 6 },
	{ "point_direction", fn_point_direction, 4 },
	{ "lengthdir_x", fn_lengthdir_x, 2 },
	{ "lengthdir_y", fn_lengthdir_y, 2 },
	{ "dot_product", fn_dot_product, 4 },
	{ "dot_product_3d", fn_dot_product_3d, 6 },
	{ "dot_product_normalised", fn_dot_product_normalised, 4 },
	{ "dot_product_3d_normalised", fn_dot_product_3d_normalised, 6 },
	{ "min", fn_min, -1 },
	{ "max", fn_max, -1 },
	{ "min3", fn_min3, 3 },
	{ "max3", fn_max3, 3 },
	{ "mean", fn_mean, -1 },
	{ "median", fn_median, -1 },
	{ "clamp", fn_clamp, 3 },
	{ "lerp", fn_lerp, 3 },
};

} // namespace

void register_math_functions() { register_functions(math_functions); }
