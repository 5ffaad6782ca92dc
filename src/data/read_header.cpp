// read_header.cpp: the header chunk (GEN8, GEN7, GENL).
#include "data/readers.h"

#include "code/builtin_variables.h"
#include "code/function_table.h"

namespace {

void read_common(GameData &game, const Chunk &chunk)
{
	ByteReader file = game.file();
	GameHeader &h = game.header;
	h.flags = file.u8(chunk.body + 0);
	h.major_version = file.u8(chunk.body + 1);
	h.name = file.u32(chunk.body + 4);
	h.config = file.u32(chunk.body + 8);
	if (h.name != 0)
		file.string(h.name);
	game.config_name = h.config != 0 ? std::string(file.string(h.config)) : std::string();
	if (h.major_version == 8) {
		if (chunk.size < 52)
			throw DataError(chunk.body, "the header is too short for its window size and flags");
		h.window_width = file.u32(chunk.body + 40);
		h.window_height = file.u32(chunk.body + 44);
		h.window_flags = file.u32(chunk.body + 48);
	}
}

} // namespace

void read_header_early(GameData &game, const Chunk &chunk)
{
	read_common(game, chunk);
	game.header.data_version = 800;
	register_builtin_families();
}

bool read_header(GameData &game, const Chunk &chunk, const std::vector<uint32_t> &)
{
	ByteReader file = game.file();
	GameHeader &h = game.header;
	if (chunk.tag == make_tag("GEN8"))
		h.data_version = 800;
	else
		h.data_version = 700;
	read_common(game, chunk);
	h.last_instance_id = file.u32(chunk.body + 12);
	h.last_tile_id = file.u32(chunk.body + 16);
	h.game_id = file.u32(chunk.body + 20);
	set_game_identity(h.game_id, h.flags);

	uint64_t order_at = h.major_version >= 8 ? 80 : 36;
	uint32_t count = file.u32(chunk.body + order_at);
	uint64_t end = order_at + 4 + (uint64_t)count * 4;
	if (end > chunk.size)
		throw DataError(chunk.body + order_at, "the room order claims " + std::to_string(count) +
		                                           " rooms, more than the header holds");
	h.room_order.assign(count, 0);
	for (uint32_t i = 0; i < count; i++)
		h.room_order[i] = file.i32(chunk.body + order_at + 4 + (uint64_t)i * 4);
	h.loaded = true;
	return true;
}
