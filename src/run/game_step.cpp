// game_step.cpp: the game step: the passes over the room's instances in their
// fixed order, each stopping the step when it leaves a room change request,
// then the removal of destroyed instances, the room's drawing, background
// scrolling and animation.
#include "run/run_state.h"

#include <cmath>

#include "graphics/room_draw.h"
#include "input/input.h"
#include "run/rooms.h"
#include "world/collision_query.h"
#include "world/events.h"
#include "world/instances.h"
#include "world/motion.h"
#include "world/object.h"
#include "run/timelines.h"

namespace {

constexpr int32_t OTHER_OUTSIDE = 0, OTHER_BOUNDARY = 1, OTHER_ANIMATION_END = 7;
constexpr int32_t OTHER_OUTSIDE_VIEW = 40, OTHER_BOUNDARY_VIEW = 50;

bool stop_requested() { return room_request() != ROOM_REQUEST_NONE; }

struct Rect
{
	float left, top, right, bottom;
};

// The box tests of the boundary events: a point for an instance without
// sprite and mask, its bounding box otherwise.
bool has_shape(const CInstance &i) { return sprite_exists(i.sprite_index) || sprite_exists(i.mask_index); }

bool outside(CInstance &i, const Rect &r)
{
	if (!has_shape(i))
		return i.x < r.left || i.x > r.right || i.y < r.top || i.y > r.bottom;
	update_bbox(i);
	return i.bbox_right < r.left || i.bbox_left > r.right || i.bbox_bottom < r.top || i.bbox_top > r.bottom;
}

bool crosses(CInstance &i, const Rect &r)
{
	if (!has_shape(i))
		return i.x < r.left || i.x > r.right || i.y < r.top || i.y > r.bottom;
	update_bbox(i);
	return i.bbox_left < r.left || i.bbox_right > r.right || i.bbox_top < r.top || i.bbox_bottom > r.bottom;
}

void previous_positions(CRoom &room)
{
	for (CInstance *i = room.instances.active.head; i; i = i->next) {
		i->xprevious = i->x;
		i->yprevious = i->y;
		i->path_positionprevious = i->path_position;
	}
}

// An "other" event for the instances of the objects that have it and pass
// the test against the rectangle.
void boundary_pass(int32_t number, const Rect &r, bool (*test)(CInstance &, const Rect &))
{
	uint64_t pass = begin_dispatch_pass();
	std::vector<int32_t> objects = object_table().dispatch_list(EV_OTHER, number);
	for (int32_t o : objects) {
		CObject *object = object_table().find(o);
		if (!object)
			continue;
		InstanceList snapshot = object->own_instances;
		for (CInstance *i : snapshot)
			if (!i->marked && !i->deactivated && takes_part(*i, pass) && test(*i, r))
				perform_own_event(i, i, EV_OTHER, number);
	}
}

void boundary_events(CRoom &room)
{
	Rect whole{0, 0, (float)room.record.width, (float)room.record.height};
	boundary_pass(OTHER_OUTSIDE, whole, outside);
	boundary_pass(OTHER_BOUNDARY, whole, crosses);
	if (!room.record.views_enabled)
		return;
	for (int v = 0; v < 8 && (size_t)v < room.record.views.size(); v++) {
		const RoomView &view = room.record.views[v];
		if (!view.visible)
			continue;
		Rect r{(float)view.xview, (float)view.yview, (float)view.xview + view.wview, (float)view.yview + view.hview};
		boundary_pass(OTHER_OUTSIDE_VIEW + v, r, outside);
	}
	for (int v = 0; v < 8 && (size_t)v < room.record.views.size(); v++) {
		const RoomView &view = room.record.views[v];
		if (!view.visible)
			continue;
		Rect r{(float)view.xview, (float)view.yview, (float)view.xview + view.wview, (float)view.yview + view.hview};
		boundary_pass(OTHER_BOUNDARY_VIEW + v, r, crosses);
	}
}

void scroll_backgrounds(CRoom &room)
{
	for (RoomBackground &b : room.record.backgrounds) {
		b.x += b.hspeed;
		b.y += b.vspeed;
	}
}

// image_index advances by image_speed and wraps at the sprite's image count
// with the animation end event. An instance without a sprite (no images) gets
// no animation end event.
void animate()
{
	for (CInstance *i : live_active_instances()) {
		if (i->marked || i->deactivated)
			continue;
		i->image_index += i->image_speed;
		int32_t count = sprite_image_count(i->sprite_index);
		if (count <= 0)
			continue;
		if (std::trunc(i->image_index) >= (float)count) {
			i->image_index -= (float)count;
			perform_own_event(i, i, EV_OTHER, OTHER_ANIMATION_END);
		}
	}
}

} // namespace

void perform_dispatch_pass(int32_t type, int32_t number, const std::function<bool(CInstance &)> &accept)
{
	uint64_t pass = begin_dispatch_pass();
	// Copies: event code may add objects or instances while the pass runs.
	std::vector<int32_t> objects = object_table().dispatch_list(type, number);
	for (int32_t o : objects) {
		CObject *object = object_table().find(o);
		if (!object)
			continue;
		InstanceList snapshot = object->own_instances;
		for (CInstance *i : snapshot)
			if (!i->marked && !i->deactivated && takes_part(*i, pass) && (!accept || accept(*i)))
				perform_own_event(i, i, type, number);
	}
}

void run_game_step(bool draw)
{
	update_input();
	CRoom *room = room_state().current;
	if (!room || stop_requested())
		return;
	previous_positions(*room);
	// Each pass may request a room change, which ends the step at once. The
	// input and particle passes come with their modules.
	// motion, collision and particle passes come with their modules.
	using Pass = void (*)(CRoom &);
	const Pass passes[] = {
		[](CRoom &) { perform_dispatch_pass(EV_STEP, EV_STEP_BEGIN); },
		[](CRoom &) { timeline_pass(); },
		[](CRoom &) { alarm_pass(); },
		[](CRoom &) { keyboard_events(); },
		[](CRoom &) { joystick_events(); },
		mouse_events,
		[](CRoom &) { perform_dispatch_pass(EV_STEP, EV_STEP_NORMAL); },
		[](CRoom &r) { motion_pass(r.instances); },
		boundary_events,
		[](CRoom &r) { collision_pass(r.instances); },
		[](CRoom &) { perform_dispatch_pass(EV_STEP, EV_STEP_END); },
	};
	for (Pass pass : passes) {
		pass(*room);
		if (stop_requested())
			return;
	}
	remove_marked(room->instances);
	if (draw)
		room_draw(*room);
	scroll_backgrounds(*room);
	animate();
}
