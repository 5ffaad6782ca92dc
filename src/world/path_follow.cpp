// path_follow.cpp: instances following a path: starting and stopping, the
// step along it with the four end actions, and the placing of the instance
// through its velocity so that direction follows the path.
#include <cmath>

#include "world/events.h"
#include "world/instances.h"
#include "world/motion.h"
#include "world/object.h"
#include "world/path.h"

namespace {

enum EndAction : int32_t
{
	END_STOP = 0,
	END_RESTART = 1,
	END_CONTINUE = 2,
	END_REVERSE = 3,
};

constexpr int32_t EV_OTHER_END_OF_PATH = 8;

CPath *followable(int32_t index)
{
	CPath *p = find_path(index);
	return p && p->length > 0 ? p : nullptr;
}

// Where the point at a position lies from the anchor: its offset from the
// path's first point, turned by the orientation `o` (radians) and scaled.
void placed_offset(const CPath &path, float position, float o, float scale, float &dx, float &dy)
{
	PathPoint at = path.point_at(position), origin = path.point_at(0);
	float px = at.x - origin.x, py = at.y - origin.y;
	float sin_o = std::sin(o), cos_o = std::cos(o);
	dx = (cos_o * px + sin_o * py) * scale;
	dy = (cos_o * py - sin_o * px) * scale;
}

// Applies the end action to a position that left 0..1; `o` is the
// orientation in radians.
void end_reached(CInstance &i, const CPath &path, float &position, float o)
{
	bool below = position <= 0;
	switch (i.path_endaction) {
	case END_RESTART:
		position += below ? 1 : -1;
		break;
	case END_CONTINUE: {
		// The anchor moves on by the path's start-to-end offset, turned and
		// scaled, so the next round starts where this one ended.
		float tx, ty;
		placed_offset(path, 1, o, i.path_scale, tx, ty);
		if (below) {
			i.path_xstart -= tx;
			i.path_ystart -= ty;
			position += 1;
		} else {
			i.path_xstart += tx;
			i.path_ystart += ty;
			position -= 1;
		}
		break;
	}
	case END_REVERSE:
		if (below) {
			position = -position;
			i.path_speed = std::fabs(i.path_speed);
		} else {
			position = 2 - position;
			i.path_speed = -std::fabs(i.path_speed);
		}
		break;
	default: // stop, and any other value
		i.path_index = -1;
		position = 1;
		break;
	}
}

} // namespace

void start_path(CInstance &i, int32_t path, float speed, float scale, float orientation, bool relative,
                int32_t end_action)
{
	i.path_index = path;
	if (path < 0)
		return;
	CPath *p = followable(path);
	if (!p || scale < 0) {
		i.path_index = -1;
		return;
	}
	i.path_speed = speed;
	i.path_position = speed >= 0 ? 0.0f : 1.0f;
	i.path_positionprevious = i.path_position;
	i.path_scale = scale;
	i.path_orientation = orientation;
	i.path_endaction = end_action;
	if (!relative) {
		PathPoint start = p->point_at(i.path_position);
		set_instance_position(i, start.x, start.y);
	}
	// The anchor is where the path's first point falls, so that the instance
	// stands on the path at its start position: the instance's place when
	// starting at 0, and behind it by the path's extent when starting at 1.
	float dx, dy;
	placed_offset(*p, i.path_position, orientation * ANGLE_FACTOR, scale, dx, dy);
	i.path_xstart = i.x - dx;
	i.path_ystart = i.y - dy;
}

bool advance_path(CInstance &i)
{
	if (i.path_index < 0)
		return false;
	CPath *p = followable(i.path_index);
	if (!p)
		return false;
	float o = i.path_orientation * ANGLE_FACTOR;
	float s = p->point_at(i.path_position).speed;
	float position = i.path_position + i.path_speed * (s / (100 * i.path_scale)) / p->length;
	bool ended = position >= 1 || position <= 0;
	if (ended)
		end_reached(i, *p, position, o);
	i.path_position = position;
	float dx, dy;
	placed_offset(*p, position, o, i.path_scale, dx, dy);
	float nx = i.path_xstart + dx, ny = i.path_ystart + dy;
	// Placed through the velocity, so direction takes the path's heading;
	// the speed is then 0 so that the move of the motion pass adds nothing.
	if (nx - i.x != i.hspeed)
		set_instance_hspeed(i, nx - i.x);
	if (ny - i.y != i.vspeed)
		set_instance_vspeed(i, ny - i.y);
	if (i.speed != 0)
		set_instance_speed(i, 0);
	set_instance_position(i, nx, ny);
	return ended;
}

void path_motion_step(CInstance &i, uint64_t pass)
{
	if (advance_path(i) && takes_part(i, pass))
		perform_own_event(&i, &i, EV_OTHER, EV_OTHER_END_OF_PATH);
}
