// collision_test.cpp: bounding boxes by mask sprite, scale and angle; the
// point, rectangle, ellipse, line and instance tests, coarse and per pixel,
// rotated and scaled; the place, position and collision_ queries with their
// order; distances; and the spatial index against a plain walk of the room.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "code/variable_names.h"
#include "collision_fixture.h"
#include "world/collision_query.h"
#include "code/code_ref.h"
#include "world/motion.h"
#include "world/spatial_index.h"

TEST_F(CollisionFixture, BoxFollowsMaskScaleAndAngle)
{
	int spr = sprite(std::vector<std::string>(8, std::string(10, '#')), 5, 4);
	images().sprites[spr]->bbox_left = 1, images().sprites[spr]->bbox_top = 2;
	images().sprites[spr]->bbox_right = 8, images().sprites[spr]->bbox_bottom = 6;
	int other = block(3);
	struct Case
	{
		const char *what;
		float xscale, yscale, angle;
		int mask;
		int left, top, right, bottom;
	} cases[] = {
		{"plain", 1, 1, 0, -1, 96, 48, 103, 52},
		{"scaled", 2, 2, 0, -1, 92, 46, 107, 55},
		{"mirrored: edges swap", -1, 1, 0, -1, 95, 48, 104, 52},
		{"turned 90", 1, 1, 90, -1, 98, 47, 102, 54},
		{"mask_index wins", 1, 1, 0, other, 100, 50, 102, 52},
	};
	int obj = object(spr);
	for (const Case &c : cases) {
		CInstance *i = make(obj, 100, 50);
		i->image_xscale = c.xscale, i->image_yscale = c.yscale, i->image_angle = c.angle;
		set_instance_mask(*i, c.mask);
		compute_bbox(*i);
		EXPECT_EQ((std::vector<int>{i->bbox_left, i->bbox_top, i->bbox_right, i->bbox_bottom}),
		          (std::vector<int>{c.left, c.top, c.right, c.bottom}))
		    << c.what;
	}
	CInstance *none = make(object(-1), 5, 5);
	const BuiltinVariable *row = builtin_variables().entry(builtin_variables().find("bbox_bottom"));
	Value out;
	ASSERT_TRUE(row->get(none, 0, out));
	EXPECT_EQ(out.real(), NO_BOX);
	EXPECT_EQ(row->set, nullptr);
}

// The left half of an 8 x 8 frame is solid; the box is the whole frame.
TEST_F(CollisionFixture, PointTestPreciseScaledAndRotated)
{
	int precise = object(sprite(left_half()));
	int coarse = object(sprite(left_half(), 0, 0, false));
	int maskless = object(sprite(left_half(), 0, 0, true, false));
	struct Case
	{
		const char *what;
		int object;
		float xscale, angle;
		float dx, dy;
		bool precise, hit;
	} cases[] = {
		{"solid pixel", precise, 1, 0, 2, 5, true, true},
		{"empty pixel", precise, 1, 0, 6, 5, true, false},
		{"empty pixel, box only", precise, 1, 0, 6, 5, false, true},
		{"sprite not precise", coarse, 1, 0, 6, 5, true, true},
		{"no masks: box", maskless, 1, 0, 6, 5, true, true},
		{"right of the box", precise, 1, 0, 8, 5, false, false},
		{"above the box", precise, 1, 0, 2, -0.5f, false, false},
		{"scaled: solid", precise, 2, 0, 7, 3, true, true},
		{"scaled: empty", precise, 2, 0, 8, 3, true, false},
		{"turned 90: solid", precise, 1, 90, 3, -2, true, true},
		{"turned 90: empty", precise, 1, 90, 3, -6, true, false},
		{"turned 90: outside the turned box", precise, 1, 90, 3, 2, false, false},
	};
	for (const Case &c : cases) {
		CInstance *i = make(c.object, 10, 20);
		i->image_xscale = i->image_yscale = c.xscale;
		i->image_angle = c.angle;
		EXPECT_EQ(point_hits(*i, 10 + c.dx, 20 + c.dy, c.precise), c.hit) << c.what;
		i->marked = true;
		EXPECT_FALSE(point_hits(*i, 10 + c.dx, 20 + c.dy, c.precise)) << c.what << ": marked";
	}
}

TEST_F(CollisionFixture, InstancesTestByPixel)
{
	int half = object(sprite(left_half()));
	int box = object(sprite(left_half(), 0, 0, false));
	struct Case
	{
		const char *what;
		int a_object, b_object;
		float bx, by, b_angle;
		bool precise, hit;
	} cases[] = {
		{"boxes overlap, pixels apart", half, half, 4, 0, 0, true, false},
		{"the same, box only", half, half, 4, 0, 0, false, true},
		{"pixels overlap", half, half, 2, 0, 0, true, true},
		{"one precise sprite is enough", box, half, 4, 0, 0, true, false},
		{"neither precise: boxes", box, box, 4, 0, 0, true, true},
		{"boxes apart", half, half, 8, 0, 0, true, false},
		{"turned b reaches a's solid half", half, half, 0, 10, 90, true, true},
		{"turned b over a's empty half", half, half, 4, 10, 90, true, false},
	};
	for (const Case &c : cases) {
		CInstance *a = make(c.a_object, 0, 0);
		CInstance *b = make(c.b_object, c.bx, c.by);
		b->image_angle = c.b_angle;
		EXPECT_EQ(instances_collide(*a, *b, c.precise), c.hit) << c.what;
		EXPECT_EQ(instances_collide(*b, *a, c.precise), c.hit) << c.what << " (reversed)";
		EXPECT_FALSE(instances_collide(*a, *a, false)) << "never with itself";
		a->marked = b->marked = true;
	}
}

TEST_F(CollisionFixture, RectangleEllipseAndLine)
{
	// Box 10..17 both ways, solid columns 10..13.
	CInstance *i = make(object(sprite(left_half())), 10, 10);
	using Test = bool (*)(CInstance &, float, float, float, float, bool);
	struct Case
	{
		const char *what;
		Test test;
		float x1, y1, x2, y2;
		bool coarse, precise;
	} cases[] = {
		{"rectangle over the empty half", rectangle_hits, 15, 12, 20, 14, true, false},
		{"rectangle over the solid half", rectangle_hits, 20, 14, 12, 12, true, true},
		{"rectangle beside", rectangle_hits, 18, 0, 30, 30, false, false},
		{"circle over the empty half", ellipse_hits, 16, 10, 24, 18, true, false},
		{"ellipse whose box overlaps but curve does not", ellipse_hits, 0, 0, 11, 11, false, false},
		{"ellipse over the solid half", ellipse_hits, 4, 8, 14, 18, true, true},
		{"flat ellipse is a rectangle", ellipse_hits, 0, 12, 30, 12, true, true},
		{"horizontal line through", line_hits, 0, 11, 30, 11, true, true},
		{"vertical line in the empty half", line_hits, 15, 0, 15, 30, true, false},
		{"diagonal through the solid corner", line_hits, 8, 8, 16, 16, true, true},
		{"steep line in the empty half", line_hits, 15, 9, 16, 20, true, false},
		{"line passing above the box", line_hits, 0, 17, 12, 0, false, false},
	};
	for (const Case &c : cases) {
		EXPECT_EQ(c.test(*i, c.x1, c.y1, c.x2, c.y2, false), c.coarse) << c.what;
		EXPECT_EQ(c.test(*i, c.x1, c.y1, c.x2, c.y2, true), c.precise) << c.what << ", precise";
	}
	set_instance_position(*i, 10, 10);
	i->image_angle = 180; // box 3..10; the solid half is now 7..10
	mark_bbox_dirty(*i);
	EXPECT_TRUE(rectangle_hits(*i, 8, 4, 9, 6, true));
	EXPECT_FALSE(rectangle_hits(*i, 4, 4, 5, 6, true));
	EXPECT_TRUE(line_hits(*i, 0, 5, 20, 4, true));
	EXPECT_FALSE(line_hits(*i, 2, 0, 3, 8, true));
}

TEST_F(CollisionFixture, PlaceTestsAndMeeting)
{
	int wall = object(block(8), true);
	int ghost = object(block(8), false);
	CInstance *self = make(object(block(8), true), 0, 0);
	make(wall, 20, 0);
	CInstance *g = make(ghost, 40, 0);
	EXPECT_TRUE(place_free(*self, 0, 0)) << "self and nothing else";
	EXPECT_FALSE(place_free(*self, 14, 0));
	EXPECT_TRUE(place_free(*self, 36, 0)) << "non-solid instances do not count";
	EXPECT_FALSE(place_empty(*self, 36, 0));
	EXPECT_EQ(self->x, 0) << "moved back";
	EXPECT_EQ(call("place_meeting", {36, 0, ghost}, self).real(), 1);
	EXPECT_EQ(call("place_meeting", {36, 0, wall}, self).real(), 0);
	EXPECT_EQ(call("place_meeting", {36, 0, -2}, self, g).real(), 1) << "-2 is other";
	EXPECT_EQ(call("instance_place", {36, 0, -3}, self).real(), g->id);
	EXPECT_EQ(call("instance_place", {100, 0, -3}, self).real(), -4);
	EXPECT_EQ(call("place_free", {14, 0}, self).real(), 0);
	EXPECT_EQ(call("place_empty", {100, 100}, self).real(), 1);
}

TEST_F(CollisionFixture, QueriesReturnTheFirstInListOrder)
{
	int parent = object(block(8));
	int child = object(block(8), false, parent);
	CInstance *deep = make(child, 0, 0);
	set_instance_depth(*deep, 5); // after the others in the active list, first in the objects' lists
	CInstance *first = make(parent, 2, 2);
	CInstance *second = make(child, 4, 4);
	EXPECT_EQ(call("collision_point", {5, 5, -3, 1, 0}).real(), first->id);
	EXPECT_EQ(call("collision_point", {5, 5, -3, 1, 1}, first).real(), second->id) << "notme";
	EXPECT_EQ(call("collision_point", {5, 5, child, 1, 0}).real(), deep->id) << "the object's own order";
	EXPECT_EQ(call("collision_point", {5, 5, second->id, 1, 0}).real(), second->id);
	EXPECT_EQ(call("collision_point", {50, 5, -3, 1, 0}).real(), -4);
	EXPECT_EQ(call("collision_rectangle", {9, 9, 11, 11, parent, 1, 0}).real(), first->id);
	EXPECT_EQ(call("collision_circle", {12, 12, 2, -3, 1, 0}).real(), second->id);
	EXPECT_EQ(call("collision_ellipse", {7, 7, 20, 20, child, 1, 0}).real(), second->id) << "deep's box misses the curve";
	EXPECT_EQ(call("collision_line", {0, 9, 30, 9, -3, 1, 0}).real(), first->id);
	EXPECT_EQ(call("instance_position", {11, 11, -3}).real(), second->id);
	EXPECT_EQ(call("position_meeting", {1, 1, parent}).real(), 1);
	EXPECT_EQ(call("position_empty", {30, 30}).real(), 1);
	EXPECT_EQ(call("position_empty", {1, 1}).real(), 0);
	call("position_change", {1, 1, 99, 0});
	EXPECT_NE(error_last().find("Asking to change into non-existing object: 99"), std::string::npos);
	call("position_destroy", {5, 5});
	EXPECT_TRUE(first->marked && second->marked && deep->marked);
	EXPECT_EQ(call("collision_point", {5, 5, -3, 1, 0}).real(), -4) << "marked instances never match";
}

TEST_F(CollisionFixture, Distances)
{
	int box = object(block(10));
	CInstance *self = make(box, 0, 0);
	EXPECT_EQ(call("distance_to_object", {-3}, self).real(), 1000000) << "only itself";
	EXPECT_EQ(call("distance_to_point", {5, 5}, self).real(), 0);
	EXPECT_EQ(call("distance_to_point", {12, 13}, self).real(), 5) << "from the box's edge (9, 9)";
	CInstance *near = make(box, 12, 13); // gaps 3 across and 4 down
	make(box, 100, 0);
	EXPECT_FLOAT_EQ(call("distance_to_object", {box}, self).real(), 5);
	EXPECT_FLOAT_EQ(call("distance_to_object", {-2}, self, near).real(), 5);
	EXPECT_EQ(call("distance_to_object", {-2}, self, nullptr).real(), 1000000);
}

// Hundreds of instances of mixed shapes, moved, turned, created and destroyed
// between rounds of queries: the index gives what a walk of the lists gives.
TEST_F(CollisionFixture, IndexAgreesWithAPlainWalk)
{
	std::mt19937 rng(7);
	auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
	int base = object(block(4));
	int objects[] = {base, object(block(12), true), object(sprite(left_half(), 4, 4), false, base), object(-1),
	                 object(block(300))};
	auto spawn = [&] {
		int o = objects[rng() % 4];
		if (rng() % 100 == 0)
			o = objects[4]; // a few boxes too large for the cells
		CInstance *i = make(o, uniform(-50, 700), uniform(-50, 700));
		if (rng() % 3 == 0)
			i->image_angle = uniform(0, 360);
		if (rng() % 4 == 0)
			i->image_xscale = uniform(-3, 3);
	};
	for (int n = 0; n < 400; n++)
		spawn();
	auto first_of = [](const std::vector<CInstance *> &list, auto test) -> double {
		for (CInstance *i : list)
			if (test(*i))
				return i->id;
		return -4;
	};
	for (int round = 0; round < 6; round++) {
		std::vector<CInstance *> all = live_active_instances();
		for (int q = 0; q < 150; q++) {
			int which = rng() % 2 ? -3 : objects[rng() % 3];
			std::vector<CInstance *> list = which == -3 ? all : live_object_instances(which);
			float x1 = uniform(-60, 720), y1 = uniform(-60, 720);
			float x2 = x1 + uniform(-40, 40), y2 = y1 + uniform(-40, 40);
			auto rect = [&](CInstance &i) { return rectangle_hits(i, x1, y1, x2, y2, true); };
			auto point = [&](CInstance &i) { return point_hits(i, x1, y1, true); };
			auto line = [&](CInstance &i) { return line_hits(i, x1, y1, x2, y2, true); };
			ASSERT_EQ(call("collision_rectangle", {x1, y1, x2, y2, which, 1, 0}).real(), first_of(list, rect));
			ASSERT_EQ(call("collision_point", {x1, y1, which, 1, 0}).real(), first_of(list, point));
			ASSERT_EQ(call("collision_line", {x1, y1, x2, y2, which, 1, 0}).real(), first_of(list, line));
			CInstance *self = all[rng() % all.size()];
			float old_x = self->x, old_y = self->y;
			set_instance_position(*self, x1, y1);
			auto meets = [&](CInstance &i) { return &i != self && instances_collide(*self, i, true); };
			double expected = first_of(list, meets);
			bool free = !std::any_of(all.begin(), all.end(), [&](CInstance *i) { return i->solid && meets(*i); });
			set_instance_position(*self, old_x, old_y);
			ASSERT_EQ(call("instance_place", {x1, y1, which}, self).real(), expected);
			ASSERT_EQ(place_free(*self, x1, y1), free);
			// The candidates of an area: each instance once, every box that meets it among them.
			BoxArea area{(int64_t)std::min(x1, x2), (int64_t)std::min(y1, y2), (int64_t)std::max(x1, x2),
			             (int64_t)std::max(y1, y2)};
			std::vector<CInstance *> found = sorted_candidates(area);
			ASSERT_EQ(std::adjacent_find(found.begin(), found.end()), found.end()) << "an instance twice";
			for (CInstance *i : all) {
				refresh_bbox(*i);
				bool meets = mask_sprite(*i) && i->bbox_left != NO_BOX && i->bbox_left <= area.right &&
				             i->bbox_right >= area.left && i->bbox_top <= area.bottom && i->bbox_bottom >= area.top;
				if (meets)
					ASSERT_TRUE(std::binary_search(found.begin(), found.end(), i)) << "instance " << i->id;
			}
		}
		// Changes between rounds: moves, turns and sprite changes; every other round
		// also removals and new instances, which rebuild the index, while the
		// rounds between bring it up to date instance by instance, small moves
		// within a cell included.
		bool rebuild = round % 2 == 0;
		for (int k = 0; k < 120; k++) {
			CInstance *i = all[rng() % all.size()];
			float reach = !rebuild && k % 2 ? 3 : 80;
			set_instance_position(*i, i->x + uniform(-reach, reach), i->y + uniform(-reach, reach));
			if (k % 5 == 0)
				set_instance_sprite(*i, i->sprite_index >= 0 ? -1 : 0);
			if (k % 7 == 0) {
				i->image_angle += 45;
				mark_bbox_dirty(*i);
			}
			if (rebuild && k % 11 == 0)
				i->marked = true;
		}
		if (rebuild) {
			remove_marked(*room);
			for (int k = 0; k < 30; k++)
				spawn();
		}
	}
	EXPECT_GT(spatial_index().size(), 24u) << "the index, not the plain walk, answered";
	// Coordinates that are not numbers meet nothing.
	double nan = std::nan("");
	EXPECT_EQ(call("collision_point", {nan, 5, -3, 1, 0}).real(), -4);
	EXPECT_EQ(call("collision_rectangle", {0, nan, 700, 700, -3, 0, 0}).real(), -4);
	EXPECT_EQ(call("instance_position", {nan, nan, -3}).real(), -4);
}

TEST_F(CollisionFixture, ContactOutsideAndBounce)
{
	int wall = object(block(8), true);
	CInstance *mover = make(object(block(8)), 10, 0);
	make(wall, 50, 0); // box 50..57; the mover's right edge is x + 7
	call("move_contact_solid", {0, 0}, mover);
	EXPECT_EQ(mover->x, 42) << "a maxdist of 0 allows 1000 unit steps";
	set_instance_position(*mover, 10, 0);
	call("move_contact_solid", {0, 5}, mover);
	EXPECT_EQ(mover->x, 15);
	set_instance_position(*mover, 46, 0);
	call("move_contact_solid", {0, 0}, mover);
	EXPECT_EQ(mover->x, 46) << "started inside a solid: no move";
	call("move_outside_solid", {180, -1}, mover);
	EXPECT_EQ(mover->x, 42);
	call("move_contact_all", {0, 100}, mover);
	EXPECT_EQ(mover->x, 42);
	set_instance_position(*mover, 46, 0);
	call("move_contact", {180}, mover);
	EXPECT_EQ(mover->x, 42) << "inside: moves out instead";

	// Beside the wall, heading into it: the horizontal motion turns round.
	set_instance_hspeed(*mover, 3);
	set_instance_vspeed(*mover, 1);
	call("move_bounce_solid", {0}, mover);
	EXPECT_EQ(mover->hspeed, -3);
	EXPECT_EQ(mover->vspeed, 1);
	// Nothing in the way: nothing changes.
	set_instance_position(*mover, 0, 100);
	call("move_bounce_all", {0}, mover);
	EXPECT_EQ(mover->hspeed, -3);
	// Advanced: inside the wall, put back and sent the other way.
	mover->xprevious = 40;
	set_instance_position(*mover, 45, 0);
	set_instance_direction(*mover, 0);
	set_instance_speed(*mover, 4);
	call("move_bounce_solid", {1}, mover);
	EXPECT_EQ(mover->x, 40);
	EXPECT_GT(mover->direction, 90);
	EXPECT_LT(mover->direction, 270);

	// A block that is not solid: only the _all forms see it.
	make(object(block(8)), 100, 0);
	set_instance_position(*mover, 104, 0);
	call("move_outside_solid", {0, -1}, mover);
	EXPECT_EQ(mover->x, 104);
	call("move_outside_all", {0, -1}, mover);
	EXPECT_EQ(mover->x, 108);
	set_instance_position(*mover, 92, 0);
	set_instance_hspeed(*mover, 3);
	set_instance_vspeed(*mover, 0);
	call("move_bounce", {0}, mover);
	EXPECT_EQ(mover->hspeed, 3) << "move_bounce bounces off solids only";
	call("move_bounce_all", {0}, mover);
	EXPECT_EQ(mover->hspeed, -3);
}

TEST_F(CollisionFixture, MoveRandomStaysWhenNoPlaceIsFree)
{
	CInstance *mover = make(object(block(8)), 3, 4);
	make(object(block(100), true), 0, 0);
	move_random(*mover, 100, 100, 0, 0);
	EXPECT_EQ(mover->x, 3);
	EXPECT_EQ(mover->y, 4);
	CInstance *free_one = make(object(block(8)), 3, 4);
	move_random(*free_one, 300, 300, 16, 16);
	EXPECT_TRUE(place_free(*free_one, free_one->x, free_one->y));
	EXPECT_EQ(std::fmod(free_one->x, 16.0f), 0) << "snapped";
	EXPECT_LE(free_one->x, 300 - 8);
}

namespace {

std::vector<std::string> g_meetings;
int g_spawns_left = 0;

// Collision code: logs the meeting; "turn" reverses self, "stop" halts it,
// "end" destroys it and "spawn" makes (a limited number of times) a moving
// instance of the other's object beside it.
bool meeting_runner(CodeRef &code, CInstance *self, CInstance *other, Value *)
{
	g_meetings.push_back(code.source + " " + std::to_string(self->id) + " " + std::to_string(other->id) + " " +
	                     std::to_string(self->x));
	if (code.source == "turn") {
		set_instance_hspeed(*self, -self->hspeed);
		set_instance_vspeed(*self, -self->vspeed);
	} else if (code.source == "stop") {
		set_instance_speed(*self, 0);
	} else if (code.source == "end") {
		self->marked = true;
	} else if (code.source == "spawn" && g_spawns_left > 0) {
		g_spawns_left--;
		CInstance *born = create_instance(*current_room_instances(), self->x + 4, self->y, other->object_index);
		set_instance_hspeed(*born, 2);
	}
	return true;
}

} // namespace

// The same crowded room run with and without the index gives the same
// meetings in the same order and the same final places, with instances
// destroyed and created by the events of the pass.
TEST_F(CollisionFixture, CollisionPassWithIndexMatchesAllPairs)
{
	auto run = [&](bool indexed) {
		room = std::make_unique<RoomInstances>();
		set_current_room_instances(room.get());
		object_table().clear();
		reset_instances(100000);
		int ball = object(block(6));
		int rock = object(sprite(left_half()), true);
		int ghost = object(block(5));
		int seed = object(block(7));
		auto handler = [](const char *source) {
			auto e = std::make_unique<CEvent>();
			e->code.source = source;
			return e;
		};
		object_table().find(ball)->set_event(EV_COLLISION, ball, handler("turn"));
		object_table().find(ball)->set_event(EV_COLLISION, rock, handler("stop"));
		object_table().find(ghost)->set_event(EV_COLLISION, ball, handler("end"));
		object_table().find(seed)->set_event(EV_COLLISION, ball, handler("spawn"));
		object_table().build_event_lists();
		std::mt19937 rng(3);
		auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
		for (int n = 0; n < 300; n++) {
			int o = n % 10 == 0 ? rock : n % 7 == 0 ? ghost : n % 13 == 0 ? seed : ball;
			CInstance *i = make(o, uniform(0, 240), uniform(0, 240));
			if (o != rock) {
				set_instance_direction(*i, uniform(0, 360));
				set_instance_speed(*i, uniform(0.5f, 4));
			}
		}
		set_spatial_index_enabled(indexed);
		g_meetings.clear();
		g_spawns_left = 40;
		set_code_runner(meeting_runner);
		for (int step = 0; step < 8; step++) {
			for (CInstance *i = room->active.head; i; i = i->next) {
				i->xprevious = i->x;
				i->yprevious = i->y;
			}
			motion_pass(*room);
			collision_pass(*room);
			remove_marked(*room);
		}
		set_code_runner(nullptr);
		set_spatial_index_enabled(true);
		std::vector<std::string> out = g_meetings;
		for (CInstance *i : live_active_instances())
			out.push_back(std::to_string(i->id) + " ends at " + std::to_string(i->x) + "," + std::to_string(i->y));
		return out;
	};
	std::vector<std::string> all_pairs = run(false);
	std::vector<std::string> indexed = run(true);
	EXPECT_GT(all_pairs.size(), 300u + 50u) << "the room is crowded enough to meet often";
	EXPECT_EQ(g_spawns_left, 0) << "instances were made during the pass";
	EXPECT_EQ(indexed, all_pairs);
}
