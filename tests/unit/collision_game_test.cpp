// collision_game_test.cpp: whole games built as data files, with sprites,
// run frame by frame: an instance moving toward a solid wall stops at it,
// solids are put back before their events, and a pair of one object meets
// twice each way.
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
#include "data/write_images.h"
#include "graphics/images.h"
#include "graphics/texture_table.h"
#include "run/rooms.h"
#include "run/run_state.h"
#include "game_fixture.h"
#include "test_util.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

class CollisionGame : public ::testing::Test
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
		object_table().clear();
		set_running_game(nullptr);
		clear_images();
		texture_clear_all();
		clear_error_state();
	}

	// Object with the sprite of `size` pixels square (origin top left).
	CObject &object(const std::string &name, int32_t sprite, bool solid = false)
	{
		objects.push_back(std::make_unique<CObject>());
		CObject &o = *objects.back();
		o.name = name;
		o.sprite_index = sprite;
		o.set_flag(CObject::SOLID, solid);
		return o;
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
	void sprite(int32_t size)
	{
		SpriteSpec s;
		s.name = "spr" + std::to_string(images_spec.sprites.size());
		s.width = s.height = size;
		s.bbox_right = s.bbox_bottom = size - 1;
		s.frames = {0};
		images_spec.sprites.push_back(s);
	}

	std::vector<std::string> play(long frames)
	{
		DataFileWriter w;
		GameHeader h;
		h.major_version = 8;
		h.last_instance_id = 200000;
		h.room_order = {0};
		write_header(w, h, "g", "c");
		images_spec.pages = {{'R', 'A', 'W', ' ', 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}};
		EntrySpec e;
		e.source_width = e.source_height = e.target_width = e.target_height = 1;
		e.bounding_width = e.bounding_height = 1;
		images_spec.entries = {e};
		write_image_chunks(w, images_spec);
		std::vector<const CObject *> o;
		for (auto &x : objects)
			o.push_back(x.get());
		room.name = "room0";
		room.width = room.height = 200;
		room.speed = 30;
		write_objects(w, o, 8, false);
		write_rooms(w, {&room}, 8, false);
		game.block.bytes = w.build();
		{
			ConsoleCapture quiet;
			LoadResult first = first_pass(game);
			EXPECT_TRUE(first.ok) << first.error;
			LoadResult walk = main_walk(game);
			EXPECT_TRUE(walk.ok) << walk.error;
			LoadProgress progress;
			EXPECT_TRUE(prepare_game(game, progress));
		}
		for (int32_t i = 0; i < object_table().count(); i++)
			if (CObject *obj = object_table().find(i))
				for (auto &type : obj->events)
					for (auto &ev : type)
						if (ev && !ev->code.source.empty() && !ev->code.code) {
							auto code = std::make_shared<CCode>();
							EXPECT_TRUE(compile_code(*code, ev->code.source, obj->name, COMPILE_PROGRAM))
							    << code_error_message();
							ev->code.code = code;
						}
		return play_game(game, frames);
	}

	GameData game;
	ImageChunks images_spec;
	std::vector<std::unique_ptr<CObject>> objects;
	RoomRecord room;
	int32_t next_id = 100001;
};

using Lines = std::vector<std::string>;

} // namespace

TEST_F(CollisionGame, MoverStopsAtASolidWall)
{
	sprite(8);
	CObject &mover = object("mover", 0);
	object("wall", 0, true);
	on(mover, EV_CREATE, 0, "hspeed = 2;");
	on(mover, EV_COLLISION, 1, "show_debug_message(\"hit at \" + string(x)); hspeed = 0;");
	on(mover, EV_OTHER, 3, "show_debug_message(\"ends at \" + string(x) + \" \" + string(bbox_right));");
	place(0, 10, 20);
	place(1, 40, 20); // the wall's box starts at 40
	// x 12, 14, ... 32 free; 34 would reach 41: put back to 32, stopped there.
	EXPECT_EQ(play(20), (Lines{"hit at 32", "ends at 32 39"}));
}

TEST_F(CollisionGame, SolidsArePutBackBeforeTheirEventsAndAgainIfStillMeeting)
{
	sprite(8);
	CObject &a = object("a", 0, true);
	on(a, EV_CREATE, 0, "hspeed = 3;");
	// Keeps moving: the re-move meets again and is put back once more.
	on(a, EV_COLLISION, 1, "show_debug_message(\"a at \" + string(x) + \" from \" + string(xprevious));");
	CObject &b = object("b", 0);
	on(b, EV_COLLISION, 0, "show_debug_message(\"b sees \" + string(other.x));");
	place(0, 0, 0);
	place(1, 10, 0); // a reaches 3 (box to 10) in the first step
	EXPECT_EQ(play(2), (Lines{"a at 0 from 0", "b sees 0", "a at 0 from 0", "b sees 0"}));
}

TEST_F(CollisionGame, APairOfOneObjectMeetsTwiceEachWay)
{
	sprite(8);
	CObject &a = object("a", 0);
	on(a, EV_COLLISION, 0, "show_debug_message(string(id) + \" meets \" + string(other.id));");
	place(0, 0, 0);
	place(0, 4, 4);
	Lines expected = {"100001 meets 100002", "100002 meets 100001", "100002 meets 100001", "100001 meets 100002"};
	EXPECT_EQ(play(1), expected);
}
