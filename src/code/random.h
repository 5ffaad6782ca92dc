// random.h: the game's random generator: the linear congruential generator
// state = state * 214013 + 2531011, each draw giving (state >> 16) & 0x7FFF.
// The seed at start-up is 2101988.
#pragma once

#include <cstdint>

// The seed and the state become the seed.
void random_set_seed(uint32_t seed);
// The remembered seed.
uint32_t random_get_seed();
// A new seed built from the high-resolution clock; remembered, given to the
// generator and returned.
uint32_t randomize();
// The seed made from a 64-bit clock value: the sum of its two 32-bit halves,
// mixed with its low 16 bits in both halves.
uint32_t random_seed_from_time(uint64_t t);
// One draw: a 15-bit value, 0 to 32767.
int random_draw();
// A random index below n, as the engine's own shuffles and choices take it:
// f = draw / 32768 as a 32-bit float (0.9999 when f reaches 1), then trunc(n * f).
int random_index_below(int n);

// `random`: two draws, v = r2 + r1 / 32768, the sign of x; 0 when x is 0. Up to
// a magnitude of 32768 the result is v modulo x; above it v / 32768 is scaled to
// x, so that every result lies below |x| and the whole range is reached.
double random_real(double x);
// `random_range`: one draw, (r / 32768) * |a - b| + min(a, b).
double random_real_range(double a, double b);
// `irandom`: one draw, the integer part of (r / 32768) * (trunc(n) + 1), so 0 to
// trunc(n); for a negative n the count is trunc(n) - 1, so trunc(n) to 0.
double random_integer(double n);
// `irandom_range`: one draw, lo + the integer part of (r / 32768) * (hi - lo + 1)
// with lo and hi the truncated ends in ascending order.
double random_integer_range(double a, double b);
