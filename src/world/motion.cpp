// motion.cpp: the two views of an instance's velocity, friction, gravity and
// the motion pass, in 32-bit float geometry.
#include "world/motion.h"

#include <cmath>

#include "world/instances.h"
#include "world/path.h"

namespace {

float snap_whole(float value)
{
	float whole = std::nearbyint(value);
	return std::fabs(value - whole) < SNAP_TOLERANCE ? whole : value;
}

} // namespace

void recompute_cartesian(CInstance &i)
{
	float r = i.direction * ANGLE_FACTOR;
	i.hspeed = snap_whole((float)std::cos(r) * i.speed);
	i.vspeed = snap_whole(-i.speed * (float)std::sin(r));
}

void recompute_polar(CInstance &i)
{
	float direction;
	if (i.hspeed == 0) {
		direction = i.vspeed > 0 ? 270.0f : i.vspeed < 0 ? 90.0f : 0.0f;
	} else {
		float a = (float)(std::atan2((double)i.vspeed, (double)i.hspeed) * (180.0 / 3.1415927410125732));
		direction = a > 0 ? 360.0f - a : -a;
	}
	i.direction = std::fmod(snap_whole(direction), 360.0f);
	float sum = i.hspeed * i.hspeed + i.vspeed * i.vspeed;
	i.speed = snap_whole(std::sqrt(sum));
}

void set_instance_hspeed(CInstance &i, float value)
{
	if (i.hspeed == value)
		return;
	i.hspeed = value;
	recompute_polar(i);
}

void set_instance_vspeed(CInstance &i, float value)
{
	if (i.vspeed == value)
		return;
	i.vspeed = value;
	recompute_polar(i);
}

void set_instance_speed(CInstance &i, float value)
{
	if (i.speed == value)
		return;
	i.speed = value;
	recompute_cartesian(i);
}

// Brought into [0, 360) by fmod rather than by adding or subtracting 360 in a
// loop, which never ends for magnitudes where 360 is below the float's step.
void set_instance_direction(CInstance &i, double value)
{
	double v = std::fmod(value, 360.0);
	if (v < 0)
		v = std::fmod(v + 360.0, 360.0);
	i.direction = (float)(v + 0.0); // no negative zero
	if (i.direction == 360.0f)
		i.direction = 0;
	recompute_cartesian(i);
}

void add_motion(CInstance &i, float direction, float amount)
{
	float r = direction * ANGLE_FACTOR;
	i.hspeed += (float)std::cos(r) * amount;
	i.vspeed -= (float)std::sin(r) * amount;
	recompute_polar(i);
}

void apply_motion(CInstance &i, uint64_t pass)
{
	if (i.friction != 0 && i.speed != 0) {
		float n = i.speed > 0 ? i.speed - i.friction : i.speed + i.friction;
		if ((i.speed > 0 && n < 0) || (i.speed < 0 && n > 0))
			n = 0;
		if (n != i.speed)
			i.speed = n;
		recompute_cartesian(i);
	}
	if (i.gravity != 0)
		add_motion(i, i.gravity_direction, i.gravity);
	path_motion_step(i, pass);
	set_instance_position(i, i.x + i.hspeed, i.y + i.vspeed);
}

void motion_pass(RoomInstances &room)
{
	uint64_t pass = begin_dispatch_pass();
	for (CInstance *i = room.active.head; i; i = i->next)
		apply_motion(*i, pass);
}
