// read_paths.cpp: the path chunk (PATH): path records with their points, and
// the path table made from them; and the chunk's writer.
#include "data/readers.h"

#include "data/read_util.h"
#include "data/resource_writers.h"
#include "world/path.h"

namespace {

std::unique_ptr<PathRecord> read_path(const ByteReader &file, uint64_t at)
{
	auto p = std::make_unique<PathRecord>();
	p->name = read_string_field(file, at, "a path's name");
	p->kind = file.u32(at + 4);
	p->closed = file.u32(at + 8) != 0;
	p->precision = file.u32(at + 12);
	uint32_t count = file.u32(at + 16);
	at += 20;
	check_count(file, at, count, 12, "the path's points");
	p->points.reserve(count);
	for (uint32_t i = 0; i < count; i++, at += 12)
		p->points.push_back({file.f32(at), file.f32(at + 4), file.f32(at + 8)});
	return p;
}

} // namespace

bool read_paths(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	ByteReader file = game.file();
	game.paths.clear();
	for (uint32_t at : list)
		game.paths.push_back(at ? read_path(file, at) : nullptr);
	// The path table of the running game: the curves computed once.
	std::vector<std::unique_ptr<CPath>> &table = path_table();
	table.clear();
	for (const auto &p : game.paths)
		table.push_back(p ? make_path(*p) : nullptr);
	return true;
}

ChunkBuilder &write_paths(DataFileWriter &writer, const std::vector<const PathRecord *> &paths)
{
	ChunkBuilder &c = writer.chunk("PATH");
	size_t slots = write_list_slots(c, paths.size());
	for (size_t i = 0; i < paths.size(); i++) {
		const PathRecord *p = paths[i];
		if (!p)
			continue;
		point_slot_here(c, slots, i);
		c.string_ref(p->name).u32(p->kind).u32(p->closed).u32(p->precision).u32((uint32_t)p->points.size());
		for (const PathPoint &pt : p->points)
			c.f32(pt.x).f32(pt.y).f32(pt.speed);
	}
	return c;
}
