// game_loop_test.cpp: games built as data files with code compiled from text,
// run frame by frame: the order of the step's passes, alarms, instances made
// during a pass, room changes and restarts that stop the step, timelines,
// animation, boundary events, and the frame wait.
#include "game_fixture.h"
#include "run/run_state.h"
#include "world/instances.h"

namespace {

class GameLoopTest : public GameTest
{
};

} // namespace

TEST_F(GameLoopTest, PassesRunInOrderAndAlarmsCountDown)
{
	CObject &a = object("a");
	on(a, EV_CREATE, 0, "n = 0;" + say("create"));
	on(a, EV_STEP, EV_STEP_BEGIN, "show_debug_message(\"begin \" + string(n));");
	on(a, EV_STEP, EV_STEP_NORMAL, "n += 1; show_debug_message(\"step \" + string(n));"
	                               "if (n == 1) { alarm[0] = 1; alarm[1] = 0; alarm[2] = 2; }");
	on(a, EV_STEP, EV_STEP_END, say("end"));
	for (int k : {0, 1, 2})
		on(a, EV_ALARM, k, "show_debug_message(\"alarm " + std::to_string(k) + " at \" + string(n));");
	on(a, EV_OTHER, 3, say("game end"));
	place(room(), 0);
	Lines expected = {"create",
	                  "begin 0", "step 1", "end",
	                  "begin 1", "alarm 0 at 1", "step 2", "end",
	                  "begin 2", "alarm 2 at 2", "step 3", "end",
	                  "begin 3", "step 4", "end",
	                  "game end"};
	EXPECT_EQ(play(4), expected);
}

TEST_F(GameLoopTest, InstanceMadeInAPassJoinsOnlyLaterPasses)
{
	CObject &maker = object("maker");
	on(maker, EV_STEP, EV_STEP_NORMAL, "if (x == 10) { x = 11; instance_create(0, 0, 1); }" + say("maker step"));
	CObject &made = object("made");
	on(made, EV_CREATE, 0, say("made create"));
	on(made, EV_STEP, EV_STEP_BEGIN, say("made begin"));
	on(made, EV_STEP, EV_STEP_NORMAL, say("made step"));
	on(made, EV_STEP, EV_STEP_END, say("made end"));
	place(room(), 0);
	Lines expected = {"made create", "maker step", "made end",
	                  "made begin", "maker step", "made step", "made end"};
	EXPECT_EQ(play(2), expected);
}

TEST_F(GameLoopTest, RoomChangeInBeginStepSkipsTheRestOfTheStep)
{
	CObject &a = object("a");
	on(a, EV_CREATE, 0, "alarm[0] = 1; timeline_index = 0; timeline_running = 1;");
	on(a, EV_STEP, EV_STEP_BEGIN, say("a begin") + "room_goto(1);");
	on(a, EV_ALARM, 0, say("a alarm"));
	on(a, EV_STEP, EV_STEP_NORMAL, say("a step"));
	on(a, EV_STEP, EV_STEP_END, say("a end"));
	on(a, EV_OTHER, 0, say("a outside"));
	on(a, EV_OTHER, 5, say("a room end"));
	CObject &b = object("b");
	on(b, EV_OTHER, 4, say("b room start"));
	on(b, EV_STEP, EV_STEP_BEGIN, say("b begin"));
	on(b, EV_STEP, EV_STEP_END, say("b end"));
	timeline({{0, say("moment")}});
	place(room(), 0, -50, -50);
	place(room(), 1);
	Lines expected = {"a begin", "a room end", "b room start", "b begin", "b end"};
	EXPECT_EQ(play(2), expected);
}

TEST_F(GameLoopTest, TimelinesRunTheMomentsPassed)
{
	CObject &a = object("a");
	on(a, EV_CREATE, 0,
	   "timeline_index = 0; timeline_running = 0.7; timeline_loop = 1;"
	   "timeline_moment_add(0, 1, \"show_debug_message('added 1')\");");
	on(a, EV_STEP, EV_STEP_NORMAL, "show_debug_message(\"step \" + string(timeline_position));");
	timeline({{0, "show_debug_message(\"m\" + string(event_number) + \" of \" + string(event_type));"},
	          {3, say("m3")}, {3, say("m3 second")}});
	CObject &b = object("b");
	// Speed 2 passes two moments in one step, ascending; speed -1 runs backwards.
	on(b, EV_CREATE, 0, "timeline_index = 1; timeline_running = 1; timeline_speed = 2; timeline_position = 3;");
	timeline({{3, say("b3")}, {4, say("b4")}});
	RoomRecord &r = room();
	place(r, 0);
	place(r, 1);
	Lines expected = {"m0 of 0", "b3", "b4", "step 1", "added 1", "step 2", "step 3", "m3", "m3 second", "step 0",
	                  "m0 of 0", "step 1"};
	EXPECT_EQ(play(5), expected);
}

TEST_F(GameLoopTest, GameRestartStopsTheStepAndStartsAgain)
{
	CObject &a = object("a");
	on(a, EV_CREATE, 0, say("create"));
	on(a, EV_OTHER, 2, say("game start"));
	on(a, EV_OTHER, 3, say("game end"));
	on(a, EV_OTHER, 4, say("room start"));
	on(a, EV_OTHER, 5, say("room end"));
	on(a, EV_STEP, EV_STEP_NORMAL, say("step") + "game_restart();");
	on(a, EV_STEP, EV_STEP_END, say("end"));
	place(room(), 0);
	Lines start = {"create", "game start", "room start"};
	Lines expected = start;
	for (int k = 0; k < 2; k++) {
		for (const char *line : {"step", "room end", "game end"})
			expected.push_back(line);
		expected.insert(expected.end(), start.begin(), start.end());
	}
	expected.insert(expected.end(), {"room end", "game end"});
	EXPECT_EQ(play(2), expected);
}

TEST_F(GameLoopTest, GameEndEndsTheLoopWithTheGameEndEvents)
{
	CObject &a = object("a");
	on(a, EV_STEP, EV_STEP_NORMAL, say("step") + "game_end();");
	on(a, EV_STEP, EV_STEP_END, say("end"));
	on(a, EV_OTHER, 3, say("game end"));
	place(room(), 0);
	EXPECT_EQ(play(-1), (Lines{"step", "game end"}));
}

int32_t four_images(int32_t sprite) { return sprite == 0 ? 4 : 0; }
bool sprite_zero(int32_t sprite) { return sprite == 0; }

TEST_F(GameLoopTest, AnimationWrapsWithTheAnimationEndEvent)
{
	InstanceHooks hooks;
	hooks.sprite_image_count = four_images;
	hooks.sprite_exists = sprite_zero;
	set_instance_hooks(hooks);
	CObject &a = object("a");
	a.sprite_index = 0;
	on(a, EV_STEP, EV_STEP_NORMAL, "show_debug_message(\"image \" + string(image_index));");
	on(a, EV_OTHER, 7, say("animation end"));
	// Without a sprite the image index grows but no animation ends.
	CObject &b = object("b");
	on(b, EV_OTHER, 7, say("b animation end"));
	on(b, EV_STEP, EV_STEP_END, "if (image_index == 5) show_debug_message(\"b at 5\");");
	RoomRecord &r = room();
	place(r, 0);
	place(r, 1);
	Lines expected = {"image 0", "image 1", "image 2", "image 3", "animation end", "image 0", "image 1", "b at 5"};
	EXPECT_EQ(play(6), expected);
}

TEST_F(GameLoopTest, BoundaryEventsForPointInstances)
{
	CObject &a = object("a");
	on(a, EV_STEP, EV_STEP_NORMAL, "x += 30; show_debug_message(\"x \" + string(x));");
	on(a, EV_OTHER, 0, say("outside"));
	on(a, EV_OTHER, 1, say("boundary"));
	place(room(), 0, 50, 50);
	Lines expected = {"x 80", "x 110", "outside", "boundary", "x 140", "outside", "boundary"};
	EXPECT_EQ(play(3), expected);
}

TEST(FrameWait, OneFrameLessTheTimeTaken)
{
	struct Case
	{
		int64_t now, last;
		int32_t speed;
		int64_t wait;
	} cases[] = {
		{1000, 1000, 30, 33333},      // a whole frame at 30
		{11000, 1000, 30, 23333},     // the previous frame took 10 ms
		{100000, 1000, 30, 0},        // a step longer than a frame
		{0, 0, 0, 1000000},           // speed 0 counts as 1
		{0, 0, -5, 1000000},
		{0, 0, 1000000, 1},
	};
	for (const Case &c : cases)
		EXPECT_EQ(frame_wait_us(c.now, c.last, c.speed), c.wait) << c.now << " " << c.last << " " << c.speed;
}

TEST_F(GameLoopTest, AlarmAndTimelineRows)
{
	CObject &a = object("a");
	const char *const cases[][2] = {
		{"alarm[12] = 3.4; v = alarm[0];", "3"},           // outside 0..11 means alarm 0
		{"alarm[-1] = 2.5; v = alarm[0];", "2"},           // ties to even
		{"timeline_running = 0.5; v = timeline_running;", "0"},
		{"timeline_running = 0.7; v = timeline_running;", "1"},
		{"timeline_loop = 3; v = timeline_loop;", "1"},
		{"timeline_index = 2.5; v = timeline_index;", "2"}, // stored without a check
		{"timeline_speed = 0.25; v = timeline_speed;", "0.25"},
		{"v = timeline_exists(0) + timeline_exists(1) + timeline_exists(-1);", "1"},
		{"v = timeline_get_name(0) + timeline_get_name(7);", "tl0<undefined>"},
		{"t = timeline_add(); v = string(t) + timeline_get_name(t); timeline_delete(t);", "1__newtimeline1"},
	};
	std::string code;
	Lines expected;
	for (const auto &c : cases) {
		code += std::string(c[0]) + "show_debug_message(string(v));";
		expected.push_back(c[1]);
	}
	on(a, EV_CREATE, 0, code);
	timeline({{0, ""}});
	place(room(), 0);
	EXPECT_EQ(play(1), expected);
}
