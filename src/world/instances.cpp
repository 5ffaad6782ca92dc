// instances.cpp: the room's instance lists, ids, creation, object change,
// copying, deferred removal and activation.
#include "world/instances.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "common/console.h"
#include "world/object.h"

namespace {

struct InstanceState
{
	int32_t last_id = 0;
	uint64_t serial = 0;
	std::unordered_map<int32_t, CInstance *> ids;
	RoomInstances *room = nullptr;
	InstanceHooks hooks;
};

InstanceState &state()
{
	static InstanceState s;
	return s;
}

// Searched from the end: the newest instances are the likeliest to go, and a
// room taken down from the tail of its list empties the lists from their end.
void remove_from(InstanceList &list, CInstance *instance)
{
	auto it = std::find(list.rbegin(), list.rend(), instance);
	if (it != list.rend())
		list.erase(std::next(it).base());
}

// Calls visit for the object and each ancestor, at most once around a cycle.
template <typename Visit>
void for_object_and_ancestors(CObject *object, Visit visit)
{
	for (int32_t steps = 0; object && steps <= object_table().count(); steps++) {
		visit(*object);
		object = object->parent_index >= 0 ? object_table().find(object->parent_index) : nullptr;
	}
}

void leave_object_lists(CInstance &instance)
{
	// An object removed from the table since took its lists with it.
	CObject *object = instance.object;
	if (!object || object_table().find(instance.object_index) != object)
		return;
	remove_from(object->own_instances, &instance);
	for_object_and_ancestors(object, [&](CObject &o) { remove_from(o.all_instances, &instance); });
}

uint64_t g_join_serial = 0;

void join_object_lists(CInstance &instance)
{
	if (!instance.object)
		return;
	instance.join_serial = ++g_join_serial;
	instance.object->own_instances.push_back(&instance);
	for_object_and_ancestors(instance.object, [&](CObject &o) { o.all_instances.push_back(&instance); });
}

void keep_image_in_range(CInstance &instance)
{
	if ((int64_t)std::floor(instance.image_index) >= sprite_image_count(instance.sprite_index))
		instance.image_index = 0;
}

// Destroys an instance that has left its room list.
void destroy(CInstance *instance)
{
	auto it = state().ids.find(instance->id);
	if (it != state().ids.end() && it->second == instance)
		state().ids.erase(it);
	if (!instance->deactivated)
		leave_object_lists(*instance);
	delete instance;
}

// From the tail, so that each instance leaves its object's lists at their end
// instead of shifting every later entry down.
void destroy_chain(InstanceChain &chain)
{
	while (CInstance *instance = chain.tail) {
		chain.unlink(instance);
		destroy(instance);
	}
}

uint64_t g_list_version = 0;

} // namespace

uint64_t instance_list_version()
{
	return g_list_version;
}

void InstanceChain::append(CInstance *instance)
{
	g_list_version++;
	instance->prev = tail;
	instance->next = nullptr;
	if (tail)
		tail->next = instance;
	else
		head = instance;
	tail = instance;
	count++;
}

void InstanceChain::insert_by_depth(CInstance *instance)
{
	g_list_version++;
	CInstance *after = tail;
	while (after && after->depth > instance->depth)
		after = after->prev;
	instance->prev = after;
	instance->next = after ? after->next : head;
	if (instance->next)
		instance->next->prev = instance;
	else
		tail = instance;
	if (after)
		after->next = instance;
	else
		head = instance;
	count++;
}

void InstanceChain::unlink(CInstance *instance)
{
	g_list_version++;
	if (instance->prev)
		instance->prev->next = instance->next;
	else
		head = instance->next;
	if (instance->next)
		instance->next->prev = instance->prev;
	else
		tail = instance->prev;
	instance->next = instance->prev = nullptr;
	count--;
}

RoomInstances::~RoomInstances()
{
	if (state().room == this)
		set_current_room_instances(nullptr);
	destroy_chain(active);
	destroy_chain(deactivated);
}

void reset_instances(int32_t last_id)
{
	state().ids.clear();
	state().serial = 0;
	state().last_id = last_id;
}

int32_t last_instance_id() { return state().last_id; }
void set_last_instance_id(int32_t id) { state().last_id = id; }
RoomInstances *current_room_instances() { return state().room; }

void set_current_room_instances(RoomInstances *room)
{
	state().room = room;
	set_instance_directory(room ? &room_directory() : nullptr);
}

void set_instance_hooks(const InstanceHooks &hooks) { state().hooks = hooks; }
const InstanceHooks &instance_hooks() { return state().hooks; }

int32_t sprite_image_count(int32_t sprite_index)
{
	const InstanceHooks &h = state().hooks;
	return h.sprite_image_count ? h.sprite_image_count(sprite_index) : 0;
}

bool sprite_exists(int32_t sprite_index)
{
	const InstanceHooks &h = state().hooks;
	return h.sprite_exists && h.sprite_exists(sprite_index);
}

void update_bbox(CInstance &instance)
{
	const InstanceHooks &h = state().hooks;
	if (instance.bbox_dirty && h.update_bbox)
		h.update_bbox(instance);
}

void mark_bbox_dirty(CInstance &instance)
{
	instance.bbox_dirty = true;
	if (state().hooks.shape_changed)
		state().hooks.shape_changed(instance);
}

uint64_t begin_dispatch_pass() { return state().serial++; }
uint64_t event_serial() { return state().serial; }

CInstance *create_instance(RoomInstances &room, float x, float y, int32_t object_index)
{
	CInstance *instance = new CInstance(++state().last_id, object_index);
	instance->creation_serial = state().serial;
	instance->x = instance->xstart = instance->xprevious = x;
	instance->y = instance->ystart = instance->yprevious = y;
	set_instance_object(*instance, object_index, true);
	room.active.insert_by_depth(instance);
	state().ids[instance->id] = instance;
	return instance;
}

void add_existing_instance(RoomInstances &room, CInstance *instance)
{
	room.active.insert_by_depth(instance);
	state().ids[instance->id] = instance;
}

void set_instance_object(CInstance &instance, int32_t object_index, bool add)
{
	leave_object_lists(instance);
	instance.object_index = object_index == -1 ? 0 : object_index;
	instance.object = object_table().find(instance.object_index);
	CObject *object = instance.object;
	if (!object)
		return;
	if (add)
		join_object_lists(instance);
	instance.mask_index = object->mask_index;
	instance.depth = (float)object->depth;
	instance.solid = object->solid();
	instance.visible = object->visible();
	instance.persistent = object->persistent();
	instance.sprite_index = object->sprite_index;
	keep_image_in_range(instance);
	mark_bbox_dirty(instance);
}

void copy_instance_fields(CInstance &target, const CInstance &source)
{
	int32_t id = target.id;
	CInstance *next = target.next, *prev = target.prev;
	bool marked = target.marked, deactivated = target.deactivated;
	uint64_t serial = target.creation_serial;
	bool created = target.created;
	leave_object_lists(target);
	target = source; // the variables are copied deeply
	// The copy keeps its own identity, place and state in the lists.
	target.id = id;
	target.next = next;
	target.prev = prev;
	target.marked = marked;
	target.deactivated = deactivated;
	target.creation_serial = serial;
	target.created = created;
	target.unnamed_flag = false;
	target.object = object_table().find(target.object_index);
	join_object_lists(target);
}

void unregister_instance(CInstance &instance)
{
	auto it = state().ids.find(instance.id);
	if (it != state().ids.end() && it->second == &instance)
		state().ids.erase(it);
	leave_object_lists(instance);
}

void register_instance(CInstance &instance)
{
	state().ids[instance.id] = &instance;
	if (!instance.deactivated) {
		leave_object_lists(instance);
		join_object_lists(instance);
	}
}

void discard_instance(RoomInstances &room, CInstance *instance)
{
	(instance->deactivated ? room.deactivated : room.active).unlink(instance);
	destroy(instance);
}

void change_instance_id(CInstance &instance, int32_t id)
{
	auto it = state().ids.find(instance.id);
	if (it != state().ids.end() && it->second == &instance)
		state().ids.erase(it);
	instance.id = id;
	state().ids[id] = &instance;
}

void remove_marked(RoomInstances &room)
{
	for (InstanceChain *chain : {&room.active, &room.deactivated}) {
		CInstance *instance = chain->head;
		while (instance) {
			CInstance *next = instance->next;
			if (instance->marked) {
				chain->unlink(instance);
				destroy(instance);
			}
			instance = next;
		}
	}
}

void sync_activation(RoomInstances &room)
{
	for (CInstance *instance = room.deactivated.head; instance;) {
		CInstance *next = instance->next;
		if (!instance->deactivated) {
			room.deactivated.unlink(instance);
			room.active.insert_by_depth(instance);
			join_object_lists(*instance);
		}
		instance = next;
	}
	for (CInstance *instance = room.active.head; instance;) {
		CInstance *next = instance->next;
		if (instance->deactivated) {
			room.active.unlink(instance);
			room.deactivated.append(instance);
			leave_object_lists(*instance);
		}
		instance = next;
	}
}

CInstance *find_instance_by_id(int32_t id)
{
	auto it = state().ids.find(id);
	return it == state().ids.end() ? nullptr : it->second;
}

void set_instance_depth(CInstance &instance, float depth)
{
	if (instance.depth == depth)
		return;
	instance.depth = depth;
	RoomInstances *room = state().room;
	if (instance.deactivated || !room || find_instance_by_id(instance.id) != &instance)
		return;
	room->active.unlink(&instance);
	room->active.insert_by_depth(&instance);
}

void set_instance_sprite(CInstance &instance, int32_t sprite)
{
	instance.sprite_index = sprite;
	mark_bbox_dirty(instance);
	keep_image_in_range(instance);
}

void set_instance_mask(CInstance &instance, int32_t mask)
{
	if (instance.mask_index == mask)
		return;
	instance.mask_index = mask;
	mark_bbox_dirty(instance);
}

void set_instance_position(CInstance &instance, float x, float y)
{
	if ((double)instance.x == (double)x && (double)instance.y == (double)y)
		return;
	instance.x = x;
	instance.y = y;
	mark_bbox_dirty(instance);
}

void dump_active_list(const RoomInstances &room)
{
	dbg_console().Output("Dump active list\n");
	int lines = 0;
	for (CInstance *i = room.active.head; i && lines < 1000; i = i->next, lines++)
		dbg_console().Output("0x%p\t%f\t%s\n", (void *)i, (double)i->depth,
		                     object_table().name(i->object_index).c_str());
}

std::vector<CInstance *> live_active_instances()
{
	std::vector<CInstance *> out;
	if (RoomInstances *room = state().room)
		for (CInstance *i = room->active.head; i; i = i->next)
			if (!i->marked)
				out.push_back(i);
	return out;
}

std::vector<CInstance *> live_object_instances(int32_t object_index)
{
	std::vector<CInstance *> out;
	if (CObject *object = object_table().find(object_index))
		for (CInstance *i : object->all_instances)
			if (!i->marked)
				out.push_back(i);
	return out;
}
