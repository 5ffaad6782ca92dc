// instance.h: the instance record and the lookups that variable access needs.
// This is the smallest form of the record: the instances module grows it with
// position, motion, sprite and the rest, and implements IInstanceDirectory over
// the room's and the objects' instance lists.
#pragma once

#include <cstdint>
#include <vector>

#include "code/variable_list.h"

// Ids of instances start here; smaller numbers name objects.
constexpr int32_t INSTANCE_ID_BASE = 100000;

class CInstance
{
public:
	CInstance(int32_t id = 0, int32_t object_index = 0) : id(id), object_index(object_index) {}
	virtual ~CInstance() = default;

	// Live: not destroyed and awaiting removal.
	bool live() const { return !marked; }

	int32_t id;
	int32_t object_index;
	bool marked = false;      // destroyed, removed at the end of the step
	bool deactivated = false; // taken out of the room's active lists
	CVariableList variables;  // the instance's own user variables
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
