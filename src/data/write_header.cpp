// write_header.cpp: the header chunk writer.
#include "data/game_data.h"
#include "data/writer.h"

ChunkBuilder &write_header(DataFileWriter &writer, const GameHeader &h, std::string_view name,
                           std::string_view config, std::string_view tag)
{
	ChunkBuilder &c = writer.chunk(tag);
	c.u8(h.flags).u8(h.major_version).u16(0);
	c.string_ref(name).string_ref(config);
	c.u32(h.last_instance_id).u32(h.last_tile_id).u32(h.game_id);
	if (h.major_version >= 8) {
		c.zeros(16); // offsets 24 to 39
		c.u32(h.window_width).u32(h.window_height).u32(h.window_flags);
		c.zeros(24).u32(0); // offsets 52 to 79
	} else {
		c.zeros(12); // offsets 24 to 35; the room order follows at 36
	}
	c.u32((uint32_t)h.room_order.size());
	for (int32_t room : h.room_order)
		c.i32(room);
	return c;
}
