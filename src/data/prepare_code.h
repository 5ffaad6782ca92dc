// prepare_code.h: the preparation steps that bind the code of scripts,
// timelines, objects and rooms.
#pragma once

#include "data/game_data.h"

bool prepare_script_code(GameData &game);
bool prepare_timeline_code(GameData &game);
// Also writes the objects to the console and builds the event lists.
bool prepare_object_code(GameData &game);
bool prepare_room_code(GameData &game);
