// walk.h: the three walks over the chunks of a container.
#pragma once

#include <string>

#include "data/game_data.h"

struct LoadResult
{
	bool ok = true;       // false: an unknown chunk, a reader that failed, or damaged data
	std::string error;    // for damaged data: what is wrong, with the chunk and the offset
};

// First pass, before the window exists: string table, header, code and variable
// references. Damaged data gives an error; an unknown variable name ends the
// program as the variable binding says.
LoadResult first_pass(GameData &game);

// The main walk: every chunk is reported and handed to its reader. A function
// name of the FUNC chunk that cannot be bound shows its fatal error and fails
// the load with an empty error text.
LoadResult main_walk(GameData &game);

// The walk over the debug-information file in game.debug_block.
LoadResult debug_walk(GameData &game);
