// input_playback_test.cpp: games built as data files and driven by input
// recordings: key press, key release and keyboard events, a mouse click on an
// instance, a recording that ends early, and a recorded run played back.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "code/compiler/code_compile.h"
#include "code/errors.h"
#include "code/function_table.h"
#include "code/variables.h"
#include "code/vm/code.h"
#include "data/prepare.h"
#include "data/resource_writers.h"
#include "data/walk.h"
#include "graphics/images.h"
#include "input/input.h"
#include "run/rooms.h"
#include "run/run_state.h"
#include "game_fixture.h"
#include "test_util.h"
#include "world/collision.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

using Lines = std::vector<std::string>;


// Sprite 0 of these games: a 16 x 16 box, origin at its top left.
void add_sprite_zero()
{
	auto s = std::make_unique<CSprite>();
	s->width = s->height = 16;
	s->bbox_right = s->bbox_bottom = 15;
	s->entries = {0};
	images().sprites.push_back(std::move(s));
}

class InputPlaybackTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		register_builtin_families();
		clear_error_state();
		reset_global_variables();
		object_table().clear();
		set_instance_hooks(InstanceHooks{});
		install_collision();
	}
	void TearDown() override
	{
		stop_input();
		reset_input();
		set_instance_hooks(InstanceHooks{});
		object_table().clear();
		set_running_game(nullptr);
		clear_images();
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
		e->code.source = source;
		o.set_event(type, number, std::move(e));
	}
	void place(int32_t object, int32_t x, int32_t y)
	{
		RoomInstance in;
		in.id = next_id++;
		in.object = object;
		in.x = x;
		in.y = y;
		room.instances.push_back(in);
	}

	void load()
	{
		room.name = "room0";
		room.width = room.height = 200;
		room.speed = 30;
		game_ptr = std::make_unique<GameData>();
		GameData &game = *game_ptr;
		DataFileWriter w;
		GameHeader h;
		h.major_version = 8;
		h.last_instance_id = 200000;
		h.room_order.push_back(0);
		write_header(w, h, "g", "c");
		std::vector<const CObject *> o;
		for (auto &x : objects)
			o.push_back(x.get());
		write_objects(w, o, 8, false);
		write_rooms(w, {&room}, 8, false);
		game.block.bytes = w.build();
		ConsoleCapture quiet;
		ASSERT_TRUE(first_pass(game).ok);
		ASSERT_TRUE(main_walk(game).ok);
		LoadProgress progress;
		ASSERT_TRUE(prepare_game(game, progress));
		for (int32_t i = 0; i < object_table().count(); i++)
			if (CObject *obj = object_table().find(i))
				for (auto &type : obj->events)
					for (auto &e : type)
						if (e && !e->code.code) {
							auto code = std::make_shared<CCode>();
							ASSERT_TRUE(compile_code(*code, e->code.source, obj->name, COMPILE_PROGRAM))
								<< code_error_message();
							e->code.code = code;
						}
		add_sprite_zero();
	}

	// Runs the game for the frames with the input started as given; before each
	// frame `before` may feed window input. Returns the printed lines.
	Lines play(long frames, const InputStart &start, std::function<void(long)> before = {})
	{
		load();
		GameData &game = *game_ptr;
		std::string error;
		EXPECT_TRUE(start_input(start, error)) << error;
		Lines lines = play_game(game, frames, before);
		stop_input();
		return lines;
	}

	Lines play_back(long frames, const std::vector<InputFrame> &recording)
	{
		dir.write("input.rec", encode_recording(recording));
		InputStart start;
		start.playback = true;
		start.file = dir.file("input.rec");
		return play(frames, start);
	}

	TempDir dir;
	std::unique_ptr<GameData> game_ptr;
	std::vector<std::unique_ptr<CObject>> objects;
	RoomRecord room;
	int32_t next_id = 100001;
};

constexpr int32_t VK_LEFT = 37, VK_A = 65;

} // namespace

TEST_F(InputPlaybackTest, KeyPressAndReleaseFireOnceAndAHeldKeyEveryStep)
{
	CObject &player = object("player");
	on(player, EV_KEYBOARD, VK_LEFT, say("held left"));
	on(player, EV_KEYPRESS, VK_LEFT, say("press left"));
	on(player, EV_KEYRELEASE, VK_LEFT, say("release left"));
	on(player, EV_KEYBOARD, 0, say("no key"));
	on(player, EV_KEYPRESS, 1, say("any key pressed"));
	// A tap between two steps: a keyboard event and a release, no press.
	on(player, EV_KEYBOARD, VK_A, say("held a"));
	on(player, EV_KEYPRESS, VK_A, say("press a"));
	on(player, EV_KEYRELEASE, VK_A, say("release a"));
	on(player, EV_STEP, EV_STEP_NORMAL, "show_debug_message(\"step \" + keyboard_string);");
	place(0, 10, 10);
	std::vector<InputFrame> rec(7);
	rec[0].key_down(VK_LEFT).character('x');
	rec[3].key_up(VK_LEFT);
	rec[5].key_down(VK_A).key_up(VK_A);
	Lines expected = {
		"held left", "press left", "any key pressed", "step x",
		"held left", "step x",
		"held left", "step x",
		"held left", "release left", "step x",
		"no key", "step x",
		"held a", "release a", "step x",
		"no key", "step x",
	};
	EXPECT_EQ(play_back(7, rec), expected);
}

TEST_F(InputPlaybackTest, MouseClickOnAnInstanceFiresItsEvents)
{
	CObject &button = object("button");
	button.sprite_index = 0;
	on(button, EV_MOUSE, 4, "show_debug_message(\"pressed on \" + string(mouse_x) + \",\" + string(mouse_y));");
	on(button, EV_MOUSE, 7, say("released on"));
	on(button, EV_MOUSE, 10, say("enter"));
	on(button, EV_MOUSE, 11, say("leave"));
	on(button, EV_MOUSE, 53, say("global left press"));
	CObject &elsewhere = object("elsewhere");
	elsewhere.sprite_index = 0;
	on(elsewhere, EV_MOUSE, 4, say("pressed elsewhere"));
	on(elsewhere, EV_MOUSE, 12, say("elsewhere global press"));
	place(0, 10, 10);
	place(1, 100, 100);
	std::vector<InputFrame> rec(4);
	rec[0].mouse_move(15, 20).button_down(1);
	rec[1].button_up(1);
	rec[2].mouse_move(50, 50);
	Lines expected = {"pressed on 15,20", "elsewhere global press", "global left press", "enter",
	                  "released on",
	                  "leave"};
	EXPECT_EQ(play_back(4, rec), expected);
}

TEST_F(InputPlaybackTest, MouseThroughAView)
{
	CObject &watcher = object("watcher");
	on(watcher, EV_MOUSE, 50, "show_debug_message(string(mouse_x) + \",\" + string(mouse_y));");
	place(0, 0, 0);
	room.views_enabled = true;
	room.views.resize(8);
	RoomView &v = room.views[0];
	v.visible = true;
	v.xview = 100;
	v.yview = 50;
	v.wview = 100;
	v.hview = 100;
	v.wport = 200;
	v.hport = 200;
	std::vector<InputFrame> rec(1);
	rec[0].mouse_move(40, 60).button_down(1);
	EXPECT_EQ(play_back(1, rec), Lines{"120,80"});
}

TEST_F(InputPlaybackTest, ARecordingShorterThanTheGameLeavesTheInputAsItWas)
{
	CObject &player = object("player");
	on(player, EV_KEYBOARD, VK_LEFT, say("held"));
	on(player, EV_KEYPRESS, VK_LEFT, say("press"));
	place(0, 10, 10);
	std::vector<InputFrame> rec(1);
	rec[0].key_down(VK_LEFT);
	EXPECT_EQ(play_back(3, rec), (Lines{"held", "press", "held", "held"}));
}

TEST_F(InputPlaybackTest, ARecordedRunPlaysBackTheSame)
{
	CObject &player = object("player");
	on(player, EV_CREATE, 0, "randomize();");
	on(player, EV_STEP, EV_STEP_NORMAL,
	   "show_debug_message(string(irandom(1000000)) + \" \" + string(current_time) + \" \" + string(current_second) +"
	   " \" \" + string(keyboard_check(37)) + \" \" + keyboard_string);"
	   "if (keyboard_check_pressed(37)) randomize();");
	place(0, 10, 10);
	InputStart record;
	record.record = true;
	record.file = dir.file("run.rec");
	// Window input arrives between the frames.
	Lines recorded = play(5, record, [](long frame) {
		if (frame == 1) {
			live_input(InputFrame().key_down(VK_LEFT).events[0]);
			live_input(InputFrame().character('h').events[0]);
		}
		if (frame == 3)
			live_input(InputFrame().key_up(VK_LEFT).events[0]);
	});
	ASSERT_EQ(recorded.size(), 5u);
	EXPECT_NE(recorded[1].find(" 1 h"), std::string::npos) << recorded[1];
	InputStart playback;
	playback.playback = true;
	playback.file = dir.file("run.rec");
	object_table().clear();
	EXPECT_EQ(play(5, playback, [](long frame) {
		// Window input is ignored while a recording plays.
		if (frame == 2)
			live_input(InputFrame().character('z').events[0]);
	}), recorded);
}

TEST(InputProgram, RecordsAndPlaysBackHeadless)
{
	TempDir dir;
	DataFileWriter w;
	GameHeader h;
	h.major_version = 8;
	h.window_width = 64;
	h.window_height = 48;
	write_header(w, h, "Small", "Default");
	dir.write("game.win", w.build());
	const std::vector<std::string> run = {"-game", dir.file("game.win"), "--headless", "--unpaced", "--frames", "3"};
	auto with = [&](std::vector<std::string> extra) {
		extra.insert(extra.begin(), run.begin(), run.end());
		return extra;
	};
	ProgramResult r = run_program(ZENTRIX_BIN, with({"-record", dir.file("run.rec")}));
	EXPECT_EQ(r.exit_code, 0) << r.err;
	InputPlayback p;
	std::string error;
	ASSERT_TRUE(p.open(dir.file("run.rec"), error)) << error;
	InputFrame frame;
	int frames = 0;
	while (p.next(frame, error) == InputPlayback::FRAME)
		frames++;
	EXPECT_EQ(frames, 3);
	r = run_program(ZENTRIX_BIN, with({"-playback", dir.file("run.rec")}));
	EXPECT_EQ(r.exit_code, 0) << r.err;
	dir.write("bad.rec", std::string(100, '?'));
	r = run_program(ZENTRIX_BIN, with({"-playback", dir.file("bad.rec")}));
	EXPECT_EQ(r.exit_code, 1);
	EXPECT_NE(r.err.find("The input recording " + dir.file("bad.rec") + " is not an input recording"),
	          std::string::npos)
		<< r.err;
}
