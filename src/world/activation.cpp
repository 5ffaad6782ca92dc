// activation.cpp: deactivation and activation of instances by object, id and
// region.
#include "world/activation.h"

#include "world/instances.h"
#include "world/object.h"

namespace {

constexpr int32_t SELF = -1, OTHER = -2, ALL = -3;

template <typename Visit>
void for_each_in(InstanceChain &chain, Visit visit)
{
	for (CInstance *i = chain.head; i; i = i->next)
		visit(*i);
}

// Outside the region: by position without sprite or mask, else by box (strict
// comparisons, so a box touching the edge is inside).
bool outside(CInstance &i, const Region &r)
{
	if (!sprite_exists(i.sprite_index) && !sprite_exists(i.mask_index))
		return i.x < r.left || i.x > r.right || i.y < r.top || i.y > r.bottom;
	update_bbox(i);
	return r.left > i.bbox_right || i.bbox_left > r.right || r.top > i.bbox_bottom || i.bbox_top > r.bottom;
}

// Whether an instance of the list is selected by `which`.
bool selects(const CInstance &i, int32_t which, bool deactivate)
{
	if (which == ALL)
		return true;
	if (which >= INSTANCE_ID_BASE)
		return i.id == which && !i.marked;
	if (which < 0)
		return false;
	if (i.object_index == which)
		return true;
	return deactivate ? false : object_table().is_ancestor(i.object_index, which);
}

} // namespace

void deactivate_all(CInstance *self, bool notme)
{
	RoomInstances *room = current_room_instances();
	if (!room)
		return;
	for_each_in(room->active, [](CInstance &i) { i.deactivated = true; });
	if (notme && self)
		self->deactivated = false;
	sync_activation(*room);
}

void set_activation_of(int32_t which, CInstance *self, CInstance *other, bool deactivate)
{
	RoomInstances *room = current_room_instances();
	if (!room)
		return;
	if (which == SELF || which == OTHER) {
		if (CInstance *i = which == SELF ? self : other)
			i->deactivated = deactivate;
	} else if (deactivate && which >= 0 && which < INSTANCE_ID_BASE) {
		// An object: its all-instances list holds it and its descendants.
		if (CObject *object = object_table().find(which))
			for (CInstance *i : object->all_instances)
				i->deactivated = true;
	} else {
		InstanceChain &chain = deactivate ? room->active : room->deactivated;
		for_each_in(chain, [&](CInstance &i) {
			if (selects(i, which, deactivate))
				i.deactivated = deactivate;
		});
	}
	sync_activation(*room);
}

void deactivate_region(const Region &region, CInstance *self, bool notme)
{
	RoomInstances *room = current_room_instances();
	if (!room)
		return;
	for_each_in(room->active, [&](CInstance &i) {
		if (outside(i, region) != region.inside)
			i.deactivated = true;
	});
	if (notme && self)
		self->deactivated = false;
	sync_activation(*room);
}

void activate_all()
{
	RoomInstances *room = current_room_instances();
	if (!room)
		return;
	for_each_in(room->deactivated, [](CInstance &i) { i.deactivated = false; });
	sync_activation(*room);
}

void activate_region(const Region &region)
{
	RoomInstances *room = current_room_instances();
	if (!room)
		return;
	for_each_in(room->deactivated, [&](CInstance &i) {
		if (outside(i, region) != region.inside)
			i.deactivated = false;
	});
	sync_activation(*room);
}
