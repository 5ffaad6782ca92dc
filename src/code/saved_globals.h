// saved_globals.h: the global part of a saved game parsed apart from putting
// it in place, for a saved game that is read whole before any of it takes
// effect; and the global store made new at a game start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code/variable_list.h"

class StreamReader;

constexpr int32_t GLOBALS_SAVE_TAG = 700;

struct SavedGlobals
{
	CVariableList store;
	std::vector<uint8_t> flags;
};

// Reads what follows the 700 of the global part; fails with the reason (and
// the byte position) on damage.
bool read_saved_globals(StreamReader &in, SavedGlobals &out, std::string *error = nullptr);
void apply_saved_globals(SavedGlobals &saved);

// A game start: the global store emptied, keeping the `globalvar` declarations
// that compiled code made (declared again in the store).
void restart_global_variables();
