// maths.h: the numeric conventions of game code's mathematics: trigonometry
// through 32-bit floats with results near zero snapped to zero, directions in
// degrees on a screen whose y axis points down, and pi as the 32-bit float.
#pragma once

#include <span>

// Pi as the 32-bit float nearest to it.
constexpr double GAME_PI = 3.1415927410125732;

double deg_to_rad(double x);
double rad_to_deg(double x);

// A result rounded to a 32-bit float, 0 when its magnitude is below 1e-5.
double snap_trig(double r);
// f applied to x taken as a 32-bit float, then snapped.
double float_trig(double (*f)(double), double x);
// x as a 32-bit float lies within -1 .. 1 (the domain of arcsin and arccos).
bool in_unit_range(double x);
// The arc tangent of (y, x), both taken as 32-bit floats, snapped.
double float_arctan2(double y, double x);

double game_point_distance(double x1, double y1, double x2, double y2);
double game_point_distance_3d(double x1, double y1, double z1, double x2, double y2, double z2);
// The direction from (x1, y1) to (x2, y2) in degrees, 0 to 360, counter-clockwise
// with y pointing down.
double game_point_direction(double x1, double y1, double x2, double y2);
double game_lengthdir_x(double len, double dir);
double game_lengthdir_y(double len, double dir);

// The dot product divided by the two lengths (taken through 32-bit floats); 0
// when either vector has length 0.
double dot_normalised_2d(double x1, double y1, double x2, double y2);
double dot_normalised_3d(double x1, double y1, double z1, double x2, double y2, double z2);

// The element at index count / 2 of the ascending order (the upper middle); 0
// for none. The values are sorted in place.
double median_of(std::span<double> values);
