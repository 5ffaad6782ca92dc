// sample.cpp: a tiny built-in game: a header, its name and an empty room order.
#include "sample.h"

#include "data/game_data.h"
#include "data/writer.h"

std::vector<uint8_t> build_sample_game()
{
	DataFileWriter writer;
	GameHeader h;
	h.major_version = 8;
	h.flags = 0;
	h.last_instance_id = 100000;
	h.last_tile_id = 10000000;
	h.game_id = 1;
	h.window_width = 320;
	h.window_height = 240;
	h.window_flags = WINDOW_VSYNC | WINDOW_SHOW_CURSOR;
	write_header(writer, h, "Sample", "Default");
	return writer.build();
}
