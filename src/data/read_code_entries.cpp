// read_code_entries.cpp: the first pass over the CODE chunk.
#include "data/readers.h"

void read_code_entries(GameData &game, const Chunk &chunk)
{
	ByteReader file = game.file();
	game.has_bytecode = true;
	game.code_entries = read_offset_list(file, chunk.body, chunk.body + chunk.size, "code entries");
	for (uint32_t entry : game.code_entries) {
		if (entry == 0)
			continue;
		uint32_t name = file.u32(entry);
		if (name != 0)
			file.string(name);
	}
}
