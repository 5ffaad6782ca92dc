// fn_room.cpp: built-in functions that move between rooms, end, restart, save
// and load the game, and the variable rows of the current room.
#include "code/builtin_args.h"
#include "code/builtin_variables.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "run/game_save.h"
#include "run/rooms.h"
#include "run/run_state.h"

#include <algorithm>

namespace {

int32_t arg_int(int argc, const Value *args, int i) { return (int32_t)arg_index(argc, args, i); }

void fn_room_goto(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	if (GameData *game = running_game())
		request_room(*game, arg_int(argc, args, 0));
}

void fn_room_goto_previous(Value &, CInstance *, CInstance *, int, const Value *)
{
	GameData *game = running_game();
	if (!game)
		return;
	int32_t before = room_before(*game, room_state().current_index);
	if (before < 0) {
		report_error("Moving to previous room before the first room.");
		set_room_request(ROOM_REQUEST_ERROR);
		return;
	}
	request_room(*game, before);
}

void fn_room_goto_next(Value &, CInstance *, CInstance *, int, const Value *)
{
	GameData *game = running_game();
	if (!game)
		return;
	int32_t after = room_after(*game, room_state().current_index);
	if (after < 0) {
		report_error("Moving to next room after the last room.");
		set_room_request(ROOM_REQUEST_ERROR);
		return;
	}
	request_room(*game, after);
}

void fn_room_restart(Value &, CInstance *, CInstance *, int, const Value *)
{
	if (GameData *game = running_game())
		request_room(*game, room_state().current_index);
}

void fn_room_previous(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	GameData *game = running_game();
	result.set_real(game ? room_before(*game, arg_int(argc, args, 0)) : -1);
}

void fn_room_next(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	GameData *game = running_game();
	result.set_real(game ? room_after(*game, arg_int(argc, args, 0)) : -1);
}

void fn_room_exists(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	GameData *game = running_game();
	result.set_real(game && room_exists(*game, arg_int(argc, args, 0)) ? 1 : 0);
}

void fn_room_get_name(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	GameData *game = running_game();
	int32_t room = arg_int(argc, args, 0);
	bool known = game && room_exists(*game, room);
	result.set_string(known ? std::string_view(game->rooms[room]->name) : std::string_view("<undefined>"));
}

void fn_game_end(Value &, CInstance *, CInstance *, int, const Value *)
{
	set_room_request(ROOM_REQUEST_GAME_END);
}

void fn_game_restart(Value &, CInstance *, CInstance *, int, const Value *)
{
	set_room_request(ROOM_REQUEST_RESTART);
}

void fn_game_save(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	if (GameData *game = running_game())
		game_save_file(*game, std::string(arg_text(argc, args, 0)));
}

void fn_game_load(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	if (GameData *game = running_game())
		game_load_file(*game, std::string(arg_text(argc, args, 0)));
}

bool get_room(CInstance *, int32_t, Value &out)
{
	out.set_real(room_state().current_index);
	return true;
}

bool set_room(CInstance *, int32_t, const Value &v)
{
	if (GameData *game = running_game())
		request_room(*game, nearest_int32(v.real()));
	return true;
}

bool get_room_first(CInstance *, int32_t, Value &out)
{
	GameData *game = running_game();
	out.set_real(game && !game->header.room_order.empty() ? game->header.room_order.front() : -1);
	return true;
}

bool get_room_last(CInstance *, int32_t, Value &out)
{
	GameData *game = running_game();
	out.set_real(game && !game->header.room_order.empty() ? game->header.room_order.back() : -1);
	return true;
}

bool get_room_speed(CInstance *, int32_t, Value &out)
{
	CRoom *room = room_state().current;
	out.set_real(room ? room->record.speed : 0);
	return true;
}

// A speed of 0 or less is refused with a message; the room keeps its speed.
bool set_room_speed(CInstance *, int32_t, const Value &v)
{
	int32_t speed = nearest_int32(v.real());
	if (speed <= 0) {
		report_error("Trying to set the room speed to a value <= 0.");
		return true;
	}
	if (CRoom *room = room_state().current)
		room->record.speed = (uint32_t)speed;
	return true;
}

// The rows of the current room's record; without a room they read 0 (the
// caption the empty text) and writes are kept nowhere.
template <typename Read>
bool read_room(Value &out, Read read)
{
	CRoom *room = room_state().current;
	out.set_real(room ? (double)read(room->record) : 0.0);
	return true;
}

bool get_room_width(CInstance *, int32_t, Value &out)
{
	return read_room(out, [](const RoomRecord &r) { return r.width; });
}

bool get_room_height(CInstance *, int32_t, Value &out)
{
	return read_room(out, [](const RoomRecord &r) { return r.height; });
}

bool get_room_persistent(CInstance *, int32_t, Value &out)
{
	return read_room(out, [](const RoomRecord &r) { return r.persistent ? 1 : 0; });
}

bool get_background_color(CInstance *, int32_t, Value &out)
{
	return read_room(out, [](const RoomRecord &r) { return r.colour; });
}

bool get_background_showcolor(CInstance *, int32_t, Value &out)
{
	return read_room(out, [](const RoomRecord &r) { return r.show_colour ? 1 : 0; });
}

bool get_room_caption(CInstance *, int32_t, Value &out)
{
	CRoom *room = room_state().current;
	out.set_string(room ? room->record.caption : std::string());
	return true;
}

bool set_room_caption(CInstance *, int32_t, const Value &v)
{
	if (CRoom *room = room_state().current)
		room->record.caption.assign(v.text());
	return true;
}

bool set_room_persistent(CInstance *, int32_t, const Value &v)
{
	if (CRoom *room = room_state().current)
		room->record.persistent = flag_rounded(v);
	return true;
}

bool set_background_color(CInstance *, int32_t, const Value &v)
{
	if (CRoom *room = room_state().current)
		room->record.colour = (uint32_t)nearest_int32(v.real()) & 0xFFFFFF;
	return true;
}

bool set_background_showcolor(CInstance *, int32_t, const Value &v)
{
	if (CRoom *room = room_state().current)
		room->record.show_colour = flag_rounded(v);
	return true;
}

bool get_fps(CInstance *, int32_t, Value &out)
{
	out.set_real(current_fps());
	return true;
}

const BuiltinEntry room_functions[] = {
	{"room_goto", fn_room_goto, 1},
	{"room_goto_previous", fn_room_goto_previous, 0},
	{"room_goto_next", fn_room_goto_next, 0},
	{"room_restart", fn_room_restart, 0},
	{"room_previous", fn_room_previous, 1},
	{"room_next", fn_room_next, 1},
	{"room_exists", fn_room_exists, 1},
	{"room_get_name", fn_room_get_name, 1},
	{"game_end", fn_game_end, 0},
	{"game_restart", fn_game_restart, 0},
	{"game_save", fn_game_save, 1},
	{"game_load", fn_game_load, 1},
};

} // namespace

void register_room_functions()
{
	builtin_variables().attach("room", get_room, set_room);
	builtin_variables().attach("room_first", get_room_first);
	builtin_variables().attach("room_last", get_room_last);
	builtin_variables().attach("room_speed", get_room_speed, set_room_speed);
	builtin_variables().attach("fps", get_fps);
	builtin_variables().attach("room_width", get_room_width);
	builtin_variables().attach("room_height", get_room_height);
	builtin_variables().attach("room_caption", get_room_caption, set_room_caption);
	builtin_variables().attach("room_persistent", get_room_persistent, set_room_persistent);
	builtin_variables().attach("background_color", get_background_color, set_background_color);
	builtin_variables().attach("background_showcolor", get_background_showcolor, set_background_showcolor);
	register_functions(room_functions);
}
