// random.cpp: the game's random generator.
#include "code/random.h"

namespace {

uint32_t g_state = 2101988;
uint32_t g_seed = 2101988;

} // namespace

void random_set_seed(uint32_t seed)
{
	g_seed = seed;
	g_state = seed;
}

uint32_t random_get_seed() { return g_seed; }

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
