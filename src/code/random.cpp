// random.cpp: the game's random generator and the random numbers built on it.
#include "code/random.h"

#include <cmath>

#include "common/game_clock.h"

namespace {

uint32_t g_state = 2101988;
uint32_t g_seed = 2101988;

// A draw as the fraction r / 32768, which a 32-bit float holds exactly.
double draw_fraction() { return (double)((float)random_draw() / 32768.0f); }

} // namespace

void random_set_seed(uint32_t seed)
{
	g_seed = seed;
	g_state = seed;
}

uint32_t random_get_seed() { return g_seed; }

uint32_t random_seed_from_time(uint64_t t)
{
	uint32_t sum = (uint32_t)t + (uint32_t)(t >> 32);
	return sum ^ (uint32_t)((t >> 16) & 0xFFFF) ^ (uint32_t)((t & 0xFFFF) << 16);
}

uint32_t randomize()
{
	uint32_t seed = random_seed_from_time(clock_seed_ticks());
	random_set_seed(seed);
	return seed;
}

int random_draw()
{
	g_state = g_state * 214013u + 2531011u;
	return (int)((g_state >> 16) & 0x7FFF);
}

int random_index_below(int n)
{
	float f = (float)random_draw() / 32768.0f;
	if (f >= 1.0f)
		f = 0.9999f;
	return (int)((float)n * f);
}

double random_real(double x)
{
	if (x == 0)
		return 0.0;
	double r1 = draw_fraction();
	double v = random_draw() + r1;
	if (std::fabs(x) > 32768.0)
		return v / 32768.0 * x;
	if (x < 0)
		v = -v;
	return std::fmod(v, x);
}

double random_real_range(double a, double b)
{
	return draw_fraction() * std::fabs(a - b) + std::fmin(a, b);
}

double random_integer(double n)
{
	double m = std::trunc(n);
	double count = m < 0 ? m - 1 : m + 1;
	return std::trunc(draw_fraction() * count);
}

double random_integer_range(double a, double b)
{
	double lo = std::trunc(std::fmin(a, b));
	double hi = std::trunc(std::fmax(a, b));
	return lo + std::trunc(draw_fraction() * (hi - lo + 1));
}
