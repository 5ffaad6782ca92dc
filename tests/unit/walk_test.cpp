// walk_test.cpp: the container, the header and string table, and the walks.
#include <gtest/gtest.h>

#include "data/chunk.h"
#include "data/walk.h"
#include "data/writer.h"
#include "test_util.h"

namespace {

GameHeader header8()
{
	GameHeader h;
	h.major_version = 8;
	h.last_instance_id = 100007;
	h.last_tile_id = 10000003;
	h.game_id = 4242;
	h.window_width = 800;
	h.window_height = 600;
	h.window_flags = 0x12;
	h.room_order = {2, 0, 1};
	return h;
}

void load(GameData &game, const std::vector<uint8_t> &bytes)
{
	game.block.bytes = bytes;
}

} // namespace

TEST(ChunkWalk, TagsReadLittleEndian)
{
	EXPECT_EQ(make_tag("GEN8"), 0x384E4547u);
	EXPECT_EQ(tag_text(make_tag("STRG")), "STRG");
}

TEST(ChunkWalk, HeaderAndStrings)
{
	DataFileWriter w;
	write_header(w, header8(), "My Game", "Release");
	GameData game;
	load(game, w.build());
	ConsoleCapture console;
	ASSERT_TRUE(first_pass(game).ok);
	EXPECT_EQ(game.header.data_version, 800);
	EXPECT_EQ(game.config_name, "Release");
	EXPECT_EQ(game.header.window_width, 800u);
	EXPECT_EQ(game.header.window_height, 600u);
	EXPECT_EQ(game.header.window_flags, 0x12u);
	ASSERT_EQ(game.strings.size(), 2u);
	EXPECT_EQ(game.string_by_index(0), "My Game");
	EXPECT_EQ(game.string_by_index(1), "Release");
	EXPECT_THROW(game.string_by_index(2), DataError);
	EXPECT_TRUE(console.text().empty()); // the first pass writes nothing

	LoadResult r = main_walk(game);
	EXPECT_TRUE(r.ok) << r.error;
	EXPECT_TRUE(game.header.loaded);
	EXPECT_EQ(game.game_name(), "My Game");
	EXPECT_EQ(game.header.last_instance_id, 100007u);
	EXPECT_EQ(game.header.last_tile_id, 10000003u);
	EXPECT_EQ(game.header.game_id, 4242u);
	EXPECT_EQ(game.header.room_order, (std::vector<int32_t>{2, 0, 1}));
	EXPECT_EQ(console.lines(), (std::vector<std::string>{"initialise everything!", "Process Chunk: GEN8   96",
	                                                      "Process Chunk: STRG   36"}));
}

TEST(ChunkWalk, OlderHeaderKeepsTheDefaultWindow)
{
	for (const char *tag : {"GEN7", "GENL"}) {
		GameHeader h = header8();
		h.major_version = 7;
		DataFileWriter w;
		write_header(w, h, "Old", "Default", tag);
		GameData game;
		load(game, w.build());
		ASSERT_TRUE(first_pass(game).ok);
		EXPECT_EQ(game.header.data_version, 800); // the first pass says 800 for every header tag
		ConsoleCapture console;
		ASSERT_TRUE(main_walk(game).ok);
		EXPECT_EQ(game.header.data_version, 700) << tag;
		EXPECT_EQ(game.header.window_width, 640u);
		EXPECT_EQ(game.header.window_height, 480u);
		EXPECT_EQ(game.header.window_flags, 2u);
		EXPECT_EQ(game.header.room_order, (std::vector<int32_t>{2, 0, 1})) << "read from offset 36";
	}
}

TEST(ChunkWalk, SecondHeaderReplacesTheFirst)
{
	DataFileWriter w;
	write_header(w, header8(), "First", "A");
	GameHeader second = header8();
	second.window_width = 1024;
	second.game_id = 7;
	second.room_order = {5};
	write_header(w, second, "Second", "B");
	GameData game;
	load(game, w.build());
	ASSERT_TRUE(first_pass(game).ok);
	EXPECT_EQ(game.config_name, "B");
	ConsoleCapture console;
	ASSERT_TRUE(main_walk(game).ok);
	EXPECT_EQ(game.game_name(), "Second");
	EXPECT_EQ(game.header.window_width, 1024u);
	EXPECT_EQ(game.header.game_id, 7u);
	EXPECT_EQ(game.header.room_order, std::vector<int32_t>{5});
}

TEST(ChunkWalk, UnknownZeroSizeAndHelpChunks)
{
	DataFileWriter w;
	write_header(w, header8(), "G", "C");
	w.chunk("XXXX");               // size 0: passed over without a word
	w.chunk("HELP").u32(1).u32(2); // passed over silently
	w.chunk("ZZZZ").u32(0);        // unknown: reported, walk goes on, fails
	w.chunk("SPRT").u32(2).u32(0).u32(0); // a list of two empty entries
	GameData game;
	load(game, w.build());
	ASSERT_TRUE(first_pass(game).ok);
	ConsoleCapture console;
	LoadResult r = main_walk(game);
	EXPECT_FALSE(r.ok);
	EXPECT_TRUE(r.error.empty()); // not damaged, only unknown
	uint32_t zzzz = make_tag("ZZZZ");
	EXPECT_EQ(console.lines(),
	          (std::vector<std::string>{"initialise everything!", "Process Chunk: GEN8   96", "Process Chunk: XXXX   0",
	                                    "Process Chunk: HELP   8", "Process Chunk: ZZZZ   4",
	                                    "unknown Chunk ZZZZ:" + std::to_string((int32_t)zzzz),
	                                    "Process Chunk: SPRT   12", "Process Chunk: STRG   24"}));
}

TEST(ChunkWalk, DamagedFilesGiveClearErrors)
{
	DataFileWriter w;
	write_header(w, header8(), "G", "C");
	w.strings_here();
	w.chunk("SPRT").u32(1).ref(0);
	const std::vector<uint8_t> good = w.build();
	const size_t header_body = 16, sprt = 8 + 8 + 96 + 8 + 24;

	struct Case
	{
		const char *name;
		std::vector<uint8_t> bytes;
		const char *expect; // a piece of the error text
	};
	auto with_u32 = [&](size_t at, uint32_t v) {
		std::vector<uint8_t> b = good;
		for (int i = 0; i < 4; i++)
			b[at + i] = (uint8_t)(v >> (8 * i));
		return b;
	};
	std::vector<uint8_t> cut = good;
	cut.resize(good.size() - 3);
	std::vector<uint8_t> cut_fixed = cut;
	cut_fixed[4] = (uint8_t)(cut.size() - 8);
	cut_fixed[5] = (uint8_t)((cut.size() - 8) >> 8);
	const Case cases[] = {
		{"size field too big", with_u32(4, (uint32_t)good.size()), "size field says"},
		{"file cut short", cut, "size field says"},
		{"tiny file", std::vector<uint8_t>{'F', 'O', 'R', 'M', 0, 0, 0, 0}, "too short"},
		{"last chunk cut short", cut_fixed, "runs past the end"},
		{"name offset past the end", with_u32(header_body + 4, 0x7FFFFFF0), "string"},
		{"list count too big", with_u32(sprt + 8, 1000000), "claims 1000000 entries"},
		{"list entry past the end", with_u32(sprt + 12, 0xFFFFFFF0), "points past the end"},
		{"room order too long", with_u32(header_body + 80, 0x40000000), "room order"},
		{"chunk size huge", with_u32(sprt + 4, 0xFFFFFFFF), "runs past the end"},
	};
	for (const Case &c : cases) {
		GameData game;
		load(game, c.bytes);
		ConsoleCapture console;
		LoadResult first = first_pass(game);
		LoadResult r = first.ok ? main_walk(game) : first;
		EXPECT_FALSE(r.ok) << c.name;
		EXPECT_NE(r.error.find(c.expect), std::string::npos) << c.name << ": " << r.error;
		EXPECT_NE(r.error.find("damaged"), std::string::npos) << c.name;
	}
}

TEST(ChunkWalk, ErrorNamesTheChunkAndOffset)
{
	DataFileWriter w;
	write_header(w, header8(), "G", "C");
	w.chunk("SPRT").u32(3).u32(0);
	GameData game;
	load(game, w.build());
	ASSERT_TRUE(first_pass(game).ok);
	ConsoleCapture console;
	LoadResult r = main_walk(game);
	EXPECT_FALSE(r.ok);
	EXPECT_NE(r.error.find("chunk SPRT at offset 112"), std::string::npos) << r.error;
}

TEST(ChunkWalk, DebugWalk)
{
	DataFileWriter w;
	ChunkBuilder &dbgi = w.chunk("DBGI");
	dbgi.u32(2).ref(12).u32(0).u32(0);
	ChunkBuilder &scpt = w.chunk("SCPT");
	scpt.u32(1).ref(8).string_ref("scr_main");
	w.chunk("NONE");
	GameData game;
	game.debug_block.bytes = w.build();
	ConsoleCapture console;
	LoadResult r = debug_walk(game);
	EXPECT_TRUE(r.ok) << r.error;
	EXPECT_EQ(game.debug_info.size(), 2u);
	EXPECT_EQ(game.debug_info[1], 0u);
	ASSERT_EQ(game.script_sources.size(), 1u);
	EXPECT_EQ(game.debug_block.file().string(game.debug_block.file().u32(game.script_sources[0])), "scr_main");
	EXPECT_EQ(game.debug_strings.size(), 1u);
	EXPECT_EQ(console.lines(), (std::vector<std::string>{"Process Chunk: DBGI   16", "Process Chunk: SCPT   12",
	                                                      "Process Chunk: STRG   21"}));
}

TEST(ChunkWalk, CodeEntriesInTheFirstPass)
{
	DataFileWriter w;
	write_header(w, header8(), "G", "C");
	ChunkBuilder &code = w.chunk("CODE");
	code.u32(2).ref(12).u32(0).string_ref("gml_Object_obj_a_Create_0").u32(0);
	GameData game;
	load(game, w.build());
	ASSERT_TRUE(first_pass(game).ok);
	EXPECT_TRUE(game.has_bytecode);
	ASSERT_EQ(game.code_entries.size(), 2u);
	EXPECT_EQ(game.file().string(game.file().u32(game.code_entries[0])), "gml_Object_obj_a_Create_0");
	EXPECT_EQ(game.code_entries[1], 0u);
}
