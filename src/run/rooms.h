// rooms.h: the live rooms of a running game: game start and end, leaving a
// room and entering one (persistent rooms, carried persistent instances, the
// order of create events and creation code), and the room change request.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "data/game_data.h"
#include "graphics/tiles.h"
#include "world/instances.h"

// A live room: a copy of its resource holding the instances and tiles that
// change during play.
class CRoom
{
public:
	RoomRecord record;         // name, size, speed, backgrounds, views (no instance entries)
	RoomRecord *resource = nullptr;
	RoomInstances instances;
	TileList tiles;
};

// Requests: -1 none, a room index, or one of these.
constexpr int32_t ROOM_REQUEST_NONE = -1;
constexpr int32_t ROOM_REQUEST_GAME_END = -100;
constexpr int32_t ROOM_REQUEST_RESTART = -200;
constexpr int32_t ROOM_REQUEST_LOAD = -300;
constexpr int32_t ROOM_REQUEST_ERROR = -400;

struct RoomState
{
	std::vector<std::unique_ptr<CRoom>> slots; // live rooms kept per room index
	int32_t current_index = -1;
	CRoom *current = nullptr;
	std::vector<std::unique_ptr<CInstance>> carried;
};

RoomState &room_state();
// The room change request; while one waits no event runs.
int32_t room_request();
void set_room_request(int32_t request);

// Game start: the event lists, the game values, empty slots, then the first
// room of the room order. Returns false when the game has no first room.
bool game_start(GameData &game);
// Game end: room end with the game end events, then every live room destroyed.
void game_end(GameData &game);
void room_end(GameData &game, bool game_ending);
void go_to_room(GameData &game, int32_t room, bool first_room);

// The window's client area and the screen follow the room: the room's size,
// or with views the furthest right and bottom edges of the visible views'
// ports (at least 8 by 8).
void room_window_follows(const CRoom &room);
void room_display_size(const CRoom &room, int &width, int &height);

// Room navigation for game code: an index with no room resource reports an
// error and requests the end of the game.
void request_room(const GameData &game, int32_t room);
int32_t room_before(const GameData &game, int32_t room); // -1 for the first or a missing room
int32_t room_after(const GameData &game, int32_t room);  // -1 for the last or a missing room
bool room_exists(const GameData &game, int32_t room);

// The game the room built-ins act on; start-up sets it.
void set_running_game(GameData *game);
GameData *running_game();

// Carries out the request after a step: a room index ends the current room and
// enters that one; a restart ends and starts the game again; a load puts the
// saved game in place of the running one. Returns false when
// the request ends the game (game_end or an error).
bool act_on_room_request(GameData &game);
