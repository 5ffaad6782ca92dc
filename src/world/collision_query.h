// collision_query.h: the questions game code asks about the room's instances
// (is a place free, which instance is at a point or meets a shape, how far is
// the nearest box) and the collision pass of the step, all answered through
// the spatial index in the order the instance lists give.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "world/instance.h"

class RoomInstances;

// No solid instance (free) or no instance at all (empty) collides with the
// instance moved to (x, y); the instance is moved back afterwards.
bool place_free(CInstance &self, float x, float y);
bool place_empty(CInstance &self, float x, float y);

// The selection of an object argument: all (-3) in the active list's order,
// an instance id, or an object with its descendants in the object's order.
// The first live active instance of it, other than `skip`, that is in `area`
// and passes the test; null when none does.
struct BoxArea;
CInstance *first_selected(int32_t which, const BoxArea &area, CInstance *skip,
                          const std::function<bool(CInstance &)> &test);

// The first instance of the selection that self, moved to (x, y), collides
// with (precise); null when none.
CInstance *instance_place(CInstance &self, float x, float y, int32_t which);
// The first instance of the selection whose shape holds the point (precise).
CInstance *instance_position(float x, float y, int32_t which);
// Every live active instance whose shape holds the point (precise), in the
// active list's order.
std::vector<CInstance *> instances_at(float x, float y);

// The gap between the boxes of two instances; 1000000 when `a` is missing,
// marked or is `b`.
float box_distance(CInstance *a, CInstance &b);

// With the index off, every query and the pass walk the lists in full (for
// comparison in tests and benchmarks). On by default.
void set_spatial_index_enabled(bool enabled);

// The collision pass: every pair of instances of the objects of the collision
// pair list that meet performs its collision events, solids put back first.
void collision_pass(RoomInstances &room);
