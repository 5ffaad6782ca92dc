// instances.h: live instances: ids and the id map, the room's depth-ordered
// active list and its deactivated list, the objects' instance lists, creation,
// object change, copying, deferred removal, activation, and the event serial
// that keeps new instances out of the running dispatch pass.
#pragma once

#include <cstdint>
#include <vector>

#include "world/instance.h"

// Changes with every insertion into or removal from any instance list, so that
// walks by position can tell that a list changed.
uint64_t instance_list_version();

// A doubly linked list of instances through their next/prev links.
class InstanceChain
{
public:
	CInstance *head = nullptr, *tail = nullptr;
	int32_t count = 0;

	void append(CInstance *instance);
	// After every instance whose depth is smaller or equal.
	void insert_by_depth(CInstance *instance);
	void unlink(CInstance *instance);
};

// The instances of a room. The room owns them: destroying the room destroys
// every instance still in its lists.
class RoomInstances
{
public:
	RoomInstances() = default;
	RoomInstances(const RoomInstances &) = delete;
	RoomInstances &operator=(const RoomInstances &) = delete;
	~RoomInstances();

	InstanceChain active;      // ascending depth, insertion order within a depth
	InstanceChain deactivated; // in order of deactivation
};

// ---- Process-wide state ----
// A new game: the id map emptied, the event serial 0, the last id as given
// (the header's last instance id).
void reset_instances(int32_t last_instance_id);
int32_t last_instance_id();
void set_last_instance_id(int32_t id);
// The room whose lists the instance operations and the directory use (null:
// none). The caller keeps ownership. Installs the instance directory.
void set_current_room_instances(RoomInstances *room);
RoomInstances *current_room_instances();
// The directory over the current room that set_current_room_instances installs.
IInstanceDirectory &room_directory();

// What instances need from the sprite and collision modules, which install
// them; until then there are no sprites and boxes stay as they are.
struct InstanceHooks
{
	int32_t (*sprite_image_count)(int32_t sprite_index) = nullptr; // 0 for a missing sprite
	bool (*sprite_exists)(int32_t sprite_index) = nullptr;
	void (*update_bbox)(CInstance &instance) = nullptr;           // recomputes a dirty box
	void (*shape_changed)(CInstance &instance) = nullptr;         // position, sprite, mask, scale or angle
};
void set_instance_hooks(const InstanceHooks &hooks);
const InstanceHooks &instance_hooks();
int32_t sprite_image_count(int32_t sprite_index);
bool sprite_exists(int32_t sprite_index);
void update_bbox(CInstance &instance);
// Marks the box stale after a change of position, sprite, mask, scale or
// angle, and tells the collision module, which keeps its index of boxes.
void mark_bbox_dirty(CInstance &instance);

// ---- Dispatch passes ----
// Starts a pass: increments the event serial and returns its value before.
uint64_t begin_dispatch_pass();
// True when the instance existed before the pass started.
inline bool takes_part(const CInstance &instance, uint64_t pass) { return instance.creation_serial <= pass; }
uint64_t event_serial();

// ---- Operations ----
// A new instance of the object at (x, y) with the next id, in the room's active
// list and the id map. No event is performed.
CInstance *create_instance(RoomInstances &room, float x, float y, int32_t object_index);
// Takes an instance made elsewhere (room loading) into the active list and the
// id map; the room owns it from now on.
void add_existing_instance(RoomInstances &room, CInstance *instance);
// Changes the instance's object: out of the old object's lists, into the new
// one's when `add`, and the object's defaults copied.
void set_instance_object(CInstance &instance, int32_t object_index, bool add);
// Copies every field of source into target except the id, the links and the
// lists (target joins its object's lists again); the unnamed flag is cleared.
void copy_instance_fields(CInstance &target, const CInstance &source);
// Takes an instance out of its object's lists and the id map, leaving it in its
// room list (a persistent room keeps its instances that way while it is left),
// and the reverse for a room entered again.
void unregister_instance(CInstance &instance);
void register_instance(CInstance &instance);
// Unlinks an instance from the room's list it is in and destroys it.
void discard_instance(RoomInstances &room, CInstance *instance);
// Gives an instance another id in the id map.
void change_instance_id(CInstance &instance, int32_t id);
// Destroys every marked instance of the room's lists.
void remove_marked(RoomInstances &room);
// Moves instances between the active and deactivated lists by their flags.
void sync_activation(RoomInstances &room);
// The instance with this id in the id map (deactivated and marked ones too).
CInstance *find_instance_by_id(int32_t id);

void set_instance_depth(CInstance &instance, float depth);
void set_instance_sprite(CInstance &instance, int32_t sprite);
void set_instance_mask(CInstance &instance, int32_t mask);
// Stores the position and marks the box stale when either coordinate differs.
void set_instance_position(CInstance &instance, float x, float y);
// Writes "Dump active list" and one line per active instance (at most 1000).
void dump_active_list(const RoomInstances &room);

// The live (unmarked) instances of the room's active list, in order.
std::vector<CInstance *> live_active_instances();
// The live instances an object index selects through its all-instances list.
std::vector<CInstance *> live_object_instances(int32_t object_index);
