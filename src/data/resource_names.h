// resource_names.h: the names of a loaded game's resources with their indices,
// which game code compiled from text reads as constants.
#pragma once

#include <vector>

#include "code/constants.h"
#include "data/game_data.h"

// Every named resource, kind by kind in the order the packer defines them
// (backgrounds, fonts, objects, paths, rooms, scripts, sounds, sprites,
// timelines), so that a name used by two kinds means the same resource in
// compiled code and in code compiled from text.
std::vector<ResourceName> resource_names(const GameData &game);
