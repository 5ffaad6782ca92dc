// fn_collision.cpp: the box rows of instances and the collision built-ins:
// place_, position_ and collision_ queries, instance_place and
// instance_position, and the distances to a point and to an object.
#include <algorithm>
#include <cmath>
#include <string>

#include "code/builtin_args.h"
#include "code/builtin_variables.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "world/collision.h"
#include "world/collision_query.h"
#include "world/events.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/spatial_index.h"

namespace {

constexpr int32_t SELF = -1, OTHER = -2, ALL = -3, NOONE = -4;

// ---- Rows ----

template <int32_t CInstance::*Field>
bool get_box(CInstance *i, int32_t, Value &out)
{
	if (!i)
		return false;
	install_collision();
	refresh_bbox(*i);
	out.set_real(i->*Field);
	return true;
}

void attach_box_rows()
{
	CBuiltinVariableTable &t = builtin_variables();
	t.attach("bbox_left", get_box<&CInstance::bbox_left>, nullptr);
	t.attach("bbox_right", get_box<&CInstance::bbox_right>, nullptr);
	t.attach("bbox_top", get_box<&CInstance::bbox_top>, nullptr);
	t.attach("bbox_bottom", get_box<&CInstance::bbox_bottom>, nullptr);
}

// ---- Arguments ----

float arg_float(int argc, const Value *args, int i) { return (float)arg_real(argc, args, i); }
int32_t arg_int(int argc, const Value *args, int i) { return (int32_t)arg_index(argc, args, i); }
bool arg_bool(int argc, const Value *args, int i) { return arg_real(argc, args, i) >= 0.5; }

void put_id(Value &result, const CInstance *i) { result.set_real(i ? i->id : NOONE); }

// The pixel of a coordinate for the index; a coordinate that is not a number
// meets nothing, so any pixel will do.
int64_t floor_cell(float v)
{
	return std::isnan(v) ? 0 : (int64_t)std::clamp(std::floor((double)v), -4e18, 4e18);
}

BoxArea shape_area(float x1, float y1, float x2, float y2)
{
	return {floor_cell(std::min(x1, x2)), floor_cell(std::min(y1, y2)), floor_cell(std::max(x1, x2)),
	        floor_cell(std::max(y1, y2))};
}

// ---- Place and position ----

void fn_place_free(Value &result, CInstance *self, CInstance *, int argc, const Value *args)
{
	result.set_real(!self || place_free(*self, arg_float(argc, args, 0), arg_float(argc, args, 1)) ? 1 : 0);
}

void fn_place_empty(Value &result, CInstance *self, CInstance *, int argc, const Value *args)
{
	result.set_real(!self || place_empty(*self, arg_float(argc, args, 0), arg_float(argc, args, 1)) ? 1 : 0);
}

void fn_place_meeting(Value &result, CInstance *self, CInstance *other, int argc, const Value *args)
{
	result.set_real(0);
	int32_t which = arg_int(argc, args, 2);
	if (which == SELF || which == OTHER) {
		CInstance *i = which == SELF ? self : other;
		if (!i)
			return;
		which = i->id;
	}
	if (self && instance_place(*self, arg_float(argc, args, 0), arg_float(argc, args, 1), which))
		result.set_real(1);
}

void fn_instance_place(Value &result, CInstance *self, CInstance *, int argc, const Value *args)
{
	put_id(result, self ? instance_place(*self, arg_float(argc, args, 0), arg_float(argc, args, 1),
	                                     arg_int(argc, args, 2))
	                    : nullptr);
}

void fn_instance_position(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	put_id(result, instance_position(arg_float(argc, args, 0), arg_float(argc, args, 1), arg_int(argc, args, 2)));
}

void fn_position_meeting(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	CInstance *i = instance_position(arg_float(argc, args, 0), arg_float(argc, args, 1), arg_int(argc, args, 2));
	result.set_real(i ? 1 : 0);
}

void fn_position_empty(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	result.set_real(instances_at(arg_float(argc, args, 0), arg_float(argc, args, 1)).empty() ? 1 : 0);
}

void fn_position_destroy(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	for (CInstance *i : instances_at(arg_float(argc, args, 0), arg_float(argc, args, 1))) {
		if (i->marked)
			continue;
		perform_own_event(i, i, EV_DESTROY, 0);
		i->marked = true;
	}
}

void fn_position_change(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	int32_t object = arg_int(argc, args, 2);
	if (!object_table().exists(object)) {
		report_error("Asking to change into non-existing object: " +
		             std::to_string((long long)arg_index(argc, args, 2)));
		return;
	}
	bool perform = arg_bool(argc, args, 3);
	for (CInstance *i : instances_at(arg_float(argc, args, 0), arg_float(argc, args, 1))) {
		if (i->marked)
			continue;
		if (perform)
			perform_own_event(i, i, EV_DESTROY, 0);
		set_instance_object(*i, object, true);
		if (perform) {
			perform_own_event(i, i, EV_CREATE, 0);
			i->created = true;
		}
	}
}

// ---- collision_ ----

using ShapeTest = bool (*)(CInstance &, float, float, float, float, bool);

// The first instance of the selection meeting the shape; notme skips self.
void collide_shape(Value &result, CInstance *self, float x1, float y1, float x2, float y2, int32_t which,
                   bool precise, bool notme, ShapeTest test)
{
	CInstance *found = first_selected(which, shape_area(x1, y1, x2, y2), notme ? self : nullptr,
	                                  [&](CInstance &i) { return test(i, x1, y1, x2, y2, precise); });
	put_id(result, found);
}

// Arguments: x1, y1, x2, y2, object, prec, notme.
template <ShapeTest Test>
void fn_collision_shape(Value &result, CInstance *self, CInstance *, int argc, const Value *args)
{
	collide_shape(result, self, arg_float(argc, args, 0), arg_float(argc, args, 1), arg_float(argc, args, 2),
	              arg_float(argc, args, 3), arg_int(argc, args, 4), arg_bool(argc, args, 5), arg_bool(argc, args, 6),
	              Test);
}

void fn_collision_point(Value &result, CInstance *self, CInstance *, int argc, const Value *args)
{
	float x = arg_float(argc, args, 0), y = arg_float(argc, args, 1);
	bool precise = arg_bool(argc, args, 3);
	CInstance *found = first_selected(arg_int(argc, args, 2), shape_area(x, y, x, y),
	                                  arg_bool(argc, args, 4) ? self : nullptr,
	                                  [&](CInstance &i) { return point_hits(i, x, y, precise); });
	put_id(result, found);
}

void fn_collision_circle(Value &result, CInstance *self, CInstance *, int argc, const Value *args)
{
	float x = arg_float(argc, args, 0), y = arg_float(argc, args, 1), r = arg_float(argc, args, 2);
	collide_shape(result, self, x - r, y - r, x + r, y + r, arg_int(argc, args, 3), arg_bool(argc, args, 4),
	              arg_bool(argc, args, 5), ellipse_hits);
}

// ---- Distances ----

void fn_distance_to_point(Value &result, CInstance *self, CInstance *, int argc, const Value *args)
{
	result.set_real(0);
	if (!self)
		return;
	install_collision();
	refresh_bbox(*self);
	double x = arg_real(argc, args, 0), y = arg_real(argc, args, 1);
	auto gap = [](double v, double low, double high) { return v > high ? v - high : v < low ? v - low : 0.0; };
	double dx = gap(x, self->bbox_left, self->bbox_right), dy = gap(y, self->bbox_top, self->bbox_bottom);
	result.set_real(std::sqrt(dx * dx + dy * dy));
}

void fn_distance_to_object(Value &result, CInstance *self, CInstance *other, int argc, const Value *args)
{
	result.set_real(1000000.0);
	if (!self)
		return;
	install_collision();
	int32_t which = arg_int(argc, args, 0);
	std::vector<CInstance *> list;
	if (which == OTHER)
		list = {other};
	else if (which == ALL)
		list = live_active_instances();
	else if (which >= INSTANCE_ID_BASE)
		list = {find_instance_by_id(which)};
	else if (which >= 0)
		list = live_object_instances(which);
	float best = 1000000.0f;
	for (CInstance *i : list)
		best = std::min(best, box_distance(i && !i->deactivated ? i : nullptr, *self));
	result.set_real(best);
}

const BuiltinEntry collision_functions[] = {
	{"place_free", fn_place_free, 2},
	{"place_empty", fn_place_empty, 2},
	{"place_meeting", fn_place_meeting, 3},
	{"position_empty", fn_position_empty, 2},
	{"position_meeting", fn_position_meeting, 3},
	{"position_destroy", fn_position_destroy, 2},
	{"position_change", fn_position_change, 4},
	{"instance_place", fn_instance_place, 3},
	{"instance_position", fn_instance_position, 3},
	{"collision_point", fn_collision_point, 5},
	{"collision_rectangle", fn_collision_shape<rectangle_hits>, 7},
	{"collision_circle", fn_collision_circle, 6},
	{"collision_ellipse", fn_collision_shape<ellipse_hits>, 7},
	{"collision_line", fn_collision_shape<line_hits>, 7},
	{"distance_to_point", fn_distance_to_point, 2},
	{"distance_to_object", fn_distance_to_object, 1},
};

} // namespace

void register_collision_functions()
{
	install_collision();
	attach_box_rows();
	register_functions(collision_functions);
}
