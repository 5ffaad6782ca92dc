// fn_instance.cpp: built-in functions that create, destroy, change, find and
// count instances, and that deactivate and activate them.
#include <string>

#include "code/builtin_args.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "world/activation.h"
#include "world/events.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/world.h"

namespace {

constexpr int32_t SELF = -1, OTHER = -2, ALL = -3, NOONE = -4;

int32_t arg_int(int argc, const Value *args, int i) { return (int32_t)arg_index(argc, args, i); }
bool arg_bool(int argc, const Value *args, int i) { return arg_real(argc, args, i) >= 0.5; }

std::string number_text(double value)
{
	return std::to_string((long long)real_to_index(value));
}

void fn_instance_create(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(-1);
	for (int i = 0; i < argc; i++)
		if (args[i].is_string()) {
			report_error("instance_create( ) error: Illegal type");
			return;
		}
	int32_t object = arg_int(argc, args, 2);
	if (!object_table().exists(object)) {
		report_error("Creating instance for non-existing object: " + number_text(arg_real(argc, args, 2)));
		return;
	}
	RoomInstances *room = current_room_instances();
	if (!room)
		return;
	CInstance *instance = create_instance(*room, (float)arg_real(argc, args, 0), (float)arg_real(argc, args, 1), object);
	int32_t id = instance->id;
	perform_own_event(instance, instance, EV_CREATE, 0);
	instance->created = true;
	result.set_real(id);
}

void fn_instance_copy(Value &result, CInstance *self, CInstance *, int argc, const Value *args)
{
	result.set_real(-1);
	RoomInstances *room = current_room_instances();
	if (!self || !room)
		return;
	CInstance *copy = create_instance(*room, self->x, self->y, self->object_index);
	copy_instance_fields(*copy, *self);
	int32_t id = copy->id;
	if (arg_bool(argc, args, 0)) {
		perform_own_event(copy, copy, EV_CREATE, 0);
		copy->created = true;
	}
	result.set_real(id);
}

void fn_instance_destroy(Value &, CInstance *self, CInstance *, int, const Value *)
{
	if (!self || self->marked)
		return;
	perform_own_event(self, self, EV_DESTROY, 0);
	self->marked = true;
}

void fn_instance_change(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	int32_t object = arg_int(argc, args, 0);
	if (!object_table().exists(object)) {
		report_error("Asking to change into non-existing object: " + number_text(arg_real(argc, args, 0)));
		return;
	}
	if (!self)
		return;
	bool perform = arg_bool(argc, args, 1);
	if (perform)
		perform_own_event(self, self, EV_DESTROY, 0);
	set_instance_object(*self, object, true);
	if (perform) {
		perform_own_event(self, self, EV_CREATE, 0);
		self->created = true;
	}
}

CInstance *special(int32_t which, CInstance *self, CInstance *other)
{
	CInstance *i = which == SELF ? self : which == OTHER ? other : nullptr;
	return i && !i->marked ? i : nullptr;
}

void fn_instance_find(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	int32_t which = arg_int(argc, args, 0);
	int64_t n = arg_index(argc, args, 1);
	result.set_real(NOONE);
	if (which >= INSTANCE_ID_BASE) {
		CInstance *i = find_instance_by_id(which);
		if (n == 0 && i && !i->marked)
			result.set_real(which);
		return;
	}
	std::vector<CInstance *> list = which == ALL ? live_active_instances() : live_object_instances(which);
	if (n >= 0 && n < (int64_t)list.size())
		result.set_real(list[n]->id);
}

// The number of live instances `which` selects; ids count 1 or 0.
int64_t count_of(int32_t which, CInstance *self, CInstance *other)
{
	if (which == SELF || which == OTHER)
		return special(which, self, other) ? 1 : 0;
	if (which == ALL)
		return (int64_t)live_active_instances().size();
	if (which < 0)
		return 0;
	if (which >= INSTANCE_ID_BASE) {
		CInstance *i = find_instance_by_id(which);
		return i && !i->marked ? 1 : 0;
	}
	return (int64_t)live_object_instances(which).size();
}

void fn_instance_exists(Value &result, CInstance *self, CInstance *other, int argc, const Value *args)
{
	result.set_real(count_of(arg_int(argc, args, 0), self, other) > 0 ? 1 : 0);
}

void fn_instance_number(Value &result, CInstance *self, CInstance *other, int argc, const Value *args)
{
	result.set_real((double)count_of(arg_int(argc, args, 0), self, other));
}

// Nearest (furthest false) or furthest instance of `which` to a point, by the
// squared distance in 32-bit floats; the first found wins ties.
void nearest_or_furthest(Value &result, int argc, const Value *args, bool furthest)
{
	float px = (float)arg_real(argc, args, 0), py = (float)arg_real(argc, args, 1);
	int32_t which = arg_int(argc, args, 2);
	result.set_real(NOONE);
	if (which >= INSTANCE_ID_BASE)
		return;
	std::vector<CInstance *> list = which == ALL ? live_active_instances() : live_object_instances(which);
	float best = furthest ? -1.0f : 1e8f;
	for (CInstance *i : list) {
		float dx = i->x - px, dy = i->y - py;
		float d = dx * dx + dy * dy;
		if (furthest ? d > best : d < best) {
			best = d;
			result.set_real(i->id);
		}
	}
}

void fn_instance_nearest(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	nearest_or_furthest(result, argc, args, false);
}

void fn_instance_furthest(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	nearest_or_furthest(result, argc, args, true);
}

Region arg_region(int argc, const Value *args)
{
	double left = arg_real(argc, args, 0), top = arg_real(argc, args, 1);
	return {left, top, left + arg_real(argc, args, 2), top + arg_real(argc, args, 3), arg_bool(argc, args, 4)};
}

void fn_instance_deactivate_all(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	deactivate_all(self, arg_bool(argc, args, 0));
}

void fn_instance_deactivate_object(Value &, CInstance *self, CInstance *other, int argc, const Value *args)
{
	set_activation_of(arg_int(argc, args, 0), self, other, true);
}

void fn_instance_deactivate_region(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	deactivate_region(arg_region(argc, args), self, arg_bool(argc, args, 5));
}

void fn_instance_activate_all(Value &, CInstance *, CInstance *, int, const Value *)
{
	activate_all();
}

void fn_instance_activate_object(Value &, CInstance *self, CInstance *other, int argc, const Value *args)
{
	set_activation_of(arg_int(argc, args, 0), self, other, false);
}

void fn_instance_activate_region(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	activate_region(arg_region(argc, args));
}

const BuiltinEntry instance_functions[] = {
	{"instance_create", fn_instance_create, 3},
	{"instance_copy", fn_instance_copy, 1},
	{"instance_destroy", fn_instance_destroy, 0},
	{"instance_change", fn_instance_change, 2},
	{"instance_find", fn_instance_find, 2},
	{"instance_exists", fn_instance_exists, 1},
	{"instance_number", fn_instance_number, 1},
	{"instance_nearest", fn_instance_nearest, 3},
	{"instance_furthest", fn_instance_furthest, 3},
	{"instance_deactivate_all", fn_instance_deactivate_all, 1},
	{"instance_deactivate_object", fn_instance_deactivate_object, 1},
	{"instance_deactivate_region", fn_instance_deactivate_region, 6},
	{"instance_activate_all", fn_instance_activate_all, 0},
	{"instance_activate_object", fn_instance_activate_object, 1},
	{"instance_activate_region", fn_instance_activate_region, 5},
};

} // namespace

void register_instance_functions()
{
	install_world();
	register_functions(instance_functions);
}
