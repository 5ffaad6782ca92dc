// fn_view.cpp: the view_ rows of the current room (view_enabled, view_current
// and the eight views' fields) and draw_self.
#include <cmath>

#include "code/builtin_variables.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/value.h"
#include "graphics/room_draw.h"
#include "run/rooms.h"
#include "world/instance.h"

namespace {

constexpr int32_t VIEW_COUNT = 8;

// The view of an indexed row; null without a room. A write makes room for all
// eight views of a room whose record lists fewer.
RoomView *view_for_read(int32_t index)
{
	CRoom *room = room_state().current;
	if (!room)
		return nullptr;
	size_t k = (size_t)builtin_element(index, VIEW_COUNT);
	static RoomView unlisted;
	unlisted = RoomView();
	return k < room->record.views.size() ? &room->record.views[k] : &unlisted;
}

RoomView *view_for_write(int32_t index)
{
	CRoom *room = room_state().current;
	if (!room)
		return nullptr;
	if (room->record.views.size() < (size_t)VIEW_COUNT)
		room->record.views.resize(VIEW_COUNT);
	return &room->record.views[(size_t)builtin_element(index, VIEW_COUNT)];
}

template <int32_t RoomView::*Field>
bool get_int(CInstance *, int32_t index, Value &out)
{
	RoomView *v = view_for_read(index);
	out.set_real(v ? v->*Field : 0);
	return true;
}

template <int32_t RoomView::*Field>
bool set_int(CInstance *, int32_t index, const Value &value)
{
	if (RoomView *v = view_for_write(index))
		v->*Field = nearest_int32(value.real());
	return true;
}

bool get_angle(CInstance *, int32_t index, Value &out)
{
	RoomView *v = view_for_read(index);
	out.set_real(v ? v->angle : 0);
	return true;
}

bool set_angle(CInstance *, int32_t index, const Value &value)
{
	if (RoomView *v = view_for_write(index))
		v->angle = real_to_float(value.real());
	return true;
}

bool get_visible(CInstance *, int32_t index, Value &out)
{
	RoomView *v = view_for_read(index);
	out.set_real(v && v->visible ? 1 : 0);
	return true;
}

bool set_visible(CInstance *, int32_t index, const Value &value)
{
	if (RoomView *v = view_for_write(index))
		v->visible = flag_rounded(value);
	return true;
}

bool get_enabled(CInstance *, int32_t, Value &out)
{
	CRoom *room = room_state().current;
	out.set_real(room && room->record.views_enabled ? 1 : 0);
	return true;
}

bool set_enabled(CInstance *, int32_t, const Value &value)
{
	if (CRoom *room = room_state().current)
		room->record.views_enabled = flag_rounded(value);
	return true;
}

bool get_current(CInstance *, int32_t, Value &out)
{
	out.set_real(view_current());
	return true;
}

void fn_draw_self(Value &, CInstance *self, CInstance *, int, const Value *)
{
	if (self)
		instance_draw_default(*self);
}

// Sizes beyond any screen, or not numbers, stand for the screen's.
int32_t gui_side(const Value &v)
{
	double d = std::nearbyint(v.real());
	return d >= 1 && d <= 65536 ? (int32_t)d : -1;
}

void fn_display_set_gui_size(Value &, CInstance *, CInstance *, int, const Value *args)
{
	set_gui_size(gui_side(args[0]), gui_side(args[1]));
}

const BuiltinEntry view_functions[] = {
	{"draw_self", fn_draw_self, 0},
	{"display_set_gui_size", fn_display_set_gui_size, 2},
};

struct IntRow
{
	const char *name;
	VariableGetter get;
	VariableSetter set;
};

const IntRow view_rows[] = {
	{"view_xview", get_int<&RoomView::xview>, set_int<&RoomView::xview>},
	{"view_yview", get_int<&RoomView::yview>, set_int<&RoomView::yview>},
	{"view_wview", get_int<&RoomView::wview>, set_int<&RoomView::wview>},
	{"view_hview", get_int<&RoomView::hview>, set_int<&RoomView::hview>},
	{"view_xport", get_int<&RoomView::xport>, set_int<&RoomView::xport>},
	{"view_yport", get_int<&RoomView::yport>, set_int<&RoomView::yport>},
	{"view_wport", get_int<&RoomView::wport>, set_int<&RoomView::wport>},
	{"view_hport", get_int<&RoomView::hport>, set_int<&RoomView::hport>},
	{"view_hborder", get_int<&RoomView::hborder>, set_int<&RoomView::hborder>},
	{"view_vborder", get_int<&RoomView::vborder>, set_int<&RoomView::vborder>},
	{"view_hspeed", get_int<&RoomView::hspeed>, set_int<&RoomView::hspeed>},
	{"view_vspeed", get_int<&RoomView::vspeed>, set_int<&RoomView::vspeed>},
	{"view_object", get_int<&RoomView::object>, set_int<&RoomView::object>},
	{"view_surface_id", get_int<&RoomView::surface_id>, set_int<&RoomView::surface_id>},
	{"view_angle", get_angle, set_angle},
	{"view_visible", get_visible, set_visible},
	{"view_enabled", get_enabled, set_enabled},
	{"view_current", get_current, nullptr},
};

} // namespace

void register_view_functions()
{
	for (const IntRow &row : view_rows)
		builtin_variables().attach(row.name, row.get, row.set);
	register_functions(view_functions);
}
