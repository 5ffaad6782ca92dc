// room_draw.cpp: the room's draw pass: view following and the port scale, the
// clear, backgrounds, instances and tiles merged by depth, foregrounds, the
// GUI draw event, the custom mouse cursor; and the default drawing of an
// instance's sprite.
#include "graphics/room_draw.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/display_state.h"
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/images.h"
#include "graphics/sprite_draw.h"
#include "graphics/tiles.h"
#include "input/input_state.h"
#include "code/builtin_variables.h"
#include "run/rooms.h"
#include "world/events.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

constexpr int32_t VIEW_COUNT = 8, BACKGROUND_COUNT = 8;
constexpr int32_t EV_DRAW_NORMAL = 0, EV_DRAW_GUI = 64;
constexpr float Z_BACKGROUNDS = 12000, Z_FOREGROUNDS = -12000, Z_AFTER = -13000, Z_CAP = 11000;

int32_t g_view_current = 0;
float g_port_sx = 1, g_port_sy = 1;
SurfaceLookup g_surface_lookup = nullptr;
int32_t g_gui_w = -1, g_gui_h = -1; // -1: the screen's
uint32_t g_cursor_frame = 0; // the custom cursor's animation, one frame per drawing

// Reused every frame so that drawing allocates nothing once warm.
std::vector<CInstance *> g_walk;
std::vector<uint8_t> g_object_events; // bit 0: draw event, bit 1: GUI draw event

// The target of a view: its object's first active instance, or an instance id.
CInstance *view_target(int32_t object)
{
	if (object < 0)
		return nullptr;
	if (object < INSTANCE_ID_BASE)
		return instance_directory().first_live_of_object(object);
	CInstance *i = find_instance_by_id(object);
	return i && !i->deactivated && !i->marked ? i : nullptr;
}

// One axis of following: the border rule, the clamp to the room and the speed.
int32_t follow_axis(int32_t pos, int32_t size, int32_t border, int32_t speed, int32_t target, int32_t room_size)
{
	int64_t next = pos;
	if (2 * (int64_t)border < size) {
		if ((int64_t)target - border < pos)
			next = (int64_t)target - border;
		else if ((int64_t)target + border > (int64_t)pos + size)
			next = (int64_t)target + border - size;
	} else {
		next = (int64_t)target - size / 2;
	}
	next = std::max<int64_t>(next, 0);
	if (next + size > room_size)
		next = (int64_t)room_size - size;
	if (speed >= 0)
		next = std::clamp<int64_t>(next, (int64_t)pos - speed, (int64_t)pos + speed);
	return (int32_t)std::clamp<int64_t>(next, INT32_MIN, INT32_MAX);
}

int32_t round_position(float v)
{
	if (!(std::fabs(v) < 2e9f))
		return 0;
	return (int32_t)std::lrint(v);
}

bool draws_to_screen(const RoomView &v) { return v.surface_id == -1; }

void set_view_rect(int left, int top, int right, int bottom)
{
	DrawState &d = draw_state();
	d.view_left = left;
	d.view_top = top;
	d.view_right = right;
	d.view_bottom = bottom;
}

void object_events_for_frame()
{
	ObjectTable &table = object_table();
	g_object_events.assign((size_t)table.count(), 0);
	for (int32_t o = 0; o < table.count(); o++) {
		if (!table.exists(o))
			continue;
		uint8_t bits = 0;
		if (table.has_event(o, EV_DRAW, EV_DRAW_NORMAL))
			bits |= 1;
		if (table.has_event(o, EV_DRAW, EV_DRAW_GUI))
			bits |= 2;
		g_object_events[(size_t)o] = bits;
	}
}

uint8_t object_events(const CInstance &i)
{
	return i.object_index >= 0 && (size_t)i.object_index < g_object_events.size()
	           ? g_object_events[(size_t)i.object_index]
	           : 0;
}

// The active list from its tail (highest depth, later insertions first).
void snapshot_walk(CRoom &room)
{
	g_walk.clear();
	for (CInstance *i = room.instances.active.tail; i; i = i->prev)
		g_walk.push_back(i);
}

void draw_instance(CInstance &i)
{
	if (object_events(i) & 1)
		perform_own_event(&i, &i, EV_DRAW, EV_DRAW_NORMAL);
	else
		instance_draw_default(i);
}

bool tile_in_view(const LiveTile &t)
{
	if (!t.visible || !background_get(t.background))
		return false;
	float x1 = t.x, x2 = t.x + (float)t.width * t.xscale;
	float y1 = t.y, y2 = t.y + (float)t.height * t.yscale;
	if (x1 > x2)
		std::swap(x1, x2);
	if (y1 > y2)
		std::swap(y1, y2);
	const DrawState &d = draw_state();
	return x2 >= (float)d.view_left && x1 <= (float)d.view_right && y2 >= (float)d.view_top &&
	       y1 <= (float)d.view_bottom;
}

// Tiles in order of decreasing depth, equal depths keeping their order.
void sort_tiles(TileList &list)
{
	auto deeper = [](const LiveTile &a, const LiveTile &b) { return a.depth > b.depth; };
	if (!std::is_sorted(list.tiles.begin(), list.tiles.end(), deeper))
		std::stable_sort(list.tiles.begin(), list.tiles.end(), deeper);
}

void draw_backgrounds(CRoom &room, bool foregrounds)
{
	const DrawState &d = draw_state();
	Area area{(float)d.view_left, (float)d.view_top, (float)(d.view_right - d.view_left),
	          (float)(d.view_bottom - d.view_top)};
	size_t n = std::min<size_t>(room.record.backgrounds.size(), BACKGROUND_COUNT);
	for (size_t s = 0; s < n; s++) {
		const RoomBackground &b = room.record.backgrounds[s];
		if (!b.visible || b.foreground != foregrounds)
			continue;
		if (const CBackground *bg = background_get(b.index))
			background_draw_tiled(*bg, b.x, b.y, b.xscale, b.yscale, b.htiled, b.vtiled, area, b.blend, b.alpha);
	}
}

void set_element_depth(float depth) { GR_SetDepth(std::min(depth, Z_CAP)); }

void draw_by_depth(TileList &tiles)
{
	size_t t = 0;
	bool three_d = GR_Settings().mode_3d;
	for (CInstance *i : g_walk) {
		if (i->marked || i->deactivated || !i->visible)
			continue;
		for (; t < tiles.tiles.size() && tiles.tiles[t].depth > i->depth; t++) {
			if (tile_in_view(tiles.tiles[t])) {
				if (three_d)
					set_element_depth(tiles.tiles[t].depth);
				tile_draw(tiles.tiles[t]);
			}
		}
		if (three_d)
			set_element_depth(i->depth);
		draw_instance(*i);
	}
	for (; t < tiles.tiles.size(); t++) {
		if (tile_in_view(tiles.tiles[t])) {
			if (three_d)
				set_element_depth(tiles.tiles[t].depth);
			tile_draw(tiles.tiles[t]);
		}
	}
}

void draw_content(CRoom &room, TileList &tiles)
{
	GR_Clear(0, 6);
	if (room.record.show_colour)
		GR_Clear((room.record.colour & 0xFFFFFF) | 0xFF000000u, 1);
	GR_SetDepth(Z_BACKGROUNDS);
	draw_backgrounds(room, false);
	draw_by_depth(tiles);
	GR_SetDepth(Z_FOREGROUNDS);
	draw_backgrounds(room, true);
	GR_SetDepth(Z_AFTER);
}

void draw_view(CRoom &room, TileList &tiles, int32_t index)
{
	const RoomView &v = room.record.views[(size_t)index];
	g_view_current = index;
	bool pushed = false;
	float sx = g_port_sx, sy = g_port_sy;
	int saved_surface = draw_state().surface_target;
	if (!draws_to_screen(v)) {
		GR_Batch_Flush();
		TextureD3D *surface = g_surface_lookup ? g_surface_lookup(v.surface_id) : nullptr;
		if (surface && surface != display_state().target) {
			pushed = GR_PushTarget() && GR_SetTarget(surface);
			sx = sy = 1;
			draw_state().surface_target = v.surface_id;
		}
	}
	GR_SetViewArea((float)v.xview, (float)v.yview, (float)v.wview, (float)v.hview, v.angle);
	GR_SetViewport((int)((float)v.xport * sx), (int)((float)v.yport * sy), (int)((float)v.wport * sx),
	               (int)((float)v.hport * sy));
	int left = v.xview, top = v.yview, right = v.xview + v.wview, bottom = v.yview + v.hview;
	if (std::fabs(v.angle) >= 0.001f) {
		left -= v.hview / 2;
		right += v.hview / 2;
		top -= v.wview / 2;
		bottom += v.wview / 2;
	}
	set_view_rect(left, top, right, bottom);
	draw_content(room, tiles);
	if (pushed) {
		GR_PopTarget();
		draw_state().surface_target = saved_surface;
	}
}

void draw_gui()
{
	bool &mode_3d = display_state().settings.mode_3d;
	bool had_3d = mode_3d;
	mode_3d = false;
	int w = GR_ScreenWidth(), h = GR_ScreenHeight();
	int gw = g_gui_w > 0 ? g_gui_w : w, gh = g_gui_h > 0 ? g_gui_h : h;
	GR_SetViewport(0, 0, w, h);
	GR_SetViewArea(0, 0, (float)gw, (float)gh, 0);
	set_view_rect(0, 0, gw, gh);
	for (CInstance *i : g_walk)
		if (!i->marked && !i->deactivated && i->visible && (object_events(*i) & 2))
			perform_own_event(i, i, EV_DRAW, EV_DRAW_GUI);
	set_view_rect(0, 0, w, h);
	mode_3d = had_3d;
}

// The sprite of `cursor_sprite` at the mouse on the screen, above everything,
// in screen space whatever the views and the GUI size.
void draw_cursor()
{
	const CSprite *s = sprite_get(game_values().cursor_sprite);
	if (!s)
		return;
	int w = GR_ScreenWidth(), h = GR_ScreenHeight();
	GR_SetViewport(0, 0, w, h);
	GR_SetViewArea(0, 0, (float)w, (float)h, 0);
	set_view_rect(0, 0, w, h);
	const InputFields &mouse = input_state().step;
	sprite_draw_ext(*s, (int)(g_cursor_frame++ & 0x7FFFFFFF), (float)mouse.screen_x, (float)mouse.screen_y, 1, 1, 0, 0xFFFFFF, 1);
}

} // namespace

int default_instance_frame(CInstance *self) { return (int)std::floor(self->image_index); }

void set_surface_lookup(SurfaceLookup lookup) { g_surface_lookup = lookup; }

void set_gui_size(int32_t width, int32_t height)
{
	g_gui_w = width > 0 ? width : -1;
	g_gui_h = height > 0 ? height : -1;
}
int32_t view_current() { return g_view_current; }

void port_scale(float &sx, float &sy)
{
	sx = g_port_sx;
	sy = g_port_sy;
}

void views_follow(CRoom &room)
{
	RoomRecord &r = room.record;
	size_t n = std::min<size_t>(r.views.size(), VIEW_COUNT);
	int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
	for (size_t k = 0; k < n; k++) {
		RoomView &v = r.views[k];
		if (!v.visible)
			continue;
		if (CInstance *target = view_target(v.object)) {
			v.xview = follow_axis(v.xview, v.wview, v.hborder, v.hspeed, round_position(target->x), (int32_t)r.width);
			v.yview = follow_axis(v.yview, v.hview, v.vborder, v.vspeed, round_position(target->y), (int32_t)r.height);
		}
		if (!draws_to_screen(v))
			continue;
		left = std::min(left, v.xport);
		top = std::min(top, v.yport);
		right = std::max(right, v.xport + v.wport);
		bottom = std::max(bottom, v.yport + v.hport);
	}
	// No visible view on the screen, or ports of no extent: ports map 1:1.
	g_port_sx = right > left ? (float)GR_ScreenWidth() / (float)(right - left) : 1.0f;
	g_port_sy = bottom > top ? (float)GR_ScreenHeight() / (float)(bottom - top) : 1.0f;
}

void instance_draw_default(CInstance &i)
{
	const CSprite *s = sprite_get(i.sprite_index);
	if (!s)
		return;
	int frame = (int)std::trunc(i.image_index);
	if (i.image_xscale == 1 && i.image_yscale == 1 && i.image_angle == 0 && i.image_blend == 0xFFFFFF &&
	    i.image_alpha == 1)
		sprite_draw(*s, frame, i.x, i.y);
	else
		sprite_draw_ext(*s, frame, i.x, i.y, i.image_xscale, i.image_yscale, i.image_angle, i.image_blend,
		                i.image_alpha);
}

void room_draw(CRoom &room)
{
	if (!GR_D3D_Exists())
		return;
	RoomRecord &r = room.record;
	DrawState &d = draw_state();
	d.room_width = (int)r.width;
	d.room_height = (int)r.height;
	bool views = r.views_enabled && !r.views.empty();
	if (views && r.views[0].visible)
		GR_SetCorrectionSize(r.views[0].wport, r.views[0].hport);
	else
		GR_SetCorrectionSize((int)r.width, (int)r.height);
	views_follow(room);
	TileList &tiles = room_tiles();
	sort_tiles(tiles);
	object_events_for_frame();
	snapshot_walk(room);
	int sw = GR_ScreenWidth(), sh = GR_ScreenHeight();
	if (!views) {
		g_view_current = 0;
		GR_SetViewport(0, 0, sw, sh);
		GR_SetViewArea(0, 0, (float)r.width, (float)r.height, 0);
		set_view_rect(0, 0, (int)r.width, (int)r.height);
		draw_content(room, tiles);
	} else {
		GR_SetViewport(0, 0, sw, sh);
		GR_Clear(display_state().window_colour | 0xFF000000u, 7);
		size_t n = std::min<size_t>(r.views.size(), VIEW_COUNT);
		for (size_t k = 0; k < n; k++)
			if (r.views[k].visible)
				draw_view(room, tiles, (int32_t)k);
		GR_SetViewport(0, 0, sw, sh);
		GR_SetViewArea(0, 0, (float)sw, (float)sh, 0);
		set_view_rect(0, 0, sw, sh);
	}
	draw_gui();
	draw_cursor();
	g_view_current = 0;
}
