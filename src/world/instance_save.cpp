// instance_save.cpp: writing and checked reading of an instance's saved form.
// The fields follow the record's order; floats are written as doubles, which
// hold them exactly.
#include "world/instance_save.h"

#include "common/binary_stream.h"
#include "world/object.h"

namespace {

enum SavedFlag : int32_t
{
	SAVED_VISIBLE = 1 << 0,
	SAVED_SOLID = 1 << 1,
	SAVED_PERSISTENT = 1 << 2,
	SAVED_DEACTIVATED = 1 << 3,
	SAVED_CREATED = 1 << 4,
	SAVED_TIMELINE_RUNNING = 1 << 5,
	SAVED_TIMELINE_LOOP = 1 << 6,
	SAVED_ALL_FLAGS = (1 << 7) - 1,
};

// The float fields, in their saved order.
float CInstance::*const float_fields[] = {
	&CInstance::image_index, &CInstance::image_speed, &CInstance::image_xscale, &CInstance::image_yscale,
	&CInstance::image_angle, &CInstance::image_alpha, &CInstance::x, &CInstance::y, &CInstance::xstart,
	&CInstance::ystart, &CInstance::xprevious, &CInstance::yprevious, &CInstance::direction, &CInstance::speed,
	&CInstance::friction, &CInstance::gravity_direction, &CInstance::gravity, &CInstance::hspeed,
	&CInstance::vspeed, &CInstance::path_position, &CInstance::path_positionprevious, &CInstance::path_speed,
	&CInstance::path_scale, &CInstance::path_orientation, &CInstance::path_xstart, &CInstance::path_ystart,
	&CInstance::timeline_position, &CInstance::timeline_speed, &CInstance::depth,
};

// The integer fields after the floats.
int32_t CInstance::*const int_fields[] = {
	&CInstance::sprite_index, &CInstance::mask_index, &CInstance::path_index, &CInstance::path_endaction,
	&CInstance::timeline_index, &CInstance::reserved,
};

int32_t flags_of(const CInstance &i)
{
	return (i.visible ? SAVED_VISIBLE : 0) | (i.solid ? SAVED_SOLID : 0) | (i.persistent ? SAVED_PERSISTENT : 0) |
	       (i.deactivated ? SAVED_DEACTIVATED : 0) | (i.created ? SAVED_CREATED : 0) |
	       (i.timeline_running ? SAVED_TIMELINE_RUNNING : 0) | (i.timeline_loop ? SAVED_TIMELINE_LOOP : 0);
}

} // namespace

void save_instance(StreamWriter &out, const CInstance &instance)
{
	out.i32(instance.id);
	out.i32(instance.object_index);
	out.i32(flags_of(instance));
	for (float CInstance::*field : float_fields)
		out.f64(instance.*field);
	for (int32_t CInstance::*field : int_fields)
		out.i32(instance.*field);
	out.i32((int32_t)instance.image_blend);
	for (int32_t alarm : instance.alarm)
		out.i32(alarm);
	instance.variables.save(out);
}

std::unique_ptr<CInstance> read_saved_instance(StreamReader &in)
{
	size_t at = in.position();
	int32_t id = in.i32();
	int32_t object = in.i32();
	if (!object_table().exists(object))
		throw DataError(at, "instance " + std::to_string(id) + " is of object " + std::to_string(object) +
		                        ", which does not exist");
	auto instance = std::make_unique<CInstance>(id, object);
	at = in.position();
	int32_t flags = in.i32();
	if (flags & ~SAVED_ALL_FLAGS)
		throw DataError(at, "instance " + std::to_string(id) + " has unknown flags " + std::to_string(flags));
	CInstance &i = *instance;
	i.visible = flags & SAVED_VISIBLE;
	i.solid = flags & SAVED_SOLID;
	i.persistent = flags & SAVED_PERSISTENT;
	i.deactivated = flags & SAVED_DEACTIVATED;
	i.created = flags & SAVED_CREATED;
	i.timeline_running = flags & SAVED_TIMELINE_RUNNING;
	i.timeline_loop = flags & SAVED_TIMELINE_LOOP;
	for (float CInstance::*field : float_fields)
		i.*field = (float)in.f64();
	for (int32_t CInstance::*field : int_fields)
		i.*field = in.i32();
	i.image_blend = (uint32_t)in.i32();
	for (int32_t &alarm : i.alarm)
		alarm = in.i32();
	std::string error;
	if (!i.variables.load(in, &error))
		throw SavedFormError("the variables of instance " + std::to_string(id) + ": " + error);
	i.bbox_dirty = true;
	return instance;
}
