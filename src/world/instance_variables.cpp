// instance_variables.cpp: the built-in variable rows of the instance record
// (position, flags, depth, sprite, image and mask) and of the running event,
// attached to the built-in variable table.
#include "code/builtin_variables.h"
#include "code/errors.h"
#include "world/instances.h"
#include "world/world.h"

namespace {

bool put(Value &out, double real)
{
	out.set_real(real);
	return true;
}

// Rows that read and write one float field.
template <float CInstance::*Field>
bool get_float(CInstance *i, int32_t, Value &out)
{
	return i && put(out, i->*Field);
}

template <float CInstance::*Field>
bool set_float(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->*Field = real_to_float(v.real());
	return true;
}

// Rows whose change makes the bounding box stale.
template <float CInstance::*Field>
bool set_float_box(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	float f = real_to_float(v.real());
	if (i->*Field != f) {
		i->*Field = f;
		mark_bbox_dirty(*i);
	}
	return true;
}

template <bool CInstance::*Field>
bool get_flag(CInstance *i, int32_t, Value &out)
{
	return i && put(out, i->*Field ? 1 : 0);
}

template <bool CInstance::*Field>
bool set_flag(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->*Field = flag_not_zero(v);
	return true;
}

bool set_persistent(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->persistent = value_is_true(v);
	return true;
}

bool set_x(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	set_instance_position(*i, real_to_float(v.real()), i->y);
	return true;
}

bool set_y(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	set_instance_position(*i, i->x, real_to_float(v.real()));
	return true;
}

bool set_depth(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	set_instance_depth(*i, real_to_float(v.real()));
	return true;
}

bool get_sprite(CInstance *i, int32_t, Value &out) { return i && put(out, i->sprite_index); }
bool get_mask(CInstance *i, int32_t, Value &out) { return i && put(out, i->mask_index); }
bool get_blend(CInstance *i, int32_t, Value &out) { return i && put(out, i->image_blend); }

bool set_sprite(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	set_instance_sprite(*i, nearest_int32(v.real()));
	return true;
}

bool set_mask(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	set_instance_mask(*i, nearest_int32(v.real()));
	return true;
}

bool set_blend(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->image_blend = (uint32_t)nearest_int32(v.real());
	return true;
}

bool get_image_single(CInstance *i, int32_t, Value &out)
{
	return i && put(out, i->image_speed != 0 ? -1.0 : (double)i->image_index);
}

bool set_image_single(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	if (v.real() >= 0) {
		i->image_index = real_to_float(v.real());
		i->image_speed = 0;
	} else {
		i->image_speed = 1;
	}
	return true;
}

bool get_image_number(CInstance *i, int32_t, Value &out)
{
	return i && put(out, sprite_image_count(i->sprite_index));
}

bool get_event_type(CInstance *, int32_t, Value &out) { return put(out, current_event_context().event_type); }
bool get_event_number(CInstance *, int32_t, Value &out) { return put(out, current_event_context().event_number); }
bool get_event_object(CInstance *, int32_t, Value &out) { return put(out, current_event_context().object_index); }
bool get_event_action(CInstance *, int32_t, Value &out) { return put(out, current_event_context().action); }

struct Row
{
	const char *name;
	VariableGetter get;
	VariableSetter set;
};

const Row rows[] = {
	{"x", get_float<&CInstance::x>, set_x},
	{"y", get_float<&CInstance::y>, set_y},
	{"xprevious", get_float<&CInstance::xprevious>, set_float<&CInstance::xprevious>},
	{"yprevious", get_float<&CInstance::yprevious>, set_float<&CInstance::yprevious>},
	{"xstart", get_float<&CInstance::xstart>, set_float<&CInstance::xstart>},
	{"ystart", get_float<&CInstance::ystart>, set_float<&CInstance::ystart>},
	{"solid", get_flag<&CInstance::solid>, set_flag<&CInstance::solid>},
	{"visible", get_flag<&CInstance::visible>, set_flag<&CInstance::visible>},
	{"persistent", get_flag<&CInstance::persistent>, set_persistent},
	{"depth", get_float<&CInstance::depth>, set_depth},
	{"sprite_index", get_sprite, set_sprite},
	{"image_index", get_float<&CInstance::image_index>, set_float<&CInstance::image_index>},
	{"image_single", get_image_single, set_image_single},
	{"image_number", get_image_number, nullptr},
	{"image_xscale", get_float<&CInstance::image_xscale>, set_float_box<&CInstance::image_xscale>},
	{"image_yscale", get_float<&CInstance::image_yscale>, set_float_box<&CInstance::image_yscale>},
	{"image_angle", get_float<&CInstance::image_angle>, set_float_box<&CInstance::image_angle>},
	{"image_alpha", get_float<&CInstance::image_alpha>, set_float<&CInstance::image_alpha>},
	{"image_blend", get_blend, set_blend},
	{"image_speed", get_float<&CInstance::image_speed>, set_float<&CInstance::image_speed>},
	{"mask_index", get_mask, set_mask},
	{"event_type", get_event_type, nullptr},
	{"event_number", get_event_number, nullptr},
	{"event_object", get_event_object, nullptr},
	{"event_action", get_event_action, nullptr},
};

} // namespace

void attach_instance_variables()
{
	for (const Row &row : rows)
		builtin_variables().attach(row.name, row.get, row.set);
}
