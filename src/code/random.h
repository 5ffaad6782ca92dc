// random.h: the game's random generator: the linear congruential generator
// state = state * 214013 + 2531011, each draw giving (state >> 16) & 0x7FFF.
#pragma once

#include <cstdint>

// The seed and the state become the seed.
void random_set_seed(uint32_t seed);
// The remembered seed.
uint32_t random_get_seed();
// One draw: a 15-bit value, 0 to 32767.
int random_draw();
// A random index below n, as the engine's own shuffles and choices take it:
// f = draw / 32768 as a 32-bit float (0.9999 when f reaches 1), then trunc(n * f).
int random_index_below(int n);
