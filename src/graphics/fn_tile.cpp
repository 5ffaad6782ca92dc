// fn_tile.cpp: the tile_* built-ins: adding, finding and removing tiles, layers
// by depth, and each tile's fields.
#include <algorithm>
#include <cmath>

#include "code/builtin_args.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/value.h"
#include "graphics/images.h"
#include "graphics/tiles.h"

namespace {

#define REAL(i) arg_real(argc, args, i)
#define F(i) (float)arg_real(argc, args, i)
#define INT(i) (int32_t)real_to_index((float)arg_real(argc, args, i))
#define ROUTINE(name) void name(Value &result, CInstance *, CInstance *, int argc, const Value *args)

struct Rect
{
	float l, t, r, b;
};

// The scaled rectangle of a tile; a negative scale extends it the other way.
Rect rect_of(const LiveTile &t)
{
	float x2 = t.x + t.width * t.xscale, y2 = t.y + t.height * t.yscale;
	return {std::min(t.x, x2), std::min(t.y, y2), std::max(t.x, x2), std::max(t.y, y2)};
}

bool contains_closed(const LiveTile &t, float x, float y)
{
	Rect r = rect_of(t);
	return x >= r.l && x <= r.r && y >= r.t && y <= r.b;
}

bool contains_half_open(const LiveTile &t, float x, float y)
{
	Rect r = rect_of(t);
	return x >= r.l && x < r.r && y >= r.t && y < r.b;
}

LiveTile *tile_arg(int argc, const Value *args)
{
	LiveTile *t = room_tiles().find(INT(0));
	if (!t)
		report_error("Tile does not exist.");
	return t;
}

ROUTINE(fn_tile_add)
{
	int32_t back = INT(0);
	if (!background_get(back)) {
		report_error("Background does not exist.");
		result.set_real(-1);
		return;
	}
	LiveTile t;
	t.background = back;
	t.left = INT(1);
	t.top = INT(2);
	t.width = INT(3);
	t.height = INT(4);
	t.x = F(5);
	t.y = F(6);
	t.depth = F(7);
	result.set_real(room_tiles().add(t));
}

ROUTINE(fn_tile_delete)
{
	(void)result;
	if (!room_tiles().remove(INT(0)))
		report_error("Tile does not exist.");
}

ROUTINE(fn_tile_exists) { result.set_real(room_tiles().find(INT(0)) != nullptr); }

ROUTINE(fn_tile_delete_at)
{
	(void)result;
	float x = F(0), y = F(1);
	bool foreground = REAL(2) >= 0.5;
	room_tiles().remove_if([&](const LiveTile &t) {
		return contains_closed(t, x, y) && (foreground ? t.depth <= 0 : t.depth >= 0);
	});
}

ROUTINE(fn_tile_find)
{
	float x = F(0), y = F(1);
	bool foreground = REAL(2) >= 0.5;
	for (const LiveTile &t : room_tiles().tiles)
		if (contains_half_open(t, x, y) && (t.depth < 0) == foreground) {
			result.set_real(t.id);
			return;
		}
	result.set_real(-1);
}

ROUTINE(fn_tile_layer_hide)
{
	(void)result;
	for (LiveTile &t : room_tiles().tiles)
		if (t.depth == F(0))
			t.visible = false;
}

ROUTINE(fn_tile_layer_show)
{
	(void)result;
	for (LiveTile &t : room_tiles().tiles)
		if (t.depth == F(0))
			t.visible = true;
}

ROUTINE(fn_tile_layer_delete)
{
	(void)result;
	float depth = F(0);
	room_tiles().remove_if([&](const LiveTile &t) { return t.depth == depth; });
}

ROUTINE(fn_tile_layer_shift)
{
	(void)result;
	for (LiveTile &t : room_tiles().tiles)
		if (t.depth == F(0)) {
			t.x += F(1);
			t.y += F(2);
		}
}

ROUTINE(fn_tile_layer_find)
{
	for (const LiveTile &t : room_tiles().tiles)
		if (t.depth == F(0) && contains_half_open(t, F(1), F(2))) {
			result.set_real(t.id);
			return;
		}
	result.set_real(-1);
}

ROUTINE(fn_tile_layer_delete_at)
{
	(void)result;
	float depth = F(0), x = F(1), y = F(2);
	room_tiles().remove_if([&](const LiveTile &t) { return t.depth == depth && contains_half_open(t, x, y); });
}

ROUTINE(fn_tile_layer_depth)
{
	(void)result;
	float depth = F(0), to = F(1);
	for (LiveTile &t : room_tiles().tiles)
		if (t.depth == depth)
			t.depth = to;
}

#define GETTER(name, expr)                                                                                             \
	ROUTINE(fn_tile_get_##name)                                                                                        \
	{                                                                                                                  \
		if (const LiveTile *t = tile_arg(argc, args))                                                                  \
			result.set_real(expr);                                                                                     \
	}

GETTER(x, t->x)
GETTER(y, t->y)
GETTER(left, t->left)
GETTER(top, t->top)
GETTER(width, t->width)
GETTER(height, t->height)
GETTER(depth, t->depth)
GETTER(visible, t->visible)
GETTER(xscale, t->xscale)
GETTER(yscale, t->yscale)
GETTER(blend, (double)t->blend)
GETTER(alpha, t->alpha)
GETTER(background, t->background)

#define SETTER(name, body)                                                                                             \
	ROUTINE(fn_tile_set_##name)                                                                                        \
	{                                                                                                                  \
		(void)result;                                                                                                  \
		if (LiveTile *t = tile_arg(argc, args)) {                                                                      \
			body;                                                                                                      \
		}                                                                                                              \
	}

SETTER(position, t->x = F(1); t->y = F(2))
SETTER(region, t->left = INT(1); t->top = INT(2); t->width = INT(3); t->height = INT(4))
SETTER(background, t->background = INT(1))
SETTER(visible, t->visible = REAL(1) >= 0.5)
SETTER(depth, t->depth = F(1))
SETTER(scale, t->xscale = F(1); t->yscale = F(2))
SETTER(blend, t->blend = (uint32_t)real_to_index(REAL(1)) & 0xFFFFFF)
SETTER(alpha, t->alpha = F(1))

const BuiltinEntry tile_functions[] = {
	{"tile_add", fn_tile_add, 8},
	{"tile_delete", fn_tile_delete, 1},
	{"tile_exists", fn_tile_exists, 1},
	{"tile_get_x", fn_tile_get_x, 1},
	{"tile_get_y", fn_tile_get_y, 1},
	{"tile_get_left", fn_tile_get_left, 1},
	{"tile_get_top", fn_tile_get_top, 1},
	{"tile_get_width", fn_tile_get_width, 1},
	{"tile_get_height", fn_tile_get_height, 1},
	{"tile_get_depth", fn_tile_get_depth, 1},
	{"tile_get_visible", fn_tile_get_visible, 1},
	{"tile_get_xscale", fn_tile_get_xscale, 1},
	{"tile_get_yscale", fn_tile_get_yscale, 1},
	{"tile_get_blend", fn_tile_get_blend, 1},
	{"tile_get_alpha", fn_tile_get_alpha, 1},
	{"tile_get_background", fn_tile_get_background, 1},
	{"tile_set_position", fn_tile_set_position, 3},
	{"tile_set_region", fn_tile_set_region, 5},
	{"tile_set_background", fn_tile_set_background, 2},
	{"tile_set_visible", fn_tile_set_visible, 2},
	{"tile_set_depth", fn_tile_set_depth, 2},
	{"tile_set_scale", fn_tile_set_scale, 3},
	{"tile_set_blend", fn_tile_set_blend, 2},
	{"tile_set_alpha", fn_tile_set_alpha, 2},
	{"tile_find", fn_tile_find, 3},
	{"tile_delete_at", fn_tile_delete_at, 3},
	{"tile_layer_hide", fn_tile_layer_hide, 1},
	{"tile_layer_show", fn_tile_layer_show, 1},
	{"tile_layer_delete", fn_tile_layer_delete, 1},
	{"tile_layer_shift", fn_tile_layer_shift, 3},
	{"tile_layer_find", fn_tile_layer_find, 3},
	{"tile_layer_delete_at", fn_tile_layer_delete_at, 3},
	{"tile_layer_depth", fn_tile_layer_depth, 2},
};

} // namespace

void register_tile_functions()
{
	register_functions(tile_functions);
}
