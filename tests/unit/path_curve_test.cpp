// path_curve_test.cpp: path resources: the computed polyline (straight and
// smooth, open and closed, precision), the point at a position by arc
// length, the resource queries, and instances following a path with the four
// end actions.
#include <gtest/gtest.h>

#include <cmath>

#include "builtin_call.h"
#include "game_fixture.h"
#include "world/instance.h"
#include "world/path.h"

namespace {

CPath curve_of(std::vector<PathPoint> points, int32_t kind, bool closed, int32_t precision = 4)
{
	CPath p;
	p.name = "path_t";
	p.points = std::move(points);
	p.kind = kind;
	p.closed = closed;
	p.precision = precision;
	p.recompute();
	return p;
}

std::unique_ptr<CPath> new_path(const CPath &p) { return std::make_unique<CPath>(p); }

const std::vector<PathPoint> square = {{0, 0, 100}, {100, 0, 100}, {100, 100, 100}, {0, 100, 100}};
const std::vector<PathPoint> corner = {{0, 0, 100}, {200, 0, 100}, {200, 200, 100}};

TEST(PathCurve, PointsAndLengths)
{
	struct Case
	{
		const char *what;
		std::vector<PathPoint> points;
		int32_t kind;
		bool closed;
		int32_t precision;
		size_t count;
		float length;
	} cases[] = {
		{"closed straight square", square, 0, true, 4, 5, 400},
		{"open straight square", square, 0, false, 4, 4, 300},
		{"a kind above 1 is straight", square, 7, true, 4, 5, 400},
		{"smooth closed, precision 0: the leg midpoints", square, 1, true, 0, 5, 4 * std::sqrt(5000.0f)},
		{"smooth open, precision 0: ends and the one span's start", corner, 1, false, 0, 3, 100 + std::sqrt(50000.0f)},
		// Long legs: 2^3 - 1 points inside the one span.
		{"smooth open, precision 3", corner, 1, false, 3, 10, 0},
		{"a negative precision counts as 0", corner, 1, false, -5, 3, 0},
		// Legs of 4 pixels or less are not refined: only the middle point.
		{"short legs", {{0, 0, 100}, {3, 0, 100}, {3, 3, 100}}, 1, false, 8, 4, 0},
		{"two points open smooth: a line", {{0, 0, 100}, {30, 40, 100}}, 1, false, 4, 2, 50},
		{"one point", {{5, 6, 100}}, 0, false, 4, 1, 0},
		{"one point, smooth and closed", {{5, 6, 100}}, 1, true, 4, 3, 0},
		{"no points", {}, 1, true, 4, 0, 0},
	};
	for (const Case &c : cases) {
		CPath p = curve_of(c.points, c.kind, c.closed, c.precision);
		EXPECT_EQ(p.curve.size(), c.count) << c.what;
		if (c.length > 0)
			EXPECT_NEAR(p.length, c.length, 1e-3) << c.what;
		if (!p.curve.empty())
			EXPECT_EQ(p.length, p.curve.back().length) << c.what;
	}
	EXPECT_EQ(curve_of(square, 7, true).kind, 0);
	EXPECT_EQ(curve_of(corner, 1, false, 99).precision, 8);
	size_t deepest = curve_of(corner, 1, false, 8).curve.size();
	EXPECT_EQ(curve_of(corner, 1, false, 99).curve.size(), deepest);
	// From a record of the path chunk: a huge precision is bounded too.
	PathRecord record;
	record.points = corner;
	record.kind = 1;
	record.precision = 0xFFFFFFFF;
	std::unique_ptr<CPath> from_file = make_path(record);
	EXPECT_EQ(from_file->precision, 8);
	EXPECT_EQ(from_file->curve.size(), deepest);
}

// The smooth curve starts and ends at the open path's ends, passes the leg
// midpoints, and its points carry speeds weighted like their positions.
TEST(PathCurve, SmoothSpansThroughLegMidpoints)
{
	CPath p = curve_of({{0, 0, 0}, {200, 0, 200}, {200, 200, 100}}, 1, false, 1);
	ASSERT_EQ(p.curve.size(), 4u);
	const PathCurvePoint &start = p.curve[1], &m = p.curve[2];
	EXPECT_EQ(start.x, 100);
	EXPECT_EQ(start.speed, 100);
	// (S + 2K + E) / 4 with S = (100, 0, 100), K = (200, 0, 200), E = (200, 100, 150).
	EXPECT_EQ(m.x, 175);
	EXPECT_EQ(m.y, 25);
	EXPECT_EQ(m.speed, 162.5f);
	EXPECT_EQ(p.curve.back().x, 200);
	EXPECT_EQ(p.curve.back().y, 200);
	// Closed: the curve ends where it starts.
	CPath closed = curve_of(square, 1, true, 4);
	EXPECT_EQ(closed.curve.front().x, closed.curve.back().x);
	EXPECT_EQ(closed.curve.front().y, closed.curve.back().y);
	EXPECT_EQ(closed.curve.front().x, 50);
}

TEST(PathCurve, PointAtPositionByArcLength)
{
	CPath sq = curve_of(square, 0, true);
	CPath slow = curve_of({{0, 0, 100}, {0, 0, 100}, {100, 0, 50}}, 0, false);
	CPath none = curve_of({}, 0, false);
	CPath one = curve_of({{7, 8, 30}}, 0, false);
	struct Case
	{
		const CPath *path;
		float position;
		PathPoint expected;
	} cases[] = {
		{&sq, 0.125f, {50, 0, 100}}, {&sq, 0.5f, {100, 100, 100}}, {&sq, 0.625f, {50, 100, 100}},
		{&sq, 0, {0, 0, 100}},       {&sq, -3, {0, 0, 100}},       {&sq, 1, {0, 0, 100}},
		{&sq, 7, {0, 0, 100}},       {&sq, NAN, {0, 0, 100}},
		// A zero-length first segment is passed over; speed is interpolated.
		{&slow, 0.5f, {50, 0, 75}},  {&slow, 1, {100, 0, 50}},
		{&none, 0.5f, {0, 0, 100}},  {&one, 0.5f, {7, 8, 30}},
	};
	for (const Case &c : cases) {
		PathPoint at = c.path->point_at(c.position);
		EXPECT_FLOAT_EQ(at.x, c.expected.x) << c.position;
		EXPECT_FLOAT_EQ(at.y, c.expected.y) << c.position;
		EXPECT_FLOAT_EQ(at.speed, c.expected.speed) << c.position;
	}
}

// A running game with paths 0 (a closed square) and 1 (open, slower at its end).
class PathGame : public ::testing::Test
{
protected:
	void SetUp() override
	{
		auto &t = path_table();
		t.clear();
		t.push_back(new_path(curve_of(square, 0, true)));
		t.push_back(new_path(curve_of({{10, 10, 100}, {110, 10, 50}}, 0, false)));
		t.back()->name = "path_line";
		t.push_back(nullptr);
	}
	void TearDown() override { path_table().clear(); }
};

TEST_F(PathGame, ResourceQueries)
{
	struct Case
	{
		const char *function;
		std::vector<Value> args;
		double expected;
	} cases[] = {
		{"path_exists", {1}, 1},           {"path_exists", {2}, 0},          {"path_exists", {-1}, 0},
		{"path_get_length", {0}, 400},     {"path_get_length", {9}, 0},      {"path_get_number", {0}, 4},
		{"path_get_kind", {0}, 0},         {"path_get_closed", {0}, 1},      {"path_get_closed", {1}, 0},
		{"path_get_precision", {0}, 4},    {"path_get_x", {0, 0.125}, 50},   {"path_get_y", {0, 0.5}, 100},
		{"path_get_speed", {1, 0.5}, 75},  {"path_get_x", {5, 0.5}, 0},      {"path_get_point_x", {1, 1}, 110},
		{"path_get_point_y", {0, 2}, 100}, {"path_get_point_speed", {1, 1}, 50},
		{"path_get_point_x", {1, 2}, 0},   {"path_get_point_x", {1, -1}, 0},
	};
	for (const Case &c : cases) {
		register_builtin_families();
		const BuiltinEntry *e = function_entry(builtin_function_id(c.function));
		ASSERT_NE(e, nullptr) << c.function;
		std::vector<Value> args = c.args;
		Value r;
		e->routine(r, nullptr, nullptr, (int)args.size(), args.data());
		EXPECT_DOUBLE_EQ(r.real(), c.expected) << c.function << " " << c.args[0].real();
	}
	EXPECT_EQ(call_builtin("path_get_name", {1}).text(), "path_line");
	EXPECT_EQ(call_builtin("path_get_name", {2}).text(), "<undefined>");
}

void step(CInstance &i)
{
	advance_path(i);
	i.path_positionprevious = i.path_position;
}

TEST_F(PathGame, StartPlacesAndAnchors)
{
	CInstance i;
	i.x = 300;
	i.y = 400;
	start_path(i, 0, 4, 1, 0, false, 0);
	EXPECT_EQ(i.path_index, 0);
	EXPECT_EQ(i.x, 0); // absolute: moved to the path's start
	EXPECT_EQ(i.path_xstart, 0);
	CInstance r;
	r.x = 300;
	r.y = 400;
	start_path(r, 0, 4, 2, 90, true, 1);
	EXPECT_EQ(r.x, 300);
	EXPECT_EQ(r.path_xstart, 300);
	// Turned by 90 degrees and doubled: the first side runs up the screen.
	advance_path(r);
	EXPECT_NEAR(r.x, 300, 1e-4);
	EXPECT_NEAR(r.y, 396, 1e-4);
	EXPECT_NEAR(r.direction, 90, 1e-3);
	EXPECT_EQ(r.speed, 0);
	// A missing path, an empty one or a negative scale: no path, nothing else.
	for (int32_t path : {2, 7}) {
		CInstance m;
		m.path_speed = 3;
		start_path(m, path, 4, 1, 0, false, 0);
		EXPECT_EQ(m.path_index, -1);
		EXPECT_EQ(m.path_speed, 3);
	}
	CInstance neg;
	start_path(neg, 0, 4, -1, 0, false, 0);
	EXPECT_EQ(neg.path_index, -1);
	EXPECT_FALSE(advance_path(neg));
}

// Speed -4 on the square (length 400) starts at 1; restart wraps from just
// above 0 to just below 1.
TEST_F(PathGame, BackwardsRestartWraps)
{
	CInstance i;
	start_path(i, 0, -4, 1, 0, false, 1);
	EXPECT_EQ(i.path_position, 1);
	bool ended = false;
	int steps = 0;
	while (!ended && steps < 200) {
		ended = advance_path(i);
		steps++;
	}
	EXPECT_GE(steps, 100);
	EXPECT_LE(steps, 101);
	EXPECT_EQ(i.path_index, 0);
	EXPECT_GT(i.path_position, 0.98f);
	EXPECT_LE(i.path_position, 1.0f);
}

TEST_F(PathGame, EndActions)
{
	// Reverse: the speed changes sign at each end.
	CInstance rev;
	start_path(rev, 1, 30, 1, 0, false, 3);
	int turns = 0;
	for (int s = 0; s < 20; s++)
		if (advance_path(rev))
			turns++;
	EXPECT_GE(turns, 2);
	EXPECT_EQ(rev.path_index, 1);
	EXPECT_GE(rev.path_position, 0);
	EXPECT_LE(rev.path_position, 1);
	// Continue: the anchor moves on by the start-to-end offset each round.
	CInstance cont;
	start_path(cont, 1, 40, 1, 0, false, 2);
	while (!advance_path(cont)) {
	}
	EXPECT_EQ(cont.path_xstart, 110);
	EXPECT_GT(cont.x, 110);
	// Stop at the end: placed at the end point, no longer on the path.
	CInstance stop;
	start_path(stop, 1, 40, 1, 0, false, 0);
	while (!advance_path(stop)) {
	}
	EXPECT_EQ(stop.path_index, -1);
	EXPECT_EQ(stop.path_position, 1);
	EXPECT_EQ(stop.x, 110);
	EXPECT_FALSE(advance_path(stop));
	// Speed 0 ends at once (a position of 0 is an end) and stops at the end
	// point; run backwards to the start, stop also puts it at position 1.
	CInstance still;
	start_path(still, 1, 0, 1, 0, false, 0);
	EXPECT_TRUE(advance_path(still));
	EXPECT_EQ(still.x, 110);
	CInstance back;
	start_path(back, 1, -60, 1, 0, false, 0);
	while (!advance_path(back)) {
	}
	EXPECT_EQ(back.x, 110);
	EXPECT_EQ(back.path_xstart, 10);
}

// Started at its end (a negative speed), an instance follows the path itself,
// absolute or from where it stands, and does not jump by the path's extent.
TEST_F(PathGame, BackwardsStartStaysOnThePath)
{
	CInstance abs;
	start_path(abs, 1, -30, 1, 0, false, 0);
	EXPECT_EQ(abs.x, 110);
	advance_path(abs);
	EXPECT_FLOAT_EQ(abs.x, 95); // 30 x 50 / 100 back along the path
	EXPECT_EQ(abs.y, 10);
	CInstance rel;
	rel.x = 500;
	rel.y = 50;
	start_path(rel, 1, -30, 1, 0, true, 0);
	advance_path(rel);
	EXPECT_FLOAT_EQ(rel.x, 485);
	EXPECT_EQ(rel.y, 50);
}

// The point speed scales the step: on path 1 (speed 100 to 50), equal steps
// of path_speed cover less ground near the end.
TEST_F(PathGame, PointSpeedScalesTheStep)
{
	CInstance i;
	start_path(i, 1, 10, 1, 0, false, 0);
	step(i);
	float first = i.x - 10;
	for (int s = 0; s < 6; s++)
		step(i);
	float x = i.x;
	step(i);
	EXPECT_FLOAT_EQ(first, 10);
	EXPECT_LT(i.x - x, 7.5f);
}

// Through game code: path_start, the motion pass moves along the path, and
// the end-of-path event runs when it stops.
class PathFollowGame : public GameTest
{
};

TEST_F(PathFollowGame, MotionPassFollowsAndPerformsEndOfPath)
{
	CObject &o = object("obj_walker");
	on(o, EV_CREATE, 0, "path_start(0, 50, 0, true);");
	on(o, EV_STEP, 0, "show_debug_message(string(x) + \",\" + string(y) + \" \" + string(path_index));");
	on(o, EV_OTHER, 8, "show_debug_message(\"end \" + string(x) + \",\" + string(y)); game_end();");
	place(room(), 0, 300, 300);
	on_loaded = [&] {
		path_table().push_back(new_path(curve_of({{0, 0, 100}, {100, 0, 100}}, 0, false)));
	};
	Lines lines = play(10);
	EXPECT_EQ(lines, (Lines{"0,0 0", "50,0 0", "end 100,0"}));
}

} // namespace
