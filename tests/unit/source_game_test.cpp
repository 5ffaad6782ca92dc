// source_game_test.cpp: games whose data file has no CODE chunk: every piece
// of code is source text that preparation compiles under its name. The games
// run on the bytecode machine and on the tree executor (-oldexec), and a
// compile error stops preparation with a report naming the piece.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "code/compiler/code_compile.h"
#include "code/constants.h"
#include "code/errors.h"
#include "code/function_table.h"
#include "code/script_table.h"
#include "code/variables.h"
#include "code/vm/code.h"
#include "data/prepare.h"
#include "data/resource_writers.h"
#include "data/walk.h"
#include "run/rooms.h"
#include "run/run_state.h"
#include "game_fixture.h"
#include "test_util.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

CodeRef text(const std::string &source)
{
	CodeRef c;
	c.source = source;
	return c;
}

class SourceGame : public ::testing::TestWithParam<bool>
{
protected:
	void SetUp() override
	{
		register_builtin_families();
		clear_error_state();
		reset_global_variables();
		object_table().clear();
		set_compile_to_bytecode(GetParam());
	}
	void TearDown() override
	{
		set_compile_to_bytecode(true);
		set_instance_hooks(InstanceHooks{});
		object_table().clear();
		script_table().clear();
		prepare_user_constants(GameData()); // the game's constants and resource names go
		set_running_game(nullptr);
		clear_error_state();
	}

	CObject &object(const std::string &name)
	{
		objects.push_back(std::make_unique<CObject>());
		objects.back()->name = name;
		return *objects.back();
	}
	void on(CObject &o, int32_t type, int32_t number, const std::string &source)
	{
		auto e = std::make_unique<CEvent>();
		e->code = text(source);
		o.set_event(type, number, std::move(e));
	}
	void script(const std::string &name, const std::string &source)
	{
		scripts.push_back(std::make_unique<ScriptSource>(ScriptSource{name, text(source)}));
	}
	RoomRecord &room(const std::string &creation_code = "")
	{
		rooms.push_back(std::make_unique<RoomRecord>());
		RoomRecord &r = *rooms.back();
		r.name = "room" + std::to_string(rooms.size() - 1);
		r.width = r.height = 100;
		r.speed = 30;
		r.creation_code = text(creation_code);
		return r;
	}
	void place(RoomRecord &r, int32_t object, const std::string &creation_code = "")
	{
		RoomInstance in;
		in.id = next_id++;
		in.object = object;
		in.x = in.y = 10;
		in.creation_code = text(creation_code);
		r.instances.push_back(in);
	}
	void timeline(const std::string &name, std::vector<std::pair<int32_t, std::string>> moments)
	{
		timelines.push_back(std::make_unique<TimelineRecord>());
		timelines.back()->name = name;
		for (auto &[time, source] : moments)
			timelines.back()->moments.push_back({time, text(source)});
	}

	// Builds the data file in source form, loads and prepares it. Returns
	// whether preparation succeeded; `prepare_lines` receives its console.
	bool load()
	{
		DataFileWriter w;
		GameHeader h;
		h.major_version = 8;
		h.last_instance_id = 200000;
		for (size_t i = 0; i < rooms.size(); i++)
			h.room_order.push_back((int32_t)i);
		write_header(w, h, "g", "c");
		write_options(w, GameOptions{}, constants);
		std::vector<const ScriptSource *> s;
		for (auto &x : scripts)
			s.push_back(x.get());
		std::vector<const CObject *> o;
		for (auto &x : objects)
			o.push_back(x.get());
		std::vector<const RoomRecord *> r;
		for (auto &x : rooms)
			r.push_back(x.get());
		std::vector<const TimelineRecord *> t;
		for (auto &x : timelines)
			t.push_back(x.get());
		write_scripts(w, s, false);
		write_objects(w, o, 8, false);
		write_rooms(w, r, 8, false);
		write_timelines(w, t, false);
		game.block.bytes = w.build();
		ConsoleCapture capture;
		LoadResult first = first_pass(game);
		EXPECT_TRUE(first.ok) << first.error;
		EXPECT_FALSE(game.has_bytecode);
		LoadResult walk = main_walk(game);
		EXPECT_TRUE(walk.ok) << walk.error;
		LoadProgress progress;
		bool prepared = prepare_game(game, progress);
		prepare_text = capture.text();
		return prepared;
	}

	// Loads the game and plays the frames; returns the printed lines.
	std::vector<std::string> play(long frames)
	{
		EXPECT_TRUE(load()) << prepare_text << error_last();
		return play_game(game, frames);
	}

	GameData game;
	std::vector<UserConstant> constants;
	std::vector<std::unique_ptr<ScriptSource>> scripts;
	std::vector<std::unique_ptr<CObject>> objects;
	std::vector<std::unique_ptr<RoomRecord>> rooms;
	std::vector<std::unique_ptr<TimelineRecord>> timelines;
	std::string prepare_text;
	int32_t next_id = 100001;
};

using Lines = std::vector<std::string>;

} // namespace

TEST_P(SourceGame, EveryKindOfPieceIsCompiledAndRuns)
{
	constants = {{"START", "2 + 3"}};
	script("say", "show_debug_message(argument0);");
	script("twice", "return argument0 * 2;");
	CObject &a = object("ctrl");
	on(a, EV_CREATE, 0,
	   "say('create ' + string(twice(START)) + ' after ' + string(n));"
	   "timeline_index = 0; timeline_running = 1;");
	on(a, EV_STEP, EV_STEP_NORMAL, "n += 1; say('step ' + string(n));");
	on(a, EV_OTHER, 4, "say('room start');");
	timeline("tl", {{1, "say('moment 1 at ' + string(n));"}, {2, "say('moment 2');"}});
	RoomRecord &r = room("say('room code');");
	place(r, 0, "n = 10; say('instance code');");
	// Instance creation code runs before the create event (the default option).
	Lines expected = {"instance code", "create 10 after 10", "room code", "room start",
	                  "step 11", "moment 1 at 11", "step 12", "moment 2", "step 13"};
	EXPECT_EQ(play(3), expected);
	// The pieces carry the names they were compiled under.
	EXPECT_EQ(script_table().find(0)->code.code->name, "say");
	EXPECT_EQ(object_table().find(0)->events[EV_STEP][EV_STEP_NORMAL]->code.code->name, "Object.ctrl.Step.0");
	EXPECT_EQ(game.rooms[0]->creation_code.code->name, "Room.room0");
	EXPECT_EQ(game.rooms[0]->instances[0].creation_code.code->name, "Instance.room0.0");
	EXPECT_EQ(game.timelines[0]->moments[1].code.code->name, "Timeline.tl.2");
	EXPECT_EQ(script_table().find(0)->code.code->has_bytecode(), GetParam());
}

TEST_P(SourceGame, GlobalvarInOnePieceReachesTheOthersOnceItRuns)
{
	script("say", "show_debug_message(argument0);");
	CObject &a = object("a");
	// Before the declaration runs, `total` is the instance's own variable.
	on(a, EV_CREATE, 0, "total = 1; globalvar total; total += 5; say(string(self.total) + ' ' + string(total));");
	on(a, EV_STEP, EV_STEP_NORMAL, "with (instance_create(0, 0, 1)) total += 1;");
	CObject &b = object("b");
	on(b, EV_CREATE, 0, "say('made sees ' + string(total));");
	on(b, EV_STEP, EV_STEP_NORMAL, "say('global ' + string(global.total));");
	place(room(), 0);
	// An instance made in a step is not visited by the same step pass.
	EXPECT_EQ(play(2), (Lines{"1 5", "made sees 5", "made sees 6", "global 7"}));
}

TEST_P(SourceGame, AScriptRunNestedOnAnotherInstanceLeavesTheCallersArrayItsOwn)
{
	// fill() writes self's array in a loop and, half-way for the first
	// instance, creates a `b`, whose creation runs fill() on itself: after
	// that nested run, the loop goes on writing the first instance's array.
	script("say", "show_debug_message(argument0);");
	script("fill", "var i, v; v = argument0; for (i = 0; i < 5; i += 1) { arr[i] = v; "
	               "if (i == 2 && v == 1) instance_create(0, 0, b); } "
	               "say(string(arr[0]) + string(arr[1]) + string(arr[2]) + string(arr[3]) + string(arr[4]));");
	CObject &a = object("a");
	on(a, EV_CREATE, 0, "fill(1);");
	CObject &b = object("b");
	on(b, EV_CREATE, 0, "fill(2);");
	place(room(), 0);
	EXPECT_EQ(play(1), (Lines{"22222", "11111"}));
}

TEST_P(SourceGame, ResourceNamesAreConstantsHoldingTheirIndices)
{
	// A game constant may use a resource name; a variable written with a
	// resource's name stays a variable.
	constants = {{"AFTER_B", "b + 10"}};
	script("say", "show_debug_message(argument0);");
	script("twice", "return argument0 * 2;");
	CObject &a = object("a");
	on(a, EV_CREATE, 0,
	   "say(string(a) + ' ' + string(b) + ' ' + string(AFTER_B) + ' ' + string(twice) + ' ' +"
	   "string(tl) + ' ' + string(room1) + ' ' + string(script_execute(twice, b)) + ' ' +"
	   "string(execute_string('return room1 + tl;')) + ' ' + string(instance_number(b)));");
	object("b");
	timeline("tl0", {});
	timeline("tl", {});
	place(room(), 0);
	place(room(), 1);
	EXPECT_EQ(play(1), (Lines{"0 1 11 1 1 1 2 2 0"}));
}

TEST_P(SourceGame, ACompileErrorNamesThePieceAndStopsPreparation)
{
	struct Case
	{
		const char *piece;      // which piece gets the broken text
		const char *failure;    // the preparation step's message
		const char *report;     // the error shown, after its context
	} cases[] = {
		{"script", "Failed to compile the scripts.", "ERROR in\nbroken:\n\n\nCOMPILATION ERROR in script\n"},
		{"timeline", "Failed to compile the actions in the time lines.",
		 "ERROR in\naction number 1\nat time step7\nof time line tl:\n\n\nCOMPILATION ERROR in code action\n"},
		{"event", "Failed to compile the actions in the objects.",
		 "ERROR in\naction number 1\nof  Step Event0\nfor object obj:\n\n\nCOMPILATION ERROR in code action\n"},
		{"room", "Failed to compile the actions in the objects.",
		 "ERROR in\nRoom.room0:\n\n\nCOMPILATION ERROR in room script\n"},
		{"instance", "Failed to compile the actions in the objects.",
		 "ERROR in\nInstance.room0.1:\n\n\nCOMPILATION ERROR in room script\n"},
	};
	const std::string bad = "x = 1;\ny = (2";
	const std::string message = "Error in code at line 2:\n   y = (2\n\nat position 7: Symbol ) expected.";
	for (const Case &c : cases) {
		SCOPED_TRACE(c.piece);
		TearDown();
		SetUp();
		game = GameData();
		scripts.clear();
		objects.clear();
		rooms.clear();
		timelines.clear();
		std::string piece = c.piece;
		script(piece == "script" ? "broken" : "fine", piece == "script" ? bad : "return 1;");
		timeline("tl", {{7, piece == "timeline" ? bad : "x = 1;"}});
		CObject &o = object("obj");
		on(o, EV_STEP, EV_STEP_NORMAL, piece == "event" ? bad : "x = 1;");
		RoomRecord &r = room(piece == "room" ? bad : "x = 1;");
		place(r, 0);
		place(r, 0, piece == "instance" ? bad : "x = 1;");
		EXPECT_FALSE(load());
		EXPECT_EQ(error_last(), c.report + message);
		EXPECT_NE(prepare_text.find(c.failure), std::string::npos) << prepare_text;
	}
}

INSTANTIATE_TEST_SUITE_P(Executors, SourceGame, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &info) {
	                         return info.param ? std::string("Bytecode") : std::string("Tree");
                         });
