// variable_generation.h: a count raised whenever a variable found in a store
// may have moved or gone, or a name may reach another store: a store's
// variables reallocated, cleared, replaced or destroyed, a global declaration
// made or reset, the running code's self, other or run changed. The machine
// keeps the variables it found while the count stays the same.
#pragma once

#include <cstdint>

extern uint64_t g_variable_generation; // starts at 1: 0 marks nothing kept

inline void variables_moved() { g_variable_generation++; }
