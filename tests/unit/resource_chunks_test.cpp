// resource_chunks_test.cpp: the resource chunk readers against files built by
// their writers, round trips, and damaged chunks.
#include <gtest/gtest.h>

#include "code/errors.h"
#include "code/function_table.h"
#include "code/script_table.h"
#include "code/variable_list.h"
#include "data/resource_writers.h"
#include "data/walk.h"
#include "test_util.h"
#include "world/object.h"

namespace {

GameHeader header(int major)
{
	GameHeader h;
	h.major_version = (uint8_t)major;
	h.last_instance_id = 100000;
	return h;
}

// Walks a built file; with bytecode the game is given `code_entries` entries.
LoadResult walk(GameData &game, DataFileWriter &w, size_t code_entries = 0, bool in_a_window = false)
{
	game.block.bytes = w.build();
	game.has_bytecode = code_entries > 0;
	game.code_entries.assign(code_entries, 8);
	game.in_a_window = in_a_window;
	ConsoleCapture quiet;
	return main_walk(game);
}

CodeRef text(const std::string &source)
{
	CodeRef c;
	c.source = source;
	return c;
}

CodeRef index(int32_t i)
{
	CodeRef c;
	c.index = i;
	return c;
}

std::unique_ptr<CObject> object(const std::string &name, int32_t parent = -1)
{
	auto o = std::make_unique<CObject>();
	o->name = name;
	o->parent_index = parent;
	return o;
}

void add_event(CObject &o, int32_t type, int32_t number, CodeRef code)
{
	auto e = std::make_unique<CEvent>();
	e->code = std::move(code);
	o.set_event(type, number, std::move(e));
}

} // namespace

TEST(OptionsChunk, DefaultsWithoutTheChunk)
{
	DataFileWriter w;
	write_header(w, header(8), "g", "c");
	GameData game;
	ASSERT_TRUE(walk(game, w).ok);
	const GameOptions &o = game.options;
	for (size_t on : {12, 56, 60, 64, 68, 72, 76, 88, 112, 116})
		EXPECT_TRUE(o.flag(on)) << on;
	for (size_t off : {0, 4, 8, 20, 24, 32, 48, 84, 104, 120, 124, 128, 132})
		EXPECT_FALSE(o.flag(off)) << off;
	EXPECT_EQ(o.word(16), 100u);
	EXPECT_EQ(o.word(108), 255u);
	EXPECT_EQ(o.window_colour(), 0xFFFFFFu);
	EXPECT_TRUE(game.user_constants.empty());
}

TEST(OptionsChunk, WordsConstantsAndSwitches)
{
	struct Case
	{
		int major;
		bool in_a_window;
		bool full_screen, create_first;
	} cases[] = {
		{8, false, true, true},
		{8, true, false, true},  // -inawindow forces full screen off
		{5, false, true, true},
		{4, false, true, false}, // the create-event order is read from version 5 on
	};
	for (const Case &k : cases) {
		GameOptions in;
		in.set_word(0, 1);
		in.set_word(28, 0x123456);
		in.set_word(116, 0);
		in.set_word(124, 1);
		in.set_word(128, 1);
		in.set_word(132, 1);
		in.set_word(92, 77); // not read
		DataFileWriter w;
		write_header(w, header(k.major), "g", "c");
		write_options(w, in, {{"VersionMajor", "3"}, {"Speed", "12"}, {"VersionMinor", "x"}});
		GameData game;
		LoadResult r = walk(game, w, 0, k.in_a_window);
		ASSERT_TRUE(r.ok) << r.error;
		const GameOptions &o = game.options;
		EXPECT_EQ(o.full_screen(), k.full_screen);
		EXPECT_EQ(o.create_event_first(), k.create_first);
		EXPECT_EQ(o.window_colour(), 0x123456u);
		EXPECT_EQ(o.word(92), 0u);
		EXPECT_EQ(o.version_major, 3);
		EXPECT_EQ(o.version_minor, 0);
		ASSERT_EQ(game.user_constants.size(), 3u);
		EXPECT_EQ(game.user_constants[1].name, "Speed");
		EXPECT_EQ(game.user_constants[1].value, "12");
		EXPECT_FALSE(display_errors());
		EXPECT_TRUE(abort_on_all_errors());
		EXPECT_TRUE(unset_variable_read_fails());
	}
	// A new walk puts the defaults back.
	DataFileWriter w;
	write_header(w, header(8), "g", "c");
	GameData game;
	ASSERT_TRUE(walk(game, w).ok);
	EXPECT_TRUE(display_errors());
	EXPECT_FALSE(abort_on_all_errors());
	EXPECT_FALSE(unset_variable_read_fails());
}

TEST(ObjectChunk, RecordsEventsAndParents)
{
	for (int major : {5, 6, 8}) {
		for (bool bytecode : {false, true}) {
			auto a = object("obj_a");
			a->sprite_index = 3;
			a->depth = -10;
			a->mask_index = 4;
			a->set_flag(CObject::SOLID, true);
			a->set_flag(CObject::PERSISTENT, true);
			a->physics.uses_physics = true;
			a->physics.points = {{1, 2}, {3, 4}};
			add_event(*a, EV_CREATE, 0, bytecode ? index(0) : text("x = 1"));
			add_event(*a, EV_KEYBOARD, 300, bytecode ? index(2) : text("k"));
			auto c = object("obj_c", 0);
			c->set_flag(CObject::VISIBLE, false);
			DataFileWriter w;
			write_header(w, header(major), "g", "c");
			write_objects(w, {a.get(), nullptr, c.get()}, major, bytecode);
			GameData game;
			LoadResult r = walk(game, w, bytecode ? 3 : 0);
			ASSERT_TRUE(r.ok) << r.error;
			ObjectTable &t = object_table();
			ASSERT_EQ(t.count(), 3);
			EXPECT_FALSE(t.exists(1)); // an empty slot keeps its index
			CObject *ra = t.find(0), *rc = t.find(2);
			ASSERT_TRUE(ra && rc);
			EXPECT_EQ(ra->name, "obj_a");
			EXPECT_EQ(ra->sprite_index, 3);
			EXPECT_EQ(ra->depth, -10);
			EXPECT_EQ(ra->mask_index, 4);
			EXPECT_TRUE(ra->solid() && ra->visible() && ra->persistent());
			EXPECT_FALSE(rc->visible());
			EXPECT_EQ(ra->physics.uses_physics, major >= 6);
			EXPECT_EQ(ra->physics.points.size(), major >= 6 ? 2u : 0u);
			EXPECT_EQ(rc->parent, ra);
			ASSERT_EQ(ra->events[EV_KEYBOARD].size(), 301u); // grows to the highest number + 1
			CEvent *key = ra->own_event(EV_KEYBOARD, 300);
			ASSERT_NE(key, nullptr);
			if (bytecode)
				EXPECT_EQ(key->code.index, 2);
			else
				EXPECT_EQ(key->code.source, "k");
			EXPECT_EQ(t.find_event(2, EV_CREATE, 0).holder, 0);
		}
	}
}

TEST(RoomChunk, RoomWithItsLists)
{
	RoomRecord room;
	room.name = "rm_start";
	room.caption = "Start";
	room.width = 640;
	room.height = 480;
	room.speed = 30;
	room.persistent = true;
	room.colour = 0x00FF00;
	room.creation_code = index(-1);
	room.views_enabled = true;
	RoomBackground b;
	b.visible = true;
	b.index = 2;
	b.x = 5;
	b.hspeed = -3;
	b.stretch = true;
	room.backgrounds.assign(8, RoomBackground{});
	room.backgrounds[0] = b;
	RoomView v;
	v.visible = true;
	v.wview = 320;
	v.object = 7;
	room.views.assign(8, RoomView{});
	room.views[1] = v;
	RoomInstance in;
	in.x = 10;
	in.y = 20;
	in.object = 1;
	in.id = 100004;
	in.creation_code = index(1);
	in.xscale = 2;
	in.colour = 0x80FF0000;
	in.angle = 90;
	room.instances = {in, in};
	room.instances[1].id = 100005;
	RoomTile tile;
	tile.depth = 1000;
	tile.id = 10000001;
	tile.width = 16;
	room.tiles = {tile};
	room.physics_world = true;
	room.gravity_x = 0;
	room.gravity_y = 10;
	room.physics_scale = 0.1f;

	DataFileWriter w;
	write_header(w, header(8), "g", "c");
	write_rooms(w, {nullptr, &room}, 8, true);
	GameData game;
	LoadResult r = walk(game, w, 2);
	ASSERT_TRUE(r.ok) << r.error;
	ASSERT_EQ(game.rooms.size(), 2u);
	EXPECT_EQ(game.rooms[0], nullptr);
	const RoomRecord &got = *game.rooms[1];
	EXPECT_EQ(got.name, "rm_start");
	EXPECT_EQ(got.caption, "Start");
	EXPECT_EQ(got.speed, 30u);
	EXPECT_TRUE(got.persistent);
	EXPECT_EQ(got.creation_code.index, -1);
	EXPECT_TRUE(got.creation_code.empty()); // -1: no creation code
	ASSERT_EQ(got.backgrounds.size(), 8u);
	EXPECT_EQ(got.backgrounds[0].index, 2);
	EXPECT_EQ(got.backgrounds[0].hspeed, -3.0f);
	EXPECT_EQ(got.backgrounds[0].blend, 0xFFFFFFu);
	EXPECT_TRUE(got.backgrounds[0].stretch);
	ASSERT_EQ(got.views.size(), 8u);
	EXPECT_EQ(got.views[1].wview, 320);
	EXPECT_EQ(got.views[1].object, 7);
	ASSERT_EQ(got.instances.size(), 2u);
	EXPECT_EQ(got.instances[1].id, 100005);
	EXPECT_EQ(got.instances[0].creation_code.index, 1);
	EXPECT_EQ(got.instances[0].colour, 0x80FF0000u);
	EXPECT_EQ(got.instances[0].angle, 90.0f);
	ASSERT_EQ(got.tiles.size(), 1u);
	EXPECT_EQ(got.tiles[0].id, 10000001);
	EXPECT_EQ(got.tiles[0].depth, 1000);
	EXPECT_TRUE(got.physics_world);
	EXPECT_EQ(got.gravity_y, 10);
}

TEST(ScriptChunk, ScriptsAreFoundByTheFunctionLookup)
{
	register_builtin_families();
	ScriptSource move{"scr_move", text("return 1")}, jump{"scr_jump", text("")};
	DataFileWriter w;
	write_header(w, header(8), "g", "c");
	write_scripts(w, {&move, nullptr, &jump}, false);
	GameData game;
	ASSERT_TRUE(walk(game, w).ok);
	ASSERT_EQ(script_table().count(), 3);
	EXPECT_EQ(script_table().find(0)->code.source, "return 1");
	EXPECT_EQ(script_table().find(1), nullptr);
	EXPECT_EQ(function_id("scr_jump"), SCRIPT_ID_BASE + 2);
	EXPECT_STREQ(script_hooks().name(0), "scr_move");
	EXPECT_EQ(function_id("scr_none"), -1);
}

TEST(TimelineAndPathChunks, MomentsAndPoints)
{
	TimelineRecord tl;
	tl.name = "tl_intro";
	tl.moments = {{0, text("a")}, {30, text("b")}, {5, text("")}};
	PathRecord path;
	path.name = "pth_loop";
	path.kind = 1;
	path.closed = true;
	path.precision = 4;
	path.points = {{0, 0, 100}, {10, 5, 50}};
	DataFileWriter w;
	write_header(w, header(8), "g", "c");
	write_timelines(w, {&tl}, false);
	write_paths(w, {nullptr, &path});
	GameData game;
	LoadResult r = walk(game, w);
	ASSERT_TRUE(r.ok) << r.error;
	ASSERT_EQ(game.timelines.size(), 1u);
	const TimelineRecord &t = *game.timelines[0];
	ASSERT_EQ(t.moments.size(), 3u);
	EXPECT_EQ(t.moments[1].time, 30); // file order is kept
	EXPECT_EQ(t.moments[1].code.source, "b");
	EXPECT_TRUE(t.moments[2].code.empty());
	ASSERT_EQ(game.paths.size(), 2u);
	const PathRecord &p = *game.paths[1];
	EXPECT_EQ(p.kind, 1u);
	EXPECT_TRUE(p.closed);
	ASSERT_EQ(p.points.size(), 2u);
	EXPECT_EQ(p.points[1].speed, 50.0f);
}

TEST(ExtensionChunk, PackagesFilesAndFunctions)
{
	ExtensionFunction f{"ext_add", 7, 12, 1, "ExtAdd", {0, 1, 0}};
	ExtensionFile file{"lib.so", "fin", "init", 1, {f}};
	ExtensionPackage pkg{"tag", "Pack", {file}};
	DataFileWriter w;
	write_header(w, header(8), "g", "c");
	write_extensions(w, {pkg});
	GameData game;
	LoadResult r = walk(game, w);
	ASSERT_TRUE(r.ok) << r.error;
	ASSERT_EQ(game.extensions.size(), 1u);
	ASSERT_EQ(game.extensions[0].files.size(), 1u);
	const ExtensionFile &got = game.extensions[0].files[0];
	EXPECT_EQ(got.init_function, "init");
	EXPECT_EQ(got.final_function, "fin");
	ASSERT_EQ(got.functions.size(), 1u);
	EXPECT_EQ(got.functions[0].external_name, "ExtAdd");
	EXPECT_EQ(got.functions[0].call_kind, 12u);
	EXPECT_EQ(got.functions[0].argument_types, (std::vector<uint32_t>{0, 1, 0}));
}

TEST(SoundChunks, SoundsTakeTheirDataBlocks)
{
	SoundRecord a, b, c;
	a.name = "snd_a";
	a.volume = 0.5;
	a.audio_index = 1;
	b.name = "snd_b";
	b.audio_index = 9; // outside the list: no data
	c.name = "snd_c";
	c.audio_index = -1;
	std::vector<std::vector<uint8_t>> blocks = {{1, 2}, {3, 4, 5}};
	for (bool audio_first : {false, true}) {
		DataFileWriter w;
		write_header(w, header(8), "g", "c");
		if (audio_first)
			write_audio(w, blocks);
		write_sounds(w, {&a, &b, &c});
		if (!audio_first)
			write_audio(w, blocks);
		write_included_files(w, {{9, 9}});
		GameData game;
		LoadResult r = walk(game, w);
		ASSERT_TRUE(r.ok) << r.error;
		ASSERT_EQ(game.sounds.size(), 3u);
		const SoundRecord &s = *game.sounds[0];
		EXPECT_EQ(s.volume, 0.5);
		EXPECT_EQ(s.has_data, !audio_first); // AUDO before SOND gives no sound data
		if (!audio_first) {
			ASSERT_EQ(s.data_length, 3u);
			EXPECT_EQ(game.block.bytes[s.data_offset + 2], 5);
		}
		EXPECT_FALSE(game.sounds[1]->has_data);
		EXPECT_FALSE(game.sounds[2]->has_data);
		EXPECT_EQ(game.included_files.size(), 1u); // kept, nothing built from it
	}
}

// Damaged chunks: each case breaks one word of a valid file; the load fails
// with an error naming the chunk and an offset, never a crash.
TEST(ResourceChunks, DamagedChunksGiveClearErrors)
{
	auto a = object("obj_a");
	add_event(*a, EV_STEP, 0, index(0));
	RoomRecord room;
	room.name = "rm";
	room.instances = {RoomInstance{}};
	TimelineRecord tl{"tl", {{1, index(0)}}};
	PathRecord path{"p", 0, false, 4, {{1, 2, 3}}};
	struct Case
	{
		const char *tag;
		std::function<void(DataFileWriter &)> write;
		size_t word; // body offset of the word to break
		uint32_t value;
		const char *expect;
	} cases[] = {
		{"OBJT", [&](DataFileWriter &w) { write_objects(w, {a.get()}, 8, true); }, 4, 0x7FFFFFF0, "past"},
		{"OBJT", [&](DataFileWriter &w) { write_objects(w, {a.get()}, 8, true); }, 8, 0, "no text"},
		// the physics point count
		{"OBJT", [&](DataFileWriter &w) { write_objects(w, {a.get()}, 8, true); }, 8 + 64, 0x40000000, "entries"},
		// the event type count
		{"OBJT", [&](DataFileWriter &w) { write_objects(w, {a.get()}, 8, true); }, 8 + 68, 0x10000000, "entries"},
		{"ROOM", [&](DataFileWriter &w) { write_rooms(w, {&room}, 8, true); }, 8 + 48, 0xFFFFFF00, "past"},
		{"ROOM", [&](DataFileWriter &w) { write_rooms(w, {&room}, 8, true); }, 8 + 32, 5, "code index 5"},
		{"TMLN", [&](DataFileWriter &w) { write_timelines(w, {&tl}, true); }, 8 + 4, 0x20000000, "entries"},
		{"PATH", [&](DataFileWriter &w) { write_paths(w, {&path}); }, 8 + 16, 0x20000000, "entries"},
		{"OPTN", [&](DataFileWriter &w) { write_options(w, GameOptions{}, {{"a", "1"}}); }, 136, 1000, "constants"},
	};
	for (const Case &k : cases) {
		DataFileWriter w;
		write_header(w, header(8), "g", "c");
		k.write(w);
		std::vector<uint8_t> bytes = w.build();
		// Find the chunk's body and break the word.
		size_t at = 8;
		while (std::string((const char *)&bytes[at], 4) != k.tag)
			at += 8 + (bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 | (size_t)bytes[at + 7] << 24);
		size_t word = at + 8 + k.word;
		for (int i = 0; i < 4; i++)
			bytes[word + i] = (uint8_t)(k.value >> (8 * i));
		GameData game;
		game.block.bytes = bytes;
		game.has_bytecode = true;
		game.code_entries.assign(1, 8);
		ConsoleCapture quiet;
		LoadResult r = main_walk(game);
		EXPECT_FALSE(r.ok) << k.tag << " " << k.word;
		EXPECT_NE(r.error.find(std::string("chunk ") + k.tag), std::string::npos) << r.error;
		EXPECT_NE(r.error.find(k.expect), std::string::npos) << r.error;
	}
}

TEST(ResourceChunks, EventNumbersAreBounded)
{
	auto a = object("obj_a");
	add_event(*a, EV_OTHER, 10, text("x"));
	DataFileWriter w;
	write_header(w, header(8), "g", "c");
	write_objects(w, {a.get()}, 8, false);
	std::vector<uint8_t> bytes = w.build();
	// Replace the number 10 of the only event entry by a huge one.
	GameData game;
	for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
		if (bytes[i] == 10 && bytes[i + 1] == 0 && bytes[i + 4] == 1) {
			bytes[i + 3] = 0x7F;
			break;
		}
	game.block.bytes = bytes;
	ConsoleCapture quiet;
	LoadResult r = main_walk(game);
	EXPECT_FALSE(r.ok);
	EXPECT_NE(r.error.find("too large"), std::string::npos) << r.error;
}
