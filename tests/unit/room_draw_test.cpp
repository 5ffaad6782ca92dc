// room_draw_test.cpp: the room's draw pass in running games: instances and
// tiles merged by depth, backgrounds, foregrounds and their scrolling, two
// views with their ports, views following an instance, the draw event, the
// default drawing of an instance and the view rows.
#include <gtest/gtest.h>

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
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/room_draw.h"
#include "graphics_fixture.h"
#include "input/input_state.h"
#include "run/rooms.h"
#include "run/run_state.h"
#include "test_util.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

constexpr uint32_t RED = 0xFFFF0000u, GREEN = 0xFF00FF00u, BLUE = 0xFF0000FFu, WHITE = 0xFFFFFFFFu;
constexpr uint32_t GREY = 0xFF404040u;
enum Sprite { SPR_RED, SPR_GREEN, SPR_BLUE, SPR_WHITE, SPR_TWO };
enum Background { BG_STRIP, BG_BLUE };

// One page of four 16 x 16 squares: red, green, blue, white.
ImageChunks room_images()
{
	ImageChunks c;
	c.pages.push_back(png_of(64, 16, [](int x, int) { return x < 16 ? RED : x < 32 ? GREEN : x < 48 ? BLUE : WHITE; }));
	for (int16_t k = 0; k < 5; k++) {
		EntrySpec e;
		e.source_x = k < 4 ? (int16_t)(16 * k) : 0;
		e.source_width = e.target_width = e.bounding_width = k < 4 ? 16 : 64;
		e.source_height = e.target_height = e.bounding_height = 16;
		c.entries.push_back(e);
	}
	const char *names[] = {"spr_red", "spr_green", "spr_blue", "spr_white", "spr_two"};
	for (int k = 0; k < 5; k++) {
		SpriteSpec s;
		s.name = names[k];
		s.width = s.height = 16;
		s.frames = k < 4 ? std::vector<int>{k} : std::vector<int>{0, 1};
		c.sprites.push_back(s);
	}
	BackgroundSpec strip, blue;
	strip.name = "bg_strip";
	strip.entry = 4;
	blue.name = "bg_blue";
	blue.entry = 2;
	c.backgrounds = {strip, blue};
	return c;
}

class RoomDraw : public ::testing::Test
{
protected:
	void SetUp() override
	{
		register_builtin_families();
		clear_error_state();
		reset_global_variables();
		object_table().clear();
	}
	void TearDown() override
	{
		if (started)
			game_end(game);
		object_table().clear();
		set_running_game(nullptr);
		clear_error_state();
	}

	CObject &object(const std::string &name, int32_t sprite, int32_t depth, const char *draw = nullptr)
	{
		objects.push_back(std::make_unique<CObject>());
		CObject &o = *objects.back();
		o.name = name;
		o.sprite_index = sprite;
		o.depth = depth;
		if (draw) {
			auto e = std::make_unique<CEvent>();
			e->code.source = draw;
			o.set_event(EV_DRAW, 0, std::move(e));
		}
		return o;
	}
	RoomRecord &room(uint32_t w, uint32_t h)
	{
		rooms.push_back(std::make_unique<RoomRecord>());
		RoomRecord &r = *rooms.back();
		r.name = "room" + std::to_string(rooms.size() - 1);
		r.width = w, r.height = h, r.speed = 30;
		r.show_colour = true;
		r.backgrounds.resize(8);
		r.views.resize(8);
		return r;
	}
	void place(RoomRecord &r, int32_t object, int32_t x, int32_t y, const char *code = nullptr)
	{
		RoomInstance in;
		in.id = next_id++;
		in.object = object, in.x = x, in.y = y;
		if (code)
			in.creation_code.source = code;
		r.instances.push_back(in);
	}
	void tile(RoomRecord &r, int32_t left, int32_t x, int32_t y, int32_t depth)
	{
		RoomTile t;
		t.background = BG_STRIP;
		t.left = left, t.width = 16, t.height = 16;
		t.x = x, t.y = y, t.depth = depth;
		t.id = next_tile++;
		r.tiles.push_back(t);
	}

	// Writes, loads and prepares the game, compiles its code and starts it.
	void start()
	{
		DataFileWriter w;
		GameHeader h;
		h.major_version = 8;
		h.last_instance_id = 200000;
		for (size_t i = 0; i < rooms.size(); i++)
			h.room_order.push_back((int32_t)i);
		write_header(w, h, "g", "c");
		write_image_chunks(w, room_images());
		std::vector<const CObject *> o;
		for (auto &x : objects)
			o.push_back(x.get());
		std::vector<const RoomRecord *> r;
		for (auto &x : rooms)
			r.push_back(x.get());
		write_objects(w, o, 8, false);
		write_rooms(w, r, 8, false);
		game.block.bytes = w.build();
		{
			ConsoleCapture quiet;
			ASSERT_TRUE(first_pass(game).ok);
			LoadResult walk = main_walk(game);
			ASSERT_TRUE(walk.ok) << walk.error;
			LoadProgress progress;
			ASSERT_TRUE(prepare_game(game, progress));
		}
		for (int32_t i = 0; i < object_table().count(); i++)
			if (CObject *ob = object_table().find(i))
				for (auto &type : ob->events)
					for (auto &e : type)
						if (e)
							compile(e->code);
		for (auto &room : game.rooms)
			for (RoomInstance &in : room->instances)
				compile(in.creation_code);
		ASSERT_TRUE(game_start(game));
		started = true;
		state.running = 1;
		state.unpaced = true;
	}
	void compile(CodeRef &ref)
	{
		if (ref.source.empty() || ref.code)
			return;
		auto code = std::make_shared<CCode>();
		ASSERT_TRUE(compile_code(*code, ref.source, "test", COMPILE_PROGRAM)) << code_error_message();
		ref.code = code;
	}
	// Runs frames and reads the screen texture that the last one drew.
	void frames(int n, const char *name)
	{
		for (int k = 0; k < n; k++)
			run_frame(state, game);
		GR_ReadScreen(0, 0, GR_ScreenWidth(), GR_ScreenHeight(), pixels, w, h);
		save_for_viewing(pixels, w, h, name);
	}
	uint32_t at(int x, int y) const { return pixels[(size_t)y * w + x]; }

	GameData game;
	RunState state;
	bool started = false;
	std::vector<std::unique_ptr<CObject>> objects;
	std::vector<std::unique_ptr<RoomRecord>> rooms;
	int32_t next_id = 100001, next_tile = 10000001;
	std::vector<uint32_t> pixels;
	int w = 0, h = 0;
};

} // namespace

// Higher depths first; a tile at the depth of an instance covers it.
TEST_F(RoomDraw, InstancesAndTilesMergedByDepth)
{
	HeadlessDisplay display{64, 64, 64, 64};
	ASSERT_TRUE(display.ok());
	object("o_red", SPR_RED, 10);
	object("o_blue", SPR_BLUE, 0);
	object("o_white", SPR_WHITE, 5);
	RoomRecord &r = room(64, 64);
	place(r, 0, 0, 0);
	place(r, 1, 16, 0);
	place(r, 2, 0, 32);
	tile(r, 16, 8, 0, 5);  // green, between red (10) and blue (0)
	tile(r, 16, 8, 32, 5); // green, at the white instance's depth
	start();
	frames(1, "room_depths.png");
	struct
	{
		int x, y;
		uint32_t colour;
	} probes[] = {{4, 8, RED},    {12, 8, GREEN}, {20, 8, BLUE}, {28, 8, BLUE},
	              {4, 40, WHITE}, {12, 40, GREEN}, {20, 40, GREEN}, {40, 40, 0xFF000000u}};
	for (auto &p : probes)
		EXPECT_EQ(at(p.x, p.y), p.colour) << p.x << ", " << p.y;
}

// Backgrounds under everything, foregrounds over instances, tiling, and
// scrolling applied after each frame's drawing.
TEST_F(RoomDraw, BackgroundsForegroundsAndScrolling)
{
	HeadlessDisplay display{64, 64, 64, 64};
	ASSERT_TRUE(display.ok());
	object("o_white", SPR_WHITE, 0);
	RoomRecord &r = room(64, 64);
	r.colour = 0x404040; // grey
	RoomBackground &tiled = r.backgrounds[0];
	tiled.visible = true, tiled.index = BG_BLUE, tiled.x = 4, tiled.htiled = true;
	RoomBackground &scrolling = r.backgrounds[1];
	scrolling.visible = true, scrolling.index = BG_STRIP, scrolling.y = 16, scrolling.hspeed = 2;
	RoomBackground &front = r.backgrounds[2];
	front.visible = true, front.foreground = true, front.index = BG_STRIP, front.y = 48;
	place(r, 0, 0, 40);
	start();
	frames(1, "room_backgrounds.png");
	struct
	{
		int x, y;
		uint32_t colour;
	} first[] = {{2, 8, BLUE},  {62, 8, BLUE},  {1, 20, RED},    {20, 20, GREEN}, {40, 36, GREY},
	             {8, 44, WHITE}, {8, 52, RED}, {24, 52, GREEN}, {56, 52, WHITE}};
	for (auto &p : first)
		EXPECT_EQ(at(p.x, p.y), p.colour) << p.x << ", " << p.y;
	// Two more frames: the third is drawn with the strip moved by 4.
	frames(2, "room_backgrounds_scrolled.png");
	EXPECT_EQ(at(2, 20), GREY);
	EXPECT_EQ(at(4, 20), RED);
	EXPECT_EQ(at(21, 20), GREEN);
	EXPECT_FLOAT_EQ(room_state().current->record.backgrounds[1].x, 6);
}

// View 0 shows the room's left part 1:1, view 1 a 32 x 32 region doubled; the
// same picture when the ports are laid out twice as large (port scale 0.5).
TEST_F(RoomDraw, TwoViewsWithTheirPorts)
{
	HeadlessDisplay display{128, 64, 128, 64};
	ASSERT_TRUE(display.ok());
	object("o_red", SPR_RED, 0);
	object("o_blue", SPR_BLUE, 0);
	object("o_probe", -1, 0, "show_debug_message(\"view \" + string(view_current));");
	RoomRecord &r = room(256, 64);
	r.views_enabled = true;
	RoomView &v0 = r.views[0];
	v0.visible = true, v0.wview = v0.hview = 64, v0.wport = v0.hport = 64;
	RoomView &v1 = r.views[1];
	v1.visible = true, v1.xview = 128, v1.wview = v1.hview = 32, v1.xport = 64, v1.wport = v1.hport = 64;
	place(r, 0, 8, 8);
	place(r, 1, 136, 8);
	place(r, 2, 0, 0);
	start();
	for (int layout = 0; layout < 2; layout++) {
		SCOPED_TRACE(layout);
		if (layout == 1) {
			RoomRecord &live = room_state().current->record;
			live.views[0].wport = live.views[0].hport = 128;
			live.views[1].xport = 128, live.views[1].wport = live.views[1].hport = 128;
		}
		ConsoleCapture capture;
		frames(1, layout ? "room_views_scaled.png" : "room_views.png");
		EXPECT_EQ(capture.lines(), (std::vector<std::string>{"view 0", "view 1"}));
		EXPECT_EQ(view_current(), 0);
		struct
		{
			int x, y;
			uint32_t colour;
		} probes[] = {{8, 8, RED},     {23, 23, RED},    {40, 40, 0xFF000000u}, {79, 15, 0xFF000000u},
		              {80, 16, BLUE},  {111, 47, BLUE},  {112, 48, 0xFF000000u}};
		for (auto &p : probes)
			EXPECT_EQ(at(p.x, p.y), p.colour) << p.x << ", " << p.y;
	}
}

// The border rule, the speed limit, the centring when the borders overlap and
// the clamp to the room, including a view wider than the room.
TEST_F(RoomDraw, ViewsFollowTheirObject)
{
	object("o_player", -1, 0);
	RoomRecord &r = room(2000, 480);
	r.views_enabled = true;
	r.views[0].visible = true;
	r.views[0].wview = 640, r.views[0].hview = 480;
	r.views[0].object = 0;
	place(r, 0, 620, 100);
	start();
	struct
	{
		float x;
		int32_t wview, hborder, hspeed, xview;
	} cases[] = {{620, 640, 32, -1, 12},   {620, 640, 32, 4, 4},  {1000, 640, 400, -1, 680},
	             {100, 640, 32, -1, 0},    {100, 2500, 32, -1, -500}, {1990, 640, 32, -1, 1360}};
	CRoom &live = *room_state().current;
	for (auto &c : cases) {
		RoomView &v = live.record.views[0];
		v.xview = 0, v.wview = c.wview, v.hborder = c.hborder, v.hspeed = c.hspeed;
		live.instances.active.head->x = c.x;
		views_follow(live);
		EXPECT_EQ(v.xview, c.xview) << c.x << " " << c.wview << " " << c.hborder << " " << c.hspeed;
		EXPECT_EQ(v.yview, 0);
	}
	// An object index with no instance leaves the view where it is.
	live.record.views[0].object = 5;
	live.record.views[0].xview = 33;
	views_follow(live);
	EXPECT_EQ(live.record.views[0].xview, 33);
}

// The draw event replaces the default drawing; draw_self draws what the
// default would; a blend colour or an alpha other than 1 goes through the
// extended form; the frame is the integer part of image_index.
TEST_F(RoomDraw, DrawEventAndDefaultDrawing)
{
	HeadlessDisplay display{64, 64, 64, 64};
	ASSERT_TRUE(display.ok());
	object("o_plain", SPR_WHITE, 0);
	object("o_hidden", SPR_WHITE, 0, "x = x;");
	object("o_self", SPR_RED, 0, "draw_self(); draw_sprite(1, 0, x + 16, y);");
	RoomRecord &r = room(64, 64);
	place(r, 0, 0, 0, "image_blend = 16711680;"); // blue
	place(r, 1, 16, 0);
	place(r, 2, 32, 0);
	place(r, 0, 0, 32, "image_alpha = 0.5;");
	place(r, 0, 16, 32, "sprite_index = 4; image_index = 1.7; image_speed = 0;");
	place(r, 0, 32, 32, "visible = false;");
	start();
	frames(1, "room_draw_event.png");
	struct
	{
		int x, y;
		uint32_t colour;
	} probes[] = {{4, 4, BLUE},    {20, 4, 0xFF000000u}, {36, 4, RED}, {52, 4, GREEN},
	              {20, 36, GREEN}, {36, 36, 0xFF000000u}};
	for (auto &p : probes)
		EXPECT_EQ(at(p.x, p.y), p.colour) << p.x << ", " << p.y;
	EXPECT_TRUE(near_rgb(at(4, 36), 127, 127, 127, 1));
}

// The GUI draw event draws in the area set by display_set_gui_size, stretched
// over the screen; sides below 1 stand for the screen's.
TEST_F(RoomDraw, GuiSizeStretchesTheGuiLayer)
{
	HeadlessDisplay display{64, 64, 64, 64};
	ASSERT_TRUE(display.ok());
	CObject &o = object("o_gui", -1, 0);
	auto gui = std::make_unique<CEvent>();
	gui->code.source = "draw_sprite(3, 0, 16, 16);";
	o.set_event(EV_DRAW, 64, std::move(gui));
	RoomRecord &r = room(64, 64);
	place(r, 0, 0, 0, "display_set_gui_size(32, 32);");
	start();
	frames(1, "room_draw_gui.png");
	EXPECT_EQ(at(33, 33), WHITE);
	EXPECT_EQ(at(62, 62), WHITE);
	EXPECT_NE(at(20, 20), WHITE);
	set_gui_size(-1, 0);
	frames(1, "room_draw_gui_screen.png");
	EXPECT_EQ(at(17, 17), WHITE);
	EXPECT_NE(at(40, 40), WHITE);
}

// The custom cursor: the sprite of cursor_sprite at the mouse on the screen,
// not scaled by the views, one frame further each drawing.
TEST_F(RoomDraw, CursorSpriteDrawsAtTheMouseOnTheScreen)
{
	HeadlessDisplay display{64, 64, 64, 64};
	ASSERT_TRUE(display.ok());
	object("o", -1, 0);
	RoomRecord &r = room(64, 64);
	r.colour = 0x404040;
	r.views_enabled = true;
	RoomView &v = r.views[0];
	v.visible = true;
	v.wview = v.hview = 32;
	v.wport = v.hport = 64;
	place(r, 0, 0, 0, "cursor_sprite = 4;");
	start();
	raw_mouse_move(40, 8, 40, 8);
	InputFields &step = input_state().step;
	step.screen_x = 40, step.screen_y = 8;
	frames(1, "room_draw_cursor.png");
	EXPECT_EQ(at(40, 8), RED);
	EXPECT_EQ(at(55, 23), RED);
	EXPECT_EQ(at(56, 24), GREY);
	EXPECT_EQ(at(39, 8), GREY);
	frames(1, "room_draw_cursor_next.png");
	EXPECT_EQ(at(47, 15), GREEN);
}

// The view rows read and write the current room's views; view_current is 0
// outside the pass and read-only.
TEST_F(RoomDraw, ViewRows)
{
	object("o", -1, 0);
	RoomRecord &r = room(100, 100);
	r.views.resize(2); // a record listing fewer than eight views
	r.views[1].xview = 7;
	place(r, 0, 0, 0);
	start();
	CodeRef code;
	code.source = "show_debug_message(string(view_xview[1]) + \" \" + string(view_enabled) + \" \" + "
	              "string(view_current));"
	              "view_enabled = 0.7; view_xview[6] = 2.5; view_wport[3] = 3.5; view_visible[2] = 0.4;"
	              "view_angle[1] = 12.5; view_object[0] = 42; view_yview[9] = 5;"
	              "show_debug_message(string(view_xview[6]) + \" \" + string(view_wport[3]) + \" \" + "
	              "string(view_visible[2]) + \" \" + string(view_angle[1]) + \" \" + string(view_yview[0]));";
	compile(code);
	ConsoleCapture capture;
	run_code(code, room_state().current->instances.active.head, nullptr);
	EXPECT_EQ(capture.lines(), (std::vector<std::string>{"7 0 0", "2 4 0 12.50 5"}));
	const RoomRecord &live = room_state().current->record;
	ASSERT_EQ(live.views.size(), 8u);
	EXPECT_TRUE(live.views_enabled);
	EXPECT_EQ(live.views[0].object, 42);
}

// A rotated view shows parts of the room beyond its region: the view
// rectangle is widened so that sprites there are not culled.
TEST_F(RoomDraw, RotatedViewKeepsSpritesNearItsCorners)
{
	HeadlessDisplay display{64, 64, 64, 64};
	ASSERT_TRUE(display.ok());
	object("o_white", SPR_WHITE, 0);
	RoomRecord &r = room(64, 64);
	r.views_enabled = true;
	RoomView &v = r.views[0];
	v.visible = true, v.wview = v.hview = v.wport = v.hport = 64;
	place(r, 0, -12, 28, "image_xscale = 0.5; image_yscale = 0.5;"); // 8 x 8 around (-8, 32)
	start();
	frames(1, "room_unrotated_view.png");
	for (uint32_t p : pixels)
		ASSERT_NE(p, WHITE);
	room_state().current->record.views[0].angle = 45; // set by game code: rooms store no angle
	frames(1, "room_rotated_view.png");
	int white = 0;
	for (uint32_t p : pixels)
		white += p == WHITE;
	EXPECT_GT(white, 20);
}
