// builtin_args.h: reading the arguments of a built-in routine. A missing argument
// reads as the real 0 or the empty text, so a routine never reads past argc.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

#include "code/value.h"

inline double arg_real(int argc, const Value *args, int i) { return i < argc ? args[i].real() : 0.0; }

// The text of a string argument; a real has no text and reads as "".
inline std::string_view arg_text(int argc, const Value *args, int i) { return i < argc ? args[i].text() : std::string_view(); }

// A real used as an integer: nearest, ties to even, saturated to the 32-bit range;
// NaN reads as 0.
inline int64_t real_to_index(double x)
{
	if (std::isnan(x))
		return 0;
	double r = std::nearbyint(x);
	if (r < -2147483648.0)
		return INT32_MIN;
	if (r > 2147483647.0)
		return INT32_MAX;
	return (int64_t)r;
}

inline int64_t arg_index(int argc, const Value *args, int i) { return real_to_index(arg_real(argc, args, i)); }
