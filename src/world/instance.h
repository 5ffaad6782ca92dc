// instance.h: the instance record and the lookups that variable access needs.
// The instances module (instances.h) implements IInstanceDirectory over the
// room's and the objects' instance lists.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "code/code_ref.h"
#include "code/variable_list.h"

class CObject;

// Ids of instances start here; smaller numbers name objects.
constexpr int32_t INSTANCE_ID_BASE = 100000;
constexpr int ALARM_COUNT = 12;

class CInstance
{
public:
	CInstance(int32_t id = 0, int32_t object_index = 0) : id(id), object_index(object_index) {}
	virtual ~CInstance() = default;

	// Live: not destroyed and awaiting removal.
	bool live() const { return !marked; }

	bool bbox_dirty = true;
	// Grows each time the instance joins its object's lists, so that every
	// instance list of an object is in ascending join order.
	uint64_t join_serial = 0;
	bool visible = true, solid = false, persistent = false;
	bool marked = false;      // destroyed, removed at the end of the step
	bool deactivated = false; // in the room's deactivated list
	bool unnamed_flag = false;
	bool created = false;     // its create event has been performed
	uint64_t creation_serial = 0;
	int32_t id;
	int32_t object_index;
	CObject *object = nullptr;

	int32_t sprite_index = -1;
	float image_index = 0, image_speed = 1, image_xscale = 1, image_yscale = 1, image_angle = 0, image_alpha = 1;
	uint32_t image_blend = 0xFFFFFF;
	int32_t mask_index = -1;
	bool mask_precise = false;
	float x = 0, y = 0, xstart = 0, ystart = 0, xprevious = 0, yprevious = 0;
	float direction = 0, speed = 0, friction = 0, gravity_direction = 270, gravity = 0, hspeed = 0, vspeed = 0;
	int32_t bbox_left = 0, bbox_top = 0, bbox_right = 0, bbox_bottom = 0;
	std::array<int32_t, ALARM_COUNT> alarm{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
	CVariableList variables; // the instance's own user variables
	int32_t path_index = -1;
	float path_position = 0, path_positionprevious = 0, path_speed = 0, path_scale = 1, path_orientation = 0;
	int32_t path_endaction = 0;
	float path_xstart = 0, path_ystart = 0;
	int32_t timeline_index = -1;
	float timeline_position = 0, timeline_speed = 1;
	bool timeline_running = false, timeline_loop = false;
	int32_t reserved = 0;
	float depth = 0;

	// Placed in a room: the creation code of its room entry (the room resource
	// owns it). Carried: arrived from the previous room as a persistent instance.
	CodeRef *creation_code = nullptr;
	bool carried = false;

	// Links of the room list the instance is in.
	CInstance *next = nullptr, *prev = nullptr;
	// Its entry in the spatial index, checked against the index before use.
	int32_t index_slot = -1;
};

// The instance lists of the world, as variable access and `with` see them.
class IInstanceDirectory
{
public:
	virtual ~IInstanceDirectory() = default;
	// The instance with this id in the room, live or not; null when there is none.
	virtual CInstance *find_instance(int32_t id) = 0;
	virtual bool object_exists(int32_t object_index) = 0;
	// The room's instance list in the room's order, live or not.
	virtual int32_t room_instance_count() = 0;
	virtual CInstance *room_instance(int32_t position) = 0;
	// The instances an object index selects, in the object's instance order, and
	// the first live one of them (null when there is none).
	virtual void object_instances(int32_t object_index, std::vector<CInstance *> &out) = 0;
	virtual CInstance *first_live_of_object(int32_t object_index) = 0;
};

// The directory in use: the room's, once the instances module installs it; an
// empty one (no instances, no objects) before.
IInstanceDirectory &instance_directory();
// Installs a directory (null: the empty one). The caller keeps ownership.
void set_instance_directory(IInstanceDirectory *directory);
