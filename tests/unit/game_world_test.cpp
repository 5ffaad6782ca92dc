// game_world_test.cpp: whole games read from their printed lines: persistent
// rooms, create event and creation code order, inherited events, `with`
// orders, saving and loading the game, the room rows and what a restart
// clears.
#include "builtin_call.h"
#include "code/errors.h"
#include "code/variables.h"
#include "common/file_util.h"
#include "game_fixture.h"
#include "graphics/images.h"
#include "run/game_save.h"
#include "run/rooms.h"
#include "world/instances.h"
#include "test_util.h"

namespace {

std::string show(const std::string &expression) { return "show_debug_message(" + expression + ");"; }

// The printed lines without the error reports: each is "ERROR!!! :: " and the
// six lines of its context and one-line message.
Lines without_errors(const Lines &lines)
{
	Lines kept;
	for (size_t i = 0; i < lines.size(); i++) {
		if (lines[i].rfind("ERROR!!! :: ", 0) == 0)
			i += 6;
		else
			kept.push_back(lines[i]);
	}
	return kept;
}

class GameWorldTest : public GameTest
{
protected:
	Lines creation_order(bool create_first)
	{
		CObject &a = object("a");
		on(a, EV_CREATE, 0, show("\"create \" + string(id - 100000) + \" sees \" + string(v)") + "v = 1;");
		on(a, EV_OTHER, 4, show("\"start \" + string(id - 100000) + \" v \" + string(v)"));
		RoomRecord &r = room();
		for (int k = 0; k < 2; k++)
			place(r, 0, 10, 10, show("\"code \" + string(id - 100000)") + "v = 2;");
		options.set_word(132, create_first);
		return play(0);
	}
};

} // namespace

TEST_F(GameWorldTest, PersistentRoomKeepsItsInstances)
{
	CObject &a = object("a");
	on(a, EV_CREATE, 0, "n = 0;" + say("a create"));
	on(a, EV_OTHER, 4, show("\"a room start \" + string(n)"));
	on(a, EV_STEP, EV_STEP_NORMAL, "n += 1; room_goto(1);");
	CObject &b = object("b");
	on(b, EV_CREATE, 0, say("b create"));
	on(b, EV_STEP, EV_STEP_NORMAL, "room_goto(0);");
	RoomRecord &first = room();
	first.persistent = true;
	first.creation_code = code_text(say("room code"));
	place(first, 0);
	place(room(), 1);
	// The second visit of room 0 makes nothing again and keeps n; room 1 is
	// made anew each time.
	Lines expected = {"a create", "room code", "a room start 0", "b create", "a room start 1", "b create",
	                  "a room start 2"};
	EXPECT_EQ(play(4), expected);
}

TEST_F(GameWorldTest, RestartOfAPersistentRoomKeepsItsInstances)
{
	CObject &a = object("a");
	on(a, EV_CREATE, 0, "n = 0;" + say("create"));
	on(a, EV_OTHER, 4, show("\"room start \" + string(n)"));
	on(a, EV_OTHER, 5, say("room end"));
	on(a, EV_STEP, EV_STEP_NORMAL, "n += 1; if (n == 1) room_restart();");
	RoomRecord &r = room();
	r.persistent = true;
	r.creation_code = code_text(say("room code"));
	place(r, 0);
	EXPECT_EQ(play(2), (Lines{"create", "room code", "room start 0", "room end", "room start 1", "room end"}));
}

// With the option off the creation code runs first and the create event sees
// and overrides its values; with it on the creation code has the last word.
// Instances are made from the last placed to the first.
TEST_F(GameWorldTest, CreationCodeBeforeTheCreateEvent)
{
	EXPECT_EQ(creation_order(false), (Lines{"code 2", "create 2 sees 2", "code 1", "create 1 sees 2", "start 1 v 1",
	                                        "start 2 v 1"}));
}

TEST_F(GameWorldTest, CreateEventBeforeTheCreationCode)
{
	EXPECT_EQ(creation_order(true), (Lines{"create 2 sees 0", "code 2", "create 1 sees 0", "code 1", "start 1 v 2",
	                                       "start 2 v 2"}));
}

TEST_F(GameWorldTest, ChildrenInheritTheirParentsEvents)
{
	CObject &parent = object("parent");
	on(parent, EV_CREATE, 0, show("\"parent create for \" + object_get_name(object_index)"));
	on(parent, EV_STEP, EV_STEP_NORMAL, show("\"parent step for \" + object_get_name(object_index)"));
	on(parent, EV_ALARM, 0, say("parent alarm"));
	CObject &child = object("child");
	child.parent_index = 0;
	on(child, EV_CREATE, 0, "event_inherited();" + say("child create") + "alarm[0] = 1;");
	CObject &grandchild = object("grandchild");
	grandchild.parent_index = 1;
	on(grandchild, EV_STEP, EV_STEP_NORMAL, say("grandchild step"));
	RoomRecord &r = room();
	place(r, 0);
	place(r, 1);
	place(r, 2);
	// Created from the last placed to the first; the grandchild takes the
	// child's create event (and through it the parent's) but has its own step.
	// The alarms set in the create events fire in the first step.
	Lines expected = {"parent create for grandchild", "child create", "parent create for child", "child create",
	                  "parent create for parent",
	                  "parent alarm", "parent alarm", "parent step for parent", "parent step for child",
	                  "grandchild step",
	                  "parent step for parent", "parent step for child", "grandchild step"};
	EXPECT_EQ(play(2), expected);
}

TEST_F(GameWorldTest, WithVisitsInItsOrders)
{
	CObject &a = object("a");
	on(a, EV_CREATE, 0, "tag = chr(ord(\"A\") + id - 100001);");
	CObject &b = object("b");
	on(b, EV_CREATE, 0, "tag = chr(ord(\"A\") + id - 100001);");
	CObject &boss = object("boss");
	on(boss, EV_CREATE, 0, "tag = \"M\";");
	on(boss, EV_STEP, EV_STEP_NORMAL,
	   "s = \"\"; with (0) other.s += tag; with (1) other.s += tag; with (100002) other.s += tag;"
	   "with (all) other.s += tag; with (noone) other.s += \"?\";" +
	           show("s"));
	RoomRecord &r = room();
	for (int32_t o : {0, 0, 0, 1, 1, 2})
		place(r, o);
	// Three instances of a: from the last to the first; two of b: in order;
	// all: the room's list from its tail.
	EXPECT_EQ(play(1), (Lines{"CBADEBMEDCBA"}));
}

TEST_F(GameWorldTest, SaveAndLoadRoundTrip)
{
	TempDir dir;
	std::string file = dir.file("slot.sav");
	// A data-structure list counts the steps: the saved game does not hold
	// data structures, so the count goes on through the load.
	CObject &a = object("a");
	on(a, EV_CREATE, 0, "ds_list_create(); v = 10; global.g = 1; score = 3; alarm[1] = 5;");
	on(a, EV_STEP, EV_STEP_NORMAL,
	   "phase = ds_list_size(0); ds_list_add(0, phase);"
	   "if (phase == 0) { game_save(\"" + file + "\"); v = 20; global.g = 2; score = 7; alarm[1] = 9;"
	   "  instance_create(0, 0, 2); room_goto(1); }"
	   "else " + show("\"room \" + string(room) + \" v \" + string(v) + \" g \" + string(global.g) + \" score \" + "
	                 "string(score) + \" alarm \" + string(alarm[1]) + \" made \" + string(instance_number(2)) + "
	                 "\" next id \" + string(instance_create(0, 0, 2))"));
	on(a, EV_STEP, EV_STEP_END, show("\"a end \" + string(phase)"));
	CObject &b = object("b");
	on(b, EV_STEP, EV_STEP_NORMAL,
	   "phase = ds_list_size(0); ds_list_add(0, phase);" +
	           show("\"room \" + string(room) + \" g \" + string(global.g) + \" made \" + string(instance_number(2))") +
	           "game_load(\"" + file + "\");");
	on(b, EV_STEP, EV_STEP_END, say("b end"));
	CObject &made = object("made");
	made.set_flag(CObject::PERSISTENT, true);
	place(room(), 0);
	place(room(), 1);
	// Step 1 saves, changes everything, makes a persistent instance and leaves;
	// step 2 loads, which stops the step; step 3 runs in the saved state.
	Lines expected = {"room 1 g 2 made 1", "room 0 v 10 g 1 score 3 alarm 5 made 0 next id 200001", "a end 2"};
	EXPECT_EQ(play(3), expected);
	EXPECT_TRUE(file_exists(file));
	EXPECT_FALSE(file_exists(file + ".tmp"));
}

TEST_F(GameWorldTest, LoadRestoresKeptPersistentRoomsAndDeactivatedInstances)
{
	TempDir dir;
	std::string file = dir.file("slot.sav");
	const char *count = "phase = ds_list_size(0); ds_list_add(0, phase);";
	CObject &a = object("a");
	on(a, EV_CREATE, 0, "ds_list_create(); v = 1; instance_deactivate_object(2);");
	on(a, EV_STEP, EV_STEP_NORMAL,
	   std::string(count) + "if (phase == 0) { v = 5; room_goto(1); }"
	   "if (phase == 2) { v = 9; room_goto(1); }"
	   "if (phase == 5) {" +
	           show("\"back v \" + string(v) + \" exists \" + string(instance_exists(100002)) + \" number \" + "
	                "string(instance_number(2))") +
	           "instance_activate_all();" + show("string(instance_number(2))") + "}");
	CObject &b = object("b");
	on(b, EV_STEP, EV_STEP_NORMAL,
	   std::string(count) + "if (phase == 1) { game_save(\"" + file + "\"); room_goto(0); }" +
	           "if (phase == 3) game_load(\"" + file + "\");" + "if (phase == 4) {" +
	           show("\"loaded in room \" + string(room)") + "room_goto(0); }");
	object("d");
	RoomRecord &first = room();
	first.persistent = true;
	place(first, 0);
	place(first, 2);
	place(room(), 1);
	// Saved in room 1 while room 0 was kept with v 5; room 0 is changed to v 9
	// after the save, and the load brings back the kept room as saved.
	EXPECT_EQ(play(6), (Lines{"loaded in room 1", "back v 5 exists 1 number 0", "1"}));
}

TEST_F(GameWorldTest, DamagedSavesAreRefusedAndChangeNothing)
{
	TempDir dir;
	std::string file = dir.file("slot.sav"), bad = dir.file("bad.sav");
	dir.write("bad.sav", std::string("not a saved game at all"));
	CObject &a = object("a");
	on(a, EV_CREATE, 0, "v = 1; global.g = 1;");
	on(a, EV_STEP, EV_STEP_NORMAL,
	   "game_save(\"" + file + "\"); v = 2; game_load(\"" + bad + "\");" +
	           show("string(string_pos(\"bad.sav: this is not a saved game\", error_last) > 0)") +
	           "game_load(\"" + dir.file("missing.sav") + "\");" + show("string(v)"));
	on(a, EV_STEP, EV_STEP_END, say("end"));
	place(room(), 0);
	Lines lines = without_errors(play(1));
	// The game went on untouched, to the end of the step.
	EXPECT_EQ(lines, (Lines{"1", "2", "end"}));
	EXPECT_NE(error_last().find("Unable to load the game from " + dir.file("missing.sav") + ": "),
	          std::string::npos)
	        << error_last();

	// Every shortened copy of a good save, and copies with a byte changed in
	// the header or the counts, are refused without harm.
	std::vector<uint8_t> bytes;
	std::string error;
	ASSERT_TRUE(read_file(file, bytes, error));
	SavedGame whole;
	ASSERT_TRUE(read_saved_game(game, bytes, whole, error)) << error;
	for (size_t cut = 0; cut < bytes.size(); cut += cut < 64 ? 1 : 3) {
		SavedGame saved;
		std::span<const uint8_t> part(bytes.data(), cut);
		EXPECT_FALSE(read_saved_game(game, part, saved, error)) << cut;
		EXPECT_NE(error.find("at byte"), std::string::npos) << error;
	}
	struct Case
	{
		size_t at;
		uint8_t value;
		const char *reason;
	} cases[] = {
		{0, 0x00, "this is not a saved game"},
		{4, 0x02, "unknown version 2"},
		{8, 0x01, "belongs to another game"},
		{bytes.size() - 1, 0x00, "does not end where its data ends"},
	};
	for (const Case &c : cases) {
		std::vector<uint8_t> changed = bytes;
		changed[c.at] = c.value;
		SavedGame saved;
		EXPECT_FALSE(read_saved_game(game, changed, saved, error));
		EXPECT_NE(error.find(c.reason), std::string::npos) << error;
	}
	std::vector<uint8_t> longer = bytes;
	longer.push_back(0);
	SavedGame saved;
	EXPECT_FALSE(read_saved_game(game, longer, saved, error));
}

// The fuzz seed is written by hand from the documented layout: the reader
// takes it, and putting it in place gives the rooms and instances it lists.
TEST_F(GameWorldTest, SaveWrittenFromTheDocumentedLayout)
{
	std::vector<uint8_t> bytes;
	std::string error;
	ASSERT_TRUE(read_file(std::string(ZENTRIX_SOURCE_DIR) + "/tests/fuzz/seeds/fuzz_saved_game/one_room", bytes, error))
	        << error;
	for (int i = 0; i < 2; i++) {
		auto o = std::make_unique<CObject>();
		o->name = "o" + std::to_string(i);
		object_table().put(i, std::move(o));
		game.rooms.push_back(std::make_unique<RoomRecord>());
		game.header.room_order.push_back(i);
	}
	SavedGame saved;
	ASSERT_TRUE(read_saved_game(game, bytes, saved, error)) << error;
	EXPECT_EQ(saved.values.score, 3);
	EXPECT_EQ(saved.values.caption_score, "Score: ");
	EXPECT_TRUE(saved.values.show_score);
	EXPECT_EQ(saved.last_instance_id, 100005);
	ASSERT_EQ(saved.rooms.size(), 1u);
	const SavedRoom &room = saved.rooms[0];
	EXPECT_EQ(room.record.caption, "Hall");
	EXPECT_TRUE(room.record.persistent);
	EXPECT_TRUE(room.record.show_colour);
	ASSERT_EQ(room.tiles.size(), 1u);
	EXPECT_EQ(room.tiles[0].x, 16.0f);
	EXPECT_EQ(room.tiles[0].depth, 100.0f);
	ASSERT_EQ(room.active.size(), 2u);
	EXPECT_EQ(room.active[1]->object_index, 1);
	EXPECT_TRUE(room.active[1]->created);
	ASSERT_EQ(room.deactivated.size(), 1u);

	apply_saved_game(game, saved);
	EXPECT_EQ(room_state().current_index, 0);
	EXPECT_EQ(call_builtin("instance_number", {0}).real(), 1); // the deactivated one is not counted
	EXPECT_EQ(call_builtin("instance_exists", {100003}).real(), 1);
	EXPECT_EQ(last_instance_id(), 100005);
	Value v;
	ASSERT_TRUE(global_get(100000, 0, v));
	EXPECT_EQ(v.real(), 2.5);
	game_end(game);
}

TEST_F(GameWorldTest, RoomRows)
{
	const char *const cases[][2] = {
		{"v = string(room_width) + \"x\" + string(room_height);", "100x100"},
		{"room_caption = \"Hall\"; v = room_caption;", "Hall"},
		{"room_persistent = -1; v = room_persistent;", "0"},
		{"room_persistent = 0.7; v = room_persistent;", "1"},
		{"room_speed = 0; v = room_speed;", "30"},
		{"v = string_pos(\"Trying to set the room speed to a value <= 0.\", error_last) > 0;", "1"},
		{"room_speed = 59.5; v = room_speed;", "60"},
		{"background_color = 255; background_showcolor = 1; v = string(background_color) + string(background_showcolor);",
		 "2551"},
		{"v = room_get_name(0) + room_get_name(1) + room_get_name(-1);", "room0room1<undefined>"},
		{"v = string(room_first) + string(room_last);", "01"},
	};
	std::string code;
	Lines expected;
	for (const auto &c : cases) {
		code += std::string(c[0]) + show("string(v)");
		expected.push_back(c[1]);
	}
	CObject &a = object("a");
	on(a, EV_CREATE, 0, code);
	place(room(), 0);
	room();
	EXPECT_EQ(without_errors(play(0)), expected);
}

TEST_F(GameWorldTest, SpriteAndPathRows)
{
	on_loaded = [] {
		auto sprite = std::make_unique<CSprite>();
		sprite->width = 32;
		sprite->height = 16;
		sprite->x_origin = 8;
		sprite->y_origin = 4;
		images().sprites.push_back(std::move(sprite));
	};
	const char *const cases[][2] = {
		{"image_xscale = 2; v = string(sprite_width) + \" \" + string(sprite_height) + \" \" + "
		 "string(sprite_xoffset) + \" \" + string(sprite_yoffset);",
		 "64 16 16 4"},
		{"sprite_index = 5; v = sprite_width + sprite_yoffset;", "0"}, // no such sprite
		{"path_position = 1.5; path_positionprevious = -2; v = string(path_position) + string(path_positionprevious);",
		 "10"},
		{"path_position = 0.25; path_speed = -3; v = string(path_position) + \" \" + string(path_speed);", "0.25 -3"},
		{"path_endaction = 2.5; path_scale = 0.5; v = string(path_endaction) + \" \" + string(path_scale);",
		 "2 0.50"},
		{"v = path_index;", "-1"},
	};
	std::string code;
	Lines expected;
	for (const auto &c : cases) {
		code += std::string(c[0]) + show("string(v)");
		expected.push_back(c[1]);
	}
	CObject &a = object("a");
	a.sprite_index = 0;
	on(a, EV_CREATE, 0, code);
	place(room(), 0);
	EXPECT_EQ(play(0), expected);
	images().sprites.clear();
}

TEST_F(GameWorldTest, RestartClearsGlobalsAndDataStructures)
{
	CObject &a = object("a");
	on(a, EV_CREATE, 0,
	   show("\"globals \" + string(global.g) + \" list \" + string(ds_list_create())") + "global.g = 1;");
	on(a, EV_STEP, EV_STEP_NORMAL, "game_restart();");
	place(room(), 0);
	EXPECT_EQ(play(2), (Lines{"globals 0 list 0", "globals 0 list 0", "globals 0 list 0"}));
}
