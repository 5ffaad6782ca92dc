// motion_test.cpp: the two views of velocity kept equal (direction and speed
// against hspeed and vspeed), direction wrapping, friction, gravity and the
// order of the motion pass, through the motion rows and built-ins.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "code/function_table.h"
#include "code/variable_names.h"
#include "run/rooms.h"
#include "world/instances.h"
#include "world/motion.h"
#include "world/object.h"

namespace {

void set_row(CInstance &i, const char *name, double v)
{
	register_builtin_families();
	const BuiltinVariable *row = builtin_variables().entry(builtin_variables().find(name));
	ASSERT_NE(row, nullptr) << name;
	ASSERT_TRUE(row->set && row->set(&i, 0, Value(v))) << name;
}

double get_row(CInstance &i, const char *name)
{
	const BuiltinVariable *row = builtin_variables().entry(builtin_variables().find(name));
	Value out;
	EXPECT_TRUE(row && row->get(&i, 0, out)) << name;
	return out.real();
}

void call(CInstance &self, const char *name, std::vector<Value> args)
{
	register_builtin_families();
	const BuiltinEntry *e = function_entry(builtin_function_id(name));
	ASSERT_NE(e, nullptr) << name;
	Value r;
	e->routine(r, &self, nullptr, (int)args.size(), args.data());
}

} // namespace

TEST(Motion, PolarToCartesian)
{
	struct Case
	{
		double direction, speed;
		float hspeed, vspeed;
	} cases[] = {
		{0, 5, 5, 0},   {90, 3, 0, -3},   {180, 2, -2, 0}, {270, 4, 0, 4},
		{45, 1.41421356, 1, -1},          // within the snap of whole numbers
		{30, 2, 1.7320508f, -1}, {90, -3, 0, 3},
	};
	for (const Case &c : cases) {
		CInstance i;
		set_row(i, "direction", c.direction);
		set_row(i, "speed", c.speed);
		EXPECT_EQ(i.hspeed, c.hspeed) << c.direction << " " << c.speed;
		EXPECT_EQ(i.vspeed, c.vspeed) << c.direction << " " << c.speed;
	}
}

TEST(Motion, CartesianToPolar)
{
	struct Case
	{
		double hspeed, vspeed;
		float direction, speed;
	} cases[] = {
		{0, -4, 90, 4}, {3, -3, 45, 4.2426405f}, {-1, 0, 180, 1}, {1, 1, 315, 1.4142135f},
		{0, 2, 270, 2}, {0, 0, 0, 0},            {-2, 2, 225, 2.828427f},
	};
	for (const Case &c : cases) {
		CInstance i;
		i.hspeed = 99; // so that both writes differ from the current value
		i.vspeed = 99;
		set_row(i, "vspeed", c.vspeed);
		set_row(i, "hspeed", c.hspeed);
		EXPECT_EQ(get_row(i, "direction"), c.direction) << c.hspeed << " " << c.vspeed;
		EXPECT_FLOAT_EQ(i.speed, c.speed) << c.hspeed << " " << c.vspeed;
	}
}

TEST(Motion, DirectionWrapsIntoOneTurn)
{
	struct Case
	{
		double in;
		float out;
	} cases[] = {{-90, 270}, {720, 0}, {360, 0}, {-360, 0}, {725.5, 5.5}, {-1e-20, 0}};
	for (const Case &c : cases) {
		CInstance i;
		set_row(i, "direction", c.in);
		EXPECT_EQ(i.direction, c.out) << c.in;
		EXPECT_FALSE(std::signbit(i.direction)) << c.in;
	}
	// Far beyond the float's whole numbers: ends in range instead of looping.
	CInstance big;
	set_row(big, "direction", 1e30);
	EXPECT_GE(big.direction, 0);
	EXPECT_LT(big.direction, 360);
}

TEST(Motion, WritesOfTheCurrentValue)
{
	CInstance i;
	set_row(i, "hspeed", 3);
	set_row(i, "vspeed", -3);
	i.hspeed = 7; // out of step on purpose
	set_row(i, "speed", i.speed);
	EXPECT_EQ(i.hspeed, 7) << "speed written unchanged re-derives nothing";
	set_row(i, "direction", i.direction);
	EXPECT_FLOAT_EQ(i.hspeed, 3) << "direction always recomputes";
	EXPECT_FLOAT_EQ(i.vspeed, -3);
}

TEST(Motion, FrictionStopsAtZeroWithoutReversing)
{
	struct Case
	{
		float speed, friction, after;
	} cases[] = {{0.5f, 1, 0}, {-2, 1, -1}, {3, 1, 2}, {-0.25f, 0.5f, 0}, {2, -1, 3}, {0, 1, 0}};
	for (const Case &c : cases) {
		CInstance i;
		set_instance_speed(i, c.speed);
		i.friction = c.friction;
		apply_motion(i);
		EXPECT_EQ(i.speed, c.after) << c.speed << " " << c.friction;
		EXPECT_EQ(i.x, c.after) << "moves by the speed after friction";
	}
}

TEST(Motion, GravityAccumulatesAfterFriction)
{
	CInstance fall;
	set_row(fall, "gravity", 0.5);
	for (int step = 0; step < 3; step++)
		apply_motion(fall);
	EXPECT_EQ(fall.vspeed, 1.5f);
	EXPECT_EQ(fall.y, 0.5f + 1 + 1.5f);
	EXPECT_EQ(fall.direction, 270);

	// Friction takes the speed to 0 first, then gravity pulls to the left.
	CInstance side;
	set_instance_speed(side, 1);
	side.friction = 1;
	side.gravity = 2;
	side.gravity_direction = 180;
	apply_motion(side);
	EXPECT_EQ(side.hspeed, -2);
	EXPECT_EQ(side.direction, 180);
	EXPECT_EQ(side.speed, 2);
	EXPECT_EQ(side.x, -2);
}

TEST(Motion, PassMovesEveryActiveInstanceAndMarksBoxes)
{
	object_table().clear();
	RoomInstances room;
	reset_instances(100000);
	CInstance *a = create_instance(room, 10, 20, -1);
	CInstance *b = create_instance(room, 0, 0, -1);
	set_instance_hspeed(*a, 2);
	a->bbox_dirty = false;
	b->bbox_dirty = false;
	uint64_t before = event_serial();
	motion_pass(room);
	EXPECT_EQ(event_serial(), before + 1);
	EXPECT_EQ(a->x, 12);
	EXPECT_TRUE(a->bbox_dirty);
	EXPECT_FALSE(b->bbox_dirty) << "an instance that stays keeps its box";
}

TEST(Motion, MotionBuiltins)
{
	CInstance i;
	i.x = 10, i.y = 10;
	call(i, "motion_set", {90, 4});
	EXPECT_EQ(i.vspeed, -4);
	call(i, "motion_add", {0, 3});
	EXPECT_EQ(i.hspeed, 3);
	EXPECT_EQ(i.speed, 5);
	call(i, "move_towards_point", {10, 30, 2});
	EXPECT_EQ(i.direction, 270);
	EXPECT_EQ(i.vspeed, 2);
	EXPECT_EQ(i.hspeed, 0);

	i.x = 17.4f, i.y = -6.6f;
	call(i, "move_snap", {8, 0});
	EXPECT_EQ(i.x, 16);
	EXPECT_EQ(i.y, -6.6f) << "a snap of 0 leaves the axis alone";
	register_builtin_families();
	const BuiltinEntry *snapped = function_entry(builtin_function_id("place_snapped"));
	Value r;
	Value args[] = {Value(8.0), Value(0.0)};
	snapped->routine(r, &i, nullptr, 2, args);
	EXPECT_EQ(r.real(), 1);
	i.x = 16.5f;
	snapped->routine(r, &i, nullptr, 2, args);
	EXPECT_EQ(r.real(), 0);
}

TEST(Motion, MoveWrapAcrossTheRoomWithAMargin)
{
	CRoom room;
	room.record.width = 100;
	room.record.height = 50;
	CRoom *saved = room_state().current;
	room_state().current = &room;
	struct Case
	{
		float x, y;
		double hor, vert, margin;
		float wrapped_x, wrapped_y;
	};
	const Case cases[] = {
		{-5, 10, 1, 1, 0, 95, 10},     {105, 60, 1, 1, 0, 5, 10},
		{-5, -5, 0, 1, 0, -5, 45},     // vertical only
		{-5, 10, 0.6, 0.4, 10, -5, 10}, // within the margin
		{-15, 70, 1, 1, 10, 105, 0},   // past it: over to the other side
		{100, 50, 1, 1, 0, 100, 50},   // on the edge: stays
	};
	for (const Case &c : cases) {
		CInstance i;
		i.x = c.x, i.y = c.y;
		call(i, "move_wrap", {c.hor, c.vert, c.margin});
		EXPECT_EQ(i.x, c.wrapped_x) << c.x << "," << c.y;
		EXPECT_EQ(i.y, c.wrapped_y) << c.x << "," << c.y;
	}
	room_state().current = saved;
}
