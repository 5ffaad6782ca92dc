// rooms.cpp: game start and end, leaving and entering rooms, persistent rooms
// and carried persistent instances, and the room change request.
#include "run/rooms.h"

#include <algorithm>

#include "code/builtin_variables.h"
#include "code/errors.h"
#include "code/saved_globals.h"
#include "code/variables.h"
#include "common/console.h"
#include "ds/ds_store.h"
#include "graphics/display_size.h"
#include "input/input_state.h"
#include "run/game_save.h"
#include "world/events.h"
#include "world/object.h"

namespace {

int32_t g_request = ROOM_REQUEST_NONE;
GameData *g_game = nullptr;

constexpr int32_t OTHER_GAME_START = 2, OTHER_GAME_END = 3, OTHER_ROOM_START = 4, OTHER_ROOM_END = 5;

RoomRecord *room_resource(const GameData &game, int32_t room)
{
	return room >= 0 && (size_t)room < game.rooms.size() ? game.rooms[room].get() : nullptr;
}

// A placed instance with its entry's id, position, creation code and looks. No
// event runs.
void place_instance(CRoom &room, RoomInstance &entry)
{
	CInstance *i = new CInstance(entry.id, entry.object);
	i->creation_serial = event_serial();
	i->x = i->xstart = i->xprevious = (float)entry.x;
	i->y = i->ystart = i->yprevious = (float)entry.y;
	set_instance_object(*i, entry.object, true);
	i->creation_code = &entry.creation_code;
	i->image_xscale = entry.xscale;
	i->image_yscale = entry.yscale;
	i->image_blend = entry.colour & 0xFFFFFF;
	i->image_alpha = (float)(entry.colour >> 24) / 255.0f;
	i->image_angle = entry.angle;
	add_existing_instance(room.instances, i);
}

std::unique_ptr<CRoom> make_live_room(RoomRecord &resource)
{
	auto room = std::make_unique<CRoom>();
	room->resource = &resource;
	room->record = resource;
	room->record.instances.clear();
	room->record.tiles.clear();
	tiles_from_records(resource.tiles, room->tiles);
	return room;
}

// Every carried instance takes over the room's instance of its id, or a new
// instance of its object; either way it runs no creation step.
void land_carried(CRoom &room)
{
	for (auto &carried : room_state().carried) {
		CInstance *target = find_instance_by_id(carried->id);
		if (!target) {
			target = create_instance(room.instances, carried->x, carried->y, carried->object_index);
			change_instance_id(*target, carried->id);
		}
		copy_instance_fields(*target, *carried);
		target->carried = true;
	}
	room_state().carried.clear();
}

// The create event and creation code of each new instance, from the tail of
// the list to its head, over a snapshot taken before any code runs.
void create_placed_instances(GameData &game, CRoom &room)
{
	std::vector<CInstance *> snapshot;
	for (CInstance *i = room.instances.active.tail; i; i = i->prev)
		snapshot.push_back(i);
	bool create_first = game.options.create_event_first();
	for (CInstance *i : snapshot) {
		if (i->carried) {
			i->carried = false;
			continue;
		}
		if (i->marked)
			continue;
		if (create_first)
			perform_own_event(i, i, EV_CREATE, 0);
		if (i->creation_code && !i->creation_code->empty() && !room_change_pending())
			run_code(*i->creation_code, i, i);
		if (!create_first)
			perform_own_event(i, i, EV_CREATE, 0);
		i->created = true;
	}
}

} // namespace

RoomState &room_state()
{
	static RoomState state;
	return state;
}

int32_t room_request() { return g_request; }

void set_room_request(int32_t request)
{
	g_request = request;
	set_room_change_pending(request != ROOM_REQUEST_NONE);
}

void set_running_game(GameData *game) { g_game = game; }
GameData *running_game() { return g_game; }

bool game_start(GameData &game)
{
	dbg_console().Output("StartGame()\n");
	set_running_game(&game);
	drop_pending_load();
	object_table().build_event_lists();
	reset_game_values_for_start();
	restart_global_variables();
	reset_instances((int32_t)game.header.last_instance_id);
	RoomState &s = room_state();
	s.slots.clear();
	s.slots.resize(game.rooms.size());
	s.carried.clear();
	s.current = nullptr;
	s.current_index = -1;
	// A game without rooms runs with no room: its frames pass with nothing to do.
	if (!game.header.room_order.empty()) {
		if (!room_resource(game, game.header.room_order[0])) {
			show_error("The game's first room " + std::to_string(game.header.room_order[0]) + " does not exist.", false);
			return false;
		}
		go_to_room(game, game.header.room_order[0], true);
	}
	dbg_console().Output("StartGame() - DONE\n");
	return true;
}

void room_end(GameData &, bool game_ending)
{
	RoomState &s = room_state();
	CRoom *room = s.current;
	if (!room)
		return;
	remove_marked(room->instances);
	int32_t saved = g_request;
	set_room_request(ROOM_REQUEST_NONE);
	perform_event_for_all(EV_OTHER, OTHER_ROOM_END);
	if (game_ending)
		perform_event_for_all(EV_OTHER, OTHER_GAME_END);
	set_room_request(saved);

	for (CInstance *i = room->instances.active.head; i;) {
		CInstance *next = i->next;
		if (i->persistent && !i->marked) {
			auto copy = std::make_unique<CInstance>(i->id, i->object_index);
			*copy = *i;
			copy->next = copy->prev = nullptr;
			s.carried.push_back(std::move(copy));
			discard_instance(room->instances, i);
		}
		i = next;
	}
	if (room->record.persistent) {
		for (CInstance *i = room->instances.active.head; i; i = i->next)
			if (!i->marked && !i->persistent)
				unregister_instance(*i);
		for (CInstance *i = room->instances.deactivated.head; i; i = i->next)
			if (!i->marked && !i->persistent)
				unregister_instance(*i);
		set_current_room_instances(nullptr);
		set_current_room_tiles(nullptr);
	} else {
		set_current_room_tiles(nullptr);
		s.slots[s.current_index].reset();
	}
	s.current = nullptr;
}

void go_to_room(GameData &game, int32_t index, bool first_room)
{
	RoomState &s = room_state();
	set_room_request(ROOM_REQUEST_NONE);
	if (index < 0)
		return;
	if ((size_t)index >= s.slots.size())
		s.slots.resize(index + 1);
	bool fresh = !s.slots[index];
	if (fresh) {
		RoomRecord *resource = room_resource(game, index);
		if (!resource) {
			report_error("Unexisting room number: " + std::to_string(index));
			set_room_request(ROOM_REQUEST_ERROR);
			return;
		}
		s.slots[index] = make_live_room(*resource);
	}
	CRoom &room = *s.slots[index];
	s.current_index = index;
	s.current = &room;
	set_current_room_instances(&room.instances);
	room_window_follows(room);
	set_current_room_tiles(&room.tiles);
	// Keys and buttons held in the room left do not carry over.
	clear_input();
	if (fresh) {
		for (RoomInstance &entry : room.resource->instances)
			place_instance(room, entry);
	} else {
		for (InstanceChain *chain : {&room.instances.active, &room.instances.deactivated})
			for (CInstance *i = chain->head; i; i = i->next)
				if (!i->marked)
					register_instance(*i);
	}
	land_carried(room);
	if (fresh)
		create_placed_instances(game, room);
	if (first_room)
		perform_event_for_all(EV_OTHER, OTHER_GAME_START);
	if (fresh && !room.record.creation_code.empty() && !room_change_pending()) {
		CInstance temporary(0, 0);
		run_code(room.record.creation_code, &temporary, &temporary);
	}
	perform_event_for_all(EV_OTHER, OTHER_ROOM_START);
}

void game_end(GameData &game)
{
	room_end(game, true);
	RoomState &s = room_state();
	set_current_room_instances(nullptr);
	set_current_room_tiles(nullptr);
	s.slots.clear();
	s.current = nullptr;
	s.current_index = -1;
	set_room_request(ROOM_REQUEST_NONE);
	// The game's data structures live until the game ends.
	ds_reset();
}

void room_display_size(const CRoom &room, int &width, int &height)
{
	const RoomRecord &r = room.record;
	width = (int)std::min<uint32_t>(r.width, INT32_MAX);
	height = (int)std::min<uint32_t>(r.height, INT32_MAX);
	if (!r.views_enabled)
		return;
	int64_t right = 0, bottom = 0;
	for (size_t v = 0; v < r.views.size() && v < 8; v++)
		if (r.views[v].visible) {
			right = std::max<int64_t>(right, (int64_t)r.views[v].xport + r.views[v].wport);
			bottom = std::max<int64_t>(bottom, (int64_t)r.views[v].yport + r.views[v].hport);
		}
	width = (int)std::clamp<int64_t>(right, 8, INT32_MAX);
	height = (int)std::clamp<int64_t>(bottom, 8, INT32_MAX);
}

void room_window_follows(const CRoom &room)
{
	int width = 0, height = 0;
	room_display_size(room, width, height);
	GR_SetWindowSize(width, height);
}

void request_room(const GameData &game, int32_t room)
{
	if (!room_resource(game, room)) {
		report_error("Unexisting room number: " + std::to_string(room));
		set_room_request(ROOM_REQUEST_ERROR);
		return;
	}
	game_values().transition_kind = 0;
	set_room_request(room);
}

int32_t room_before(const GameData &game, int32_t room)
{
	const auto &order = game.header.room_order;
	auto it = std::find(order.begin(), order.end(), room);
	if (!room_resource(game, room) || it == order.end() || it == order.begin())
		return -1;
	return *(it - 1);
}

int32_t room_after(const GameData &game, int32_t room)
{
	const auto &order = game.header.room_order;
	auto it = std::find(order.begin(), order.end(), room);
	if (!room_resource(game, room) || it == order.end() || it + 1 == order.end())
		return -1;
	return *(it + 1);
}

bool room_exists(const GameData &game, int32_t room)
{
	return room_resource(game, room) != nullptr;
}

bool act_on_room_request(GameData &game)
{
	int32_t request = g_request;
	if (request != ROOM_REQUEST_LOAD)
		drop_pending_load();
	if (request == ROOM_REQUEST_NONE)
		return true;
	if (request == ROOM_REQUEST_GAME_END || request == ROOM_REQUEST_ERROR)
		return false;
	if (request == ROOM_REQUEST_RESTART) {
		game_end(game);
		return game_start(game);
	}
	if (request == ROOM_REQUEST_LOAD) {
		clear_input();
		apply_pending_load(game);
		return true;
	}
	if (request < 0) {
		set_room_request(ROOM_REQUEST_NONE);
		return true;
	}
	room_end(game, false);
	go_to_room(game, request, false);
	return true;
}
