// read_sounds.cpp: the sound chunk (SOND) and the audio-data chunk (AUDO): the
// sound records, kept for the sound module, and the data block each sound
// takes; and their writers.
#include "data/readers.h"

#include "common/console.h"
#include "data/read_util.h"
#include "data/resource_writers.h"

namespace {

std::unique_ptr<SoundRecord> read_sound(const ByteReader &file, uint64_t at)
{
	auto s = std::make_unique<SoundRecord>();
	s->name = read_string_field(file, at, "a sound's name");
	s->kind = file.i32(at + 4);
	s->text1 = read_optional_string(file, at + 8);
	s->text2 = read_optional_string(file, at + 12);
	s->flags = file.u32(at + 16);
	s->volume = file.f32(at + 20);
	s->pan = file.f32(at + 24);
	s->preload = file.u32(at + 28) != 0;
	s->audio_index = file.i32(at + 32);
	return s;
}

} // namespace

bool read_sounds(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	dbg_console().Output("Sound_Init()\n");
	ByteReader file = game.file();
	game.sounds.clear();
	for (uint32_t at : list)
		game.sounds.push_back(at ? read_sound(file, at) : nullptr);
	return true;
}

// Each sound read so far takes the block at its audio index; an index outside
// the list or an empty slot leaves the sound without data.
bool read_audio(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	dbg_console().Output("Wave_Init()\n");
	ByteReader file = game.file();
	for (auto &sound : game.sounds) {
		if (!sound)
			continue;
		sound->has_data = false;
		sound->data_offset = sound->data_length = 0;
		int32_t index = sound->audio_index;
		if (index < 0 || (size_t)index >= list.size() || list[index] == 0)
			continue;
		uint32_t at = list[index];
		uint32_t length = file.u32(at);
		file.check((uint64_t)at + 4, length, "a sound's data block");
		sound->has_data = true;
		sound->data_offset = at + 4;
		sound->data_length = length;
	}
	return true;
}

ChunkBuilder &write_sounds(DataFileWriter &writer, const std::vector<const SoundRecord *> &sounds)
{
	ChunkBuilder &c = writer.chunk("SOND");
	size_t slots = write_list_slots(c, sounds.size());
	for (size_t i = 0; i < sounds.size(); i++) {
		const SoundRecord *s = sounds[i];
		if (!s)
			continue;
		point_slot_here(c, slots, i);
		c.string_ref(s->name).i32(s->kind).string_ref(s->text1).string_ref(s->text2).u32(s->flags);
		c.f32((float)s->volume).f32((float)s->pan).u32(s->preload).i32(s->audio_index);
	}
	return c;
}

ChunkBuilder &write_audio(DataFileWriter &writer, const std::vector<std::vector<uint8_t>> &blocks)
{
	ChunkBuilder &c = writer.chunk("AUDO");
	size_t slots = write_list_slots(c, blocks.size());
	for (size_t i = 0; i < blocks.size(); i++) {
		point_slot_here(c, slots, i);
		c.u32((uint32_t)blocks[i].size()).bytes(blocks[i].data(), blocks[i].size());
	}
	return c;
}
