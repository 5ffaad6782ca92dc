// motion_contact.cpp: the motions that test places on their way: moving to
// contact with or out of other instances, bouncing off them, and jumping to a
// random free place.
#include <algorithm>
#include <cmath>

#include "code/random.h"
#include "world/collision.h"
#include "world/collision_query.h"
#include "world/instances.h"
#include "world/motion.h"

namespace {

// A huge maxdist in an empty room would otherwise walk for ever.
constexpr double MAX_STEPS = 1000000;

bool passes(CInstance &i, float x, float y, bool all)
{
	return all ? place_empty(i, x, y) : place_free(i, x, y);
}

double step_count(double maxdist)
{
	return maxdist > 0 ? std::min(std::nearbyint(maxdist), MAX_STEPS) : 1000;
}

struct Unit
{
	float c, s;
};

Unit unit(double direction)
{
	float r = (float)direction * ANGLE_FACTOR;
	return {(float)std::cos(r), (float)std::sin(r)};
}

// random(n): n scaled by a draw below 1, truncated.
double random_below(double n)
{
	return std::trunc(n * std::min(random_draw() / 32768.0, 0.9999));
}

double snapped_down(double v, double snap) { return snap > 0 ? std::floor(v / snap) * snap : v; }

// The direction search of the advanced bounce: the last angle tried, and
// whether any try was blocked.
double search(CInstance &i, double base, double turn, bool all, bool &blocked)
{
	double angle = base;
	for (int k = 1; k <= 35; k++) {
		angle = base + turn * k;
		Unit u = unit(angle);
		if (passes(i, i.x + u.c * i.speed, i.y - u.s * i.speed, all))
			break;
		blocked = true;
	}
	return angle;
}

} // namespace

void move_contact(CInstance &i, double direction, double maxdist, bool all)
{
	if (!passes(i, i.x, i.y, all))
		return;
	Unit u = unit(direction);
	for (double n = step_count(maxdist); n > 0; n--) {
		float x = i.x + u.c, y = i.y - u.s;
		if (!passes(i, x, y, all))
			return;
		set_instance_position(i, x, y);
	}
}

void move_outside(CInstance &i, double direction, double maxdist, bool all)
{
	if (passes(i, i.x, i.y, all))
		return;
	Unit u = unit(direction);
	for (double n = step_count(maxdist); n > 0; n--) {
		set_instance_position(i, i.x + u.c, i.y - u.s);
		if (passes(i, i.x, i.y, all))
			return;
	}
}

void move_bounce(CInstance &i, bool advanced, bool all)
{
	bool blocked = false;
	if (!passes(i, i.x, i.y, all)) {
		set_instance_position(i, i.xprevious, i.yprevious);
		blocked = true;
	}
	if (!advanced) {
		bool h = passes(i, i.x + i.hspeed, i.y, all);
		bool v = passes(i, i.x, i.y + i.vspeed, all);
		bool d = passes(i, i.x + i.hspeed, i.y + i.vspeed, all);
		if (!h) {
			set_instance_hspeed(i, -i.hspeed);
			if (!v)
				set_instance_vspeed(i, -i.vspeed);
		} else if (!v) {
			set_instance_vspeed(i, -i.vspeed);
		} else if (!d) {
			set_instance_hspeed(i, -i.hspeed);
			set_instance_vspeed(i, -i.vspeed);
		}
		return;
	}
	double base = std::nearbyint(i.direction / 10.0) * 10;
	double a1 = search(i, base, -10, all, blocked);
	double a2 = search(i, base, 10, all, blocked);
	if (blocked)
		set_instance_direction(i, a2 + a1 + 180 - base);
}

void move_random(CInstance &i, float room_width, float room_height, double hsnap, double vsnap)
{
	double x1 = 0, x2 = room_width, y1 = 0, y2 = room_height;
	if (mask_sprite(i)) {
		refresh_bbox(i);
		x1 = std::nearbyint((double)i.x - i.bbox_left);
		x2 = std::nearbyint((double)room_width + i.x - i.bbox_right);
		y1 = std::nearbyint((double)i.y - i.bbox_top);
		y2 = std::nearbyint((double)room_height + i.y - i.bbox_bottom);
	}
	double hs = std::nearbyint(hsnap), vs = std::nearbyint(vsnap);
	for (int tries = 0; tries < 100; tries++) {
		double nx = snapped_down(random_below(x2 - x1) + x1, hs);
		double ny = snapped_down(random_below(y2 - y1) + y1, vs);
		if (place_free(i, (float)nx, (float)ny)) {
			set_instance_position(i, (float)nx, (float)ny);
			return;
		}
	}
}
