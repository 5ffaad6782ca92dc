// readers_pending.cpp: readers of chunks whose resources are not built yet.
// They accept the chunk as it is; each moves to a file of its own when its
// resource kind is built.
#include "data/readers.h"

bool read_nothing(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_options(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_extensions(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_sounds(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_audio(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_sprites(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_backgrounds(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_paths(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_scripts(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_fonts(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_timelines(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_objects(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_rooms(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_texture_pages(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }
bool read_textures(GameData &, const Chunk &, const std::vector<uint32_t> &) { return true; }

void reset_resources(GameData &game)
{
	game.header.room_order.clear();
}
