// read_included_files.cpp: the included-file chunk (DAFL). Its list of offsets
// is checked and kept; no included-file records are built from it, so the
// preparation step that extracts included files has nothing to write.
#include "data/readers.h"

#include "data/read_util.h"
#include "data/resource_writers.h"

bool read_included_files(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	game.included_files = list;
	return true;
}

ChunkBuilder &write_included_files(DataFileWriter &writer, const std::vector<std::vector<uint8_t>> &files)
{
	ChunkBuilder &c = writer.chunk("DAFL");
	size_t slots = write_list_slots(c, files.size());
	for (size_t i = 0; i < files.size(); i++) {
		point_slot_here(c, slots, i);
		c.u32((uint32_t)files[i].size()).bytes(files[i].data(), files[i].size());
	}
	return c;
}
