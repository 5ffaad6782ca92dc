// motion.h: the velocity of an instance in its two equal views, polar
// (direction, speed) and Cartesian (hspeed, vspeed), kept consistent on every
// write, and the motion pass that applies friction and gravity and moves.
#pragma once

#include <cstdint>

#include "world/instance.h"

class RoomInstances;

// Degrees to radians: pi as a 32-bit float over 180, stored as a 32-bit float.
constexpr float ANGLE_FACTOR = (float)(3.1415927410125732 / 180.0);
// Values within this of a whole number are snapped to it.
constexpr float SNAP_TOLERANCE = 0.0001f;

// hspeed and vspeed from direction and speed.
void recompute_cartesian(CInstance &instance);
// direction and speed from hspeed and vspeed; the speed is never negative.
void recompute_polar(CInstance &instance);

// The writes of the motion variables. hspeed, vspeed and speed do nothing when
// the value is the current one; direction always recomputes the Cartesian view.
void set_instance_hspeed(CInstance &instance, float value);
void set_instance_vspeed(CInstance &instance, float value);
void set_instance_speed(CInstance &instance, float value);
void set_instance_direction(CInstance &instance, double value);
// Adds a motion of `amount` towards `direction` to the current one.
void add_motion(CInstance &instance, float direction, float amount);

// Friction, then gravity, then the step along a path, then the move by
// (hspeed, vspeed), for every instance of the room's active list in order;
// `pass` is the pass's serial: instances created after it get no end-of-path
// event (outside a pass every instance does).
void apply_motion(CInstance &instance, uint64_t pass = UINT64_MAX);
void motion_pass(RoomInstances &room);

// Built-in motions that test places: unit steps towards `direction` while the
// place stays free (contact) or until it is free (outside); free means no
// solid instance collides, or no instance at all when `all`. maxdist <= 0
// allows 1000 steps.
void move_contact(CInstance &instance, double direction, double maxdist, bool all);
void move_outside(CInstance &instance, double direction, double maxdist, bool all);
// Up to 100 tries at a random free place (snapped when a snap is > 0) that
// keeps the box inside a room of the given size; stays put when none is found.
void move_random(CInstance &instance, float room_width, float room_height, double hsnap, double vsnap);
// Reverses the motion off the instances in the way; `advanced` searches the
// free direction in steps of 10 degrees.
void move_bounce(CInstance &instance, bool advanced, bool all);
