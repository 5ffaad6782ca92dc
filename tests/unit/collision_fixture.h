// collision_fixture.h: a room of instances with sprites made from rows of
// text ('#' solid), for the collision and motion-contact tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "code/errors.h"
#include "code/function_table.h"
#include "graphics/images.h"
#include "world/collision.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/spatial_index.h"

class CollisionFixture : public ::testing::Test
{
protected:
	void SetUp() override
	{
		register_builtin_families();
		clear_images();
		object_table().clear();
		reset_instances(100000);
		room = std::make_unique<RoomInstances>();
		set_current_room_instances(room.get());
		install_collision();
		clear_error_state();
	}
	void TearDown() override
	{
		room.reset();
		object_table().clear();
		clear_images();
		clear_error_state();
	}

	// A one-frame sprite; its box is the whole frame.
	int sprite(const std::vector<std::string> &rows, int ox = 0, int oy = 0, bool precise = true, bool masks = true)
	{
		auto s = std::make_unique<CSprite>();
		s->width = (int)rows[0].size();
		s->height = (int)rows.size();
		s->bbox_right = s->width - 1;
		s->bbox_bottom = s->height - 1;
		s->x_origin = ox;
		s->y_origin = oy;
		s->precise = precise;
		s->entries = {0};
		if (masks) {
			std::vector<uint8_t> mask;
			for (const std::string &row : rows)
				for (char c : row)
					mask.push_back(c == '#' ? 1 : 0);
			s->masks = {mask};
			s->masks_present = true;
		}
		images().sprites.push_back(std::move(s));
		return (int)images().sprites.size() - 1;
	}
	// A solid square of n pixels, origin at its top left, box only.
	int block(int n) { return sprite(std::vector<std::string>(n, std::string(n, '#')), 0, 0, false); }

	int object(int sprite_index, bool solid = false, int parent = -1)
	{
		auto o = std::make_unique<CObject>();
		o->name = "o" + std::to_string(object_table().count());
		o->sprite_index = sprite_index;
		o->parent_index = parent;
		o->set_flag(CObject::SOLID, solid);
		int index = object_table().count();
		object_table().put(index, std::move(o));
		object_table().link_parents();
		return index;
	}
	CInstance *make(int object_index, float x, float y) { return create_instance(*room, x, y, object_index); }

	Value call(const char *name, std::vector<Value> args, CInstance *self = nullptr, CInstance *other = nullptr)
	{
		const BuiltinEntry *e = function_entry(builtin_function_id(name));
		Value r;
		if (!e) {
			ADD_FAILURE() << name;
			return r;
		}
		e->routine(r, self, other, (int)args.size(), args.data());
		return r;
	}

	// The grid's candidates for an area after bringing it up to date, sorted
	// so that tests can look instances up and spot one listed twice.
	std::vector<CInstance *> sorted_candidates(const BoxArea &area)
	{
		spatial_index().sync(room.get());
		std::vector<CInstance *> found;
		spatial_index().candidates(area, found);
		std::sort(found.begin(), found.end());
		return found;
	}

	std::unique_ptr<RoomInstances> room;
};

// An 8 x 8 frame whose left half is solid.
inline std::vector<std::string> left_half()
{
	return std::vector<std::string>(8, "####....");
}
