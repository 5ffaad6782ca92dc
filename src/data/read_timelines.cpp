// read_timelines.cpp: the timeline chunk (TMLN): timelines with their moments,
// and its writer.
#include "data/readers.h"

#include "data/read_util.h"
#include "data/resource_writers.h"

namespace {

std::unique_ptr<TimelineRecord> read_timeline(const GameData &game, uint32_t at)
{
	ByteReader file = game.file();
	auto t = std::make_unique<TimelineRecord>();
	t->name = read_string_field(file, at, "a timeline's name");
	uint32_t count = file.u32((uint64_t)at + 4);
	uint64_t pairs = (uint64_t)at + 8;
	check_count(file, pairs, count, 8, "the timeline's moments");
	t->moments.reserve(count);
	for (uint32_t i = 0; i < count; i++, pairs += 8) {
		TimelineMoment m;
		m.time = file.i32(pairs);
		m.code = read_action_list(game, file.u32(pairs + 4));
		t->moments.push_back(std::move(m));
	}
	return t;
}

} // namespace

bool read_timelines(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	game.timelines.clear();
	for (uint32_t at : list)
		game.timelines.push_back(at ? read_timeline(game, at) : nullptr);
	return true;
}

ChunkBuilder &write_timelines(DataFileWriter &writer, const std::vector<const TimelineRecord *> &timelines,
                              bool bytecode)
{
	ChunkBuilder &c = writer.chunk("TMLN");
	size_t slots = write_list_slots(c, timelines.size());
	for (size_t i = 0; i < timelines.size(); i++) {
		const TimelineRecord *t = timelines[i];
		if (!t)
			continue;
		point_slot_here(c, slots, i);
		c.string_ref(t->name).u32((uint32_t)t->moments.size());
		size_t pairs = c.pos();
		for (const TimelineMoment &m : t->moments)
			c.i32(m.time).u32(0);
		for (size_t k = 0; k < t->moments.size(); k++) {
			c.patch_ref(pairs + 8 * k + 4, c.index(), c.pos());
			write_action_list(c, t->moments[k].code, bytecode);
		}
	}
	return c;
}
