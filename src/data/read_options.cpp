// read_options.cpp: the options chunk (OPTN): the option words, the game's
// constants, and the error-reporting options they steer.
#include "data/readers.h"

#include <charconv>

#include "code/errors.h"
#include "code/variable_list.h"
#include "data/read_util.h"
#include "data/writer.h"

void GameOptions::reset()
{
	words.fill(0);
	for (size_t offset : {12, 56, 60, 64, 68, 72, 76, 88, 112, 116})
		set_word(offset, 1);
	set_word(16, 100);
	set_word(108, 255);
	set_word(28, 0xFFFFFF);
	version_major = version_minor = 0;
}

namespace {

// The decimal value of a version constant's text; 0 when it is not a number.
int32_t version_number(const std::string &text)
{
	int32_t value = 0;
	std::from_chars(text.data(), text.data() + text.size(), value);
	return value;
}

} // namespace

void apply_game_options(const GameOptions &options)
{
	set_display_errors(options.display_errors());
	set_abort_on_all_errors(options.abort_on_all_errors());
	set_unset_variable_read_fails(options.unset_variable_error());
}

bool read_options(GameData &game, const Chunk &chunk, const std::vector<uint32_t> &)
{
	ByteReader file = game.file();
	if (chunk.size < 140)
		throw DataError(chunk.body, "the options record needs 140 bytes, the chunk holds " +
		                                std::to_string(chunk.size));
	GameOptions &o = game.options;
	for (size_t i = 0; i < GameOptions::WORDS; i++)
		o.words[i] = file.u32(chunk.body + 4 * i);
	// Offsets 92 and 96 are not read.
	o.set_word(92, 0);
	o.set_word(96, 0);
	if (game.in_a_window)
		o.set_word(0, 0);
	if (game.header.major_version < 5)
		o.set_word(132, 0);
	if (o.loading_image() != 0)
		file.check(o.loading_image(), 4, "the loading image entry");

	uint32_t count = file.u32(chunk.body + 136);
	uint64_t at = chunk.body + 140;
	if ((uint64_t)count * 8 > chunk.size - 140)
		throw DataError(chunk.body + 136, std::to_string(count) + " constants do not fit in the options chunk");
	game.user_constants.clear();
	game.user_constants.reserve(count);
	for (uint32_t i = 0; i < count; i++, at += 8) {
		UserConstant c{read_string_field(file, at, "a constant's name"), read_optional_string(file, at + 4)};
		if (c.name == "VersionMajor")
			o.version_major = version_number(c.value);
		else if (c.name == "VersionMinor")
			o.version_minor = version_number(c.value);
		game.user_constants.push_back(std::move(c));
	}
	apply_game_options(o);
	return true;
}

ChunkBuilder &write_options(DataFileWriter &writer, const GameOptions &options,
                            const std::vector<UserConstant> &constants)
{
	ChunkBuilder &c = writer.chunk("OPTN");
	for (uint32_t word : options.words)
		c.u32(word);
	c.u32((uint32_t)constants.size());
	for (const UserConstant &k : constants)
		c.string_ref(k.name).string_ref(k.value);
	return c;
}
