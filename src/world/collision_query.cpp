// collision_query.cpp: place tests, the first instance of a selection that
// meets a shape, box distances and the collision pass. Small lists are walked
// as they stand; larger ones go through the spatial index, whose candidates
// are put back into the order of the list they stand for.
#include "world/collision_query.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "world/collision.h"
#include "world/events.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/path.h"
#include "world/spatial_index.h"

namespace {

constexpr int32_t ALL = -3;
// Lists up to this long are walked directly.
constexpr size_t SMALL_LIST = 24;

bool g_index_enabled = true;

// Lists longer than this use the index.
size_t small_list_limit() { return g_index_enabled ? SMALL_LIST : SIZE_MAX; }

bool selectable(const CInstance &i) { return !i.marked && !i.deactivated; }

RoomInstances *indexed_room()
{
	install_collision();
	RoomInstances *room = current_room_instances();
	spatial_index().sync(room);
	return room;
}

BoxArea box_area(CInstance &i)
{
	refresh_bbox(i);
	return {i.bbox_left, i.bbox_top, i.bbox_right, i.bbox_bottom};
}

BoxArea point_area(float x, float y)
{
	// A coordinate that is not a number meets nothing: any pixel will do.
	auto cell = [](float v) { return std::isnan(v) ? 0 : (int64_t)std::clamp(std::floor((double)v), -4e18, 4e18); };
	return {cell(x), cell(y), cell(x), cell(y)};
}

// The index's candidates for an area, gathered into one buffer that is kept
// between calls: whoever fills it is done with it before any event runs.
std::vector<CInstance *> &candidates_of(const BoxArea &area)
{
	static std::vector<CInstance *> found;
	found.clear();
	spatial_index().candidates(area, found);
	return found;
}

// The index's candidates for the area that pass `keep`, sorted by `key`, in `kept`.
template <typename Keep, typename Key>
void nearby(const BoxArea &area, Keep keep, Key key, std::vector<CInstance *> &kept)
{
	kept.clear();
	for (CInstance *i : candidates_of(area))
		if (keep(*i))
			kept.push_back(i);
	std::sort(kept.begin(), kept.end(), [&](CInstance *a, CInstance *b) { return key(*a) < key(*b); });
}

template <typename Keep, typename Key>
std::vector<CInstance *> nearby(const BoxArea &area, Keep keep, Key key)
{
	std::vector<CInstance *> kept;
	nearby(area, keep, key, kept);
	return kept;
}

// True when some live active instance (solid only when `solid_only`) collides
// with self where self stands now.
bool anything_meets(RoomInstances *room, CInstance &self, bool solid_only)
{
	auto meets = [&](CInstance &i) {
		return selectable(i) && (!solid_only || i.solid) && instances_collide(self, i, true);
	};
	if ((size_t)room->active.count <= small_list_limit()) {
		for (CInstance *i = room->active.head; i; i = i->next)
			if (meets(*i))
				return true;
		return false;
	}
	std::vector<CInstance *> &found = candidates_of(box_area(self));
	return std::any_of(found.begin(), found.end(), [&](CInstance *i) { return meets(*i); });
}

bool place_test(CInstance &self, float x, float y, bool solid_only)
{
	RoomInstances *room = indexed_room();
	if (!room)
		return true;
	float old_x = self.x, old_y = self.y;
	set_instance_position(self, x, y);
	bool met = anything_meets(room, self, solid_only);
	set_instance_position(self, old_x, old_y);
	return !met;
}

void go_back(CInstance &i)
{
	set_instance_position(i, i.xprevious, i.yprevious);
	i.path_position = std::clamp(i.path_positionprevious, 0.0f, 1.0f);
}

// Two instances that met: solids put back, both collision events, then solids
// moved again (their paths a step on, then their speeds) and put back once
// more when they still meet.
void meet(CInstance &p, CInstance &q)
{
	int32_t p_object = p.object_index, q_object = q.object_index;
	if (p.solid || q.solid) {
		go_back(p);
		go_back(q);
	}
	perform_own_event(&p, &q, EV_COLLISION, q_object);
	perform_own_event(&q, &p, EV_COLLISION, p_object);
	if (p.solid || q.solid) {
		advance_path(p);
		advance_path(q);
		set_instance_position(p, p.x + p.hspeed, p.y + p.vspeed);
		set_instance_position(q, q.x + q.hspeed, q.y + q.vspeed);
		if (instances_collide(p, q, true)) {
			go_back(p);
			go_back(q);
		}
	}
}

bool in_pass(const CInstance &i, uint64_t pass) { return selectable(i) && takes_part(i, pass); }

// p against the instances of object j in j's list order, found through the
// index; gathered again whenever an event or a put-back changed a shape.
// `list` is the pass's buffer, reused from one instance to the next.
void meet_nearby(RoomInstances &room, CInstance &p, int32_t j, uint64_t pass, std::vector<CInstance *> &list)
{
	uint64_t last = 0;
	size_t at = 0;
	uint64_t geometry = 0, lists = 0;
	bool stale = true;
	while (!p.marked) {
		if (stale) {
			spatial_index().sync(&room);
			nearby(
			    box_area(p),
			    [&](CInstance &q) { return &q != &p && q.object_index == j && in_pass(q, pass) && q.join_serial > last; },
			    [](CInstance &q) { return q.join_serial; }, list);
			at = 0;
			geometry = spatial_index().geometry_version();
			lists = instance_list_version();
			stale = false;
		}
		if (at >= list.size())
			return;
		CInstance &q = *list[at++];
		last = q.join_serial;
		if (in_pass(q, pass) && instances_collide(p, q, true))
			meet(p, q);
		stale = spatial_index().geometry_version() != geometry || instance_list_version() != lists;
	}
}

} // namespace

void set_spatial_index_enabled(bool enabled) { g_index_enabled = enabled; }

bool place_free(CInstance &self, float x, float y) { return place_test(self, x, y, true); }
bool place_empty(CInstance &self, float x, float y) { return place_test(self, x, y, false); }

CInstance *first_selected(int32_t which, const BoxArea &area, CInstance *skip,
                          const std::function<bool(CInstance &)> &test)
{
	RoomInstances *room = indexed_room();
	if (!room)
		return nullptr;
	auto passes = [&](CInstance &i) { return &i != skip && selectable(i) && test(i); };
	if (which >= INSTANCE_ID_BASE) {
		CInstance *i = find_instance_by_id(which);
		return i && passes(*i) ? i : nullptr;
	}
	if (which == ALL) {
		if ((size_t)room->active.count <= small_list_limit()) {
			for (CInstance *i = room->active.head; i; i = i->next)
				if (passes(*i))
					return i;
			return nullptr;
		}
		auto key = [](CInstance &i) { return spatial_index().rank(i); };
		for (CInstance *i : nearby(area, selectable, key))
			if (passes(*i))
				return i;
		return nullptr;
	}
	CObject *object = which >= 0 ? object_table().find(which) : nullptr;
	if (!object)
		return nullptr;
	if (object->all_instances.size() <= small_list_limit()) {
		InstanceList list = object->all_instances;
		for (CInstance *i : list)
			if (passes(*i))
				return i;
		return nullptr;
	}
	auto member = [&](CInstance &i) {
		return selectable(i) && (i.object_index == which || object_table().is_ancestor(i.object_index, which));
	};
	for (CInstance *i : nearby(area, member, [](CInstance &i) { return i.join_serial; }))
		if (passes(*i))
			return i;
	return nullptr;
}

CInstance *instance_place(CInstance &self, float x, float y, int32_t which)
{
	float old_x = self.x, old_y = self.y;
	set_instance_position(self, x, y);
	CInstance *found =
	    first_selected(which, box_area(self), &self, [&](CInstance &i) { return instances_collide(self, i, true); });
	set_instance_position(self, old_x, old_y);
	return found;
}

CInstance *instance_position(float x, float y, int32_t which)
{
	return first_selected(which, point_area(x, y), nullptr, [&](CInstance &i) { return point_hits(i, x, y, true); });
}

std::vector<CInstance *> instances_at(float x, float y)
{
	std::vector<CInstance *> out;
	RoomInstances *room = indexed_room();
	if (!room)
		return out;
	if ((size_t)room->active.count <= small_list_limit()) {
		for (CInstance *i = room->active.head; i; i = i->next)
			if (selectable(*i) && point_hits(*i, x, y, true))
				out.push_back(i);
		return out;
	}
	auto key = [](CInstance &i) { return spatial_index().rank(i); };
	for (CInstance *i : nearby(point_area(x, y), selectable, key))
		if (point_hits(*i, x, y, true))
			out.push_back(i);
	return out;
}

float box_distance(CInstance *a, CInstance &b)
{
	if (!a || a->marked || a == &b)
		return 1000000.0f;
	refresh_bbox(*a);
	refresh_bbox(b);
	auto gap = [](int64_t a_low, int64_t a_high, int64_t b_low, int64_t b_high) -> int64_t {
		if (a_low > b_high)
			return a_low - b_high;
		if (a_high < b_low)
			return a_high - b_low;
		return 0;
	};
	int64_t dx = gap(a->bbox_left, a->bbox_right, b.bbox_left, b.bbox_right);
	int64_t dy = gap(a->bbox_top, a->bbox_bottom, b.bbox_top, b.bbox_bottom);
	return (float)std::sqrt((double)dx * (double)dx + (double)dy * (double)dy);
}

void collision_pass(RoomInstances &room)
{
	install_collision();
	uint64_t pass = begin_dispatch_pass();
	std::vector<std::pair<int32_t, int32_t>> pairs = object_table().collision_pairs();
	std::vector<CInstance *> nearby_list;
	for (auto [i, j] : pairs) {
		CObject *oi = object_table().find(i), *oj = object_table().find(j);
		if (!oi || !oj)
			continue;
		// Copies: events may change the lists while the pass walks them.
		InstanceList ps = oi->own_instances, qs = oj->own_instances;
		bool use_index = (size_t)room.active.count > small_list_limit() && ps.size() * qs.size() > 256;
		for (CInstance *p : ps) {
			if (!in_pass(*p, pass))
				continue;
			if (use_index) {
				meet_nearby(room, *p, j, pass, nearby_list);
				continue;
			}
			for (CInstance *q : qs)
				if (q != p && in_pass(*q, pass) && in_pass(*p, pass) && instances_collide(*p, *q, true))
					meet(*p, *q);
		}
	}
}
