// prepare.h: the preparation sequence that runs after the main walk.
#pragma once

#include <string>

#include "data/game_data.h"

// The load-progress form's state: the bar's percentage and its caption.
struct LoadProgress
{
	int percent = 0;
	std::string caption;
};

// Runs every preparation step in order, writing each step's console line and
// moving the progress. A failing step shows its message and stops the sequence.
// Returns true when every step succeeded.
bool prepare_game(GameData &game, LoadProgress &progress);
