// readers_pending.cpp: readers of chunks whose resources are not built yet.
// They accept the chunk as it is; each moves to a file of its own when its
// resource kind is built.
#include "data/readers.h"

#include "code/script_table.h"
#include "graphics/images.h"
#include "world/object.h"
#include "world/path.h"

bool read_nothing(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }

void reset_resources(GameData &game)
{
	game.header.room_order.clear();
	game.options.reset();
	apply_game_options(game.options);
	game.user_constants.clear();
	game.rooms.clear();
	game.timelines.clear();
	game.paths.clear();
	path_table().clear();
	game.sounds.clear();
	game.extensions.clear();
	game.included_files.clear();
	object_table().clear();
	script_table().clear();
	clear_images();
}
