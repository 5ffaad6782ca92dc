// maths.cpp: trigonometry, directions and vectors with game code's numeric
// conventions.
#include "code/maths.h"

#include <algorithm>
#include <cmath>

namespace {

// A lengthdir result rounded to a 32-bit float; when its fractional part is
// below 1e-4 in magnitude, its integer part (so 10 * cos(90) gives 0, not a
// tiny residue of the float pi).
double snap_lengthdir(double r)
{
	float f = (float)r;
	float whole = std::trunc(f);
	if (std::fabs(f - whole) < 1e-4f)
		return (double)whole + 0.0;
	return (double)f;
}

float length_f(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

} // namespace

double deg_to_rad(double x) { return x * GAME_PI / 180.0; }

double rad_to_deg(double x) { return x * 180.0 / GAME_PI; }

double snap_trig(double r)
{
	float f = (float)r;
	if (std::fabs(f) < 1e-5f)
		return 0.0;
	return (double)f;
}

double float_trig(double (*f)(double), double x) { return snap_trig(f((double)(float)x)); }

bool in_unit_range(double x)
{
	float f = (float)x;
	return f >= -1.0f && f <= 1.0f;
}

double float_arctan2(double y, double x) { return snap_trig(std::atan2((double)(float)y, (double)(float)x)); }

double game_point_distance(double x1, double y1, double x2, double y2)
{
	float dx = (float)x2 - (float)x1;
	float dy = (float)y2 - (float)y1;
	return (double)std::sqrt(dx * dx + dy * dy);
}

double game_point_distance_3d(double x1, double y1, double z1, double x2, double y2, double z2)
{
	float dx = (float)x2 - (float)x1;
	float dy = (float)y2 - (float)y1;
	float dz = (float)z2 - (float)z1;
	return (double)length_f(dx, dy, dz);
}

double game_point_direction(double x1, double y1, double x2, double y2)
{
	float dx = (float)x2 - (float)x1;
	float dy = (float)y2 - (float)y1;
	if (dx == 0.0f) {
		if (dy > 0.0f)
			return 270.0;
		if (dy < 0.0f)
			return 90.0;
		return 0.0;
	}
	float a = (float)rad_to_deg(std::atan2((double)dy, (double)dx));
	// The y axis points down, so the angle turns the other way; -a of 0 is kept +0.
	return a > 0.0f ? 360.0 - (double)a : 0.0 - (double)a;
}

double game_lengthdir_x(double len, double dir)
{
	return snap_lengthdir(std::cos(deg_to_rad((float)dir)) * (float)len);
}

double game_lengthdir_y(double len, double dir)
{
	return snap_lengthdir(-(std::sin(deg_to_rad((float)dir)) * (float)len));
}

double dot_normalised_2d(double x1, double y1, double x2, double y2)
{
	float lengths = length_f((float)x1, (float)y1, 0.0f) * length_f((float)x2, (float)y2, 0.0f);
	if (lengths == 0.0f)
		return 0.0;
	return (x1 * x2 + y1 * y2) / lengths;
}

double dot_normalised_3d(double x1, double y1, double z1, double x2, double y2, double z2)
{
	float lengths = length_f((float)x1, (float)y1, (float)z1) * length_f((float)x2, (float)y2, (float)z2);
	if (lengths == 0.0f)
		return 0.0;
	return (x1 * x2 + y1 * y2 + z1 * z2) / lengths;
}

double median_of(std::span<double> values)
{
	if (values.empty())
		return 0.0;
	// NaNs sort last, so the order stays strict and weak.
	std::sort(values.begin(), values.end(), [](double a, double b) { return (!std::isnan(a) && std::isnan(b)) || a < b; });
	return values[values.size() / 2];
}
