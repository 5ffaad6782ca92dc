// game_save.h: saved games: the running game written to a file (atomically),
// and a saved file read whole and checked before it replaces the running
// game's rooms, instances and global state at the end of the step.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "code/builtin_variables.h"
#include "code/saved_globals.h"
#include "data/game_data.h"
#include "graphics/tiles.h"
#include "world/instance.h"

// One live room of a saved game: its changing fields, tiles and instances.
struct SavedRoom
{
	int32_t index = -1;
	RoomRecord record; // the resource's record with the saved fields over it
	std::vector<LiveTile> tiles;
	std::vector<std::unique_ptr<CInstance>> active, deactivated;
};

struct SavedGame
{
	GameValues values;
	int32_t last_instance_id = 0;
	SavedGlobals globals;
	int32_t current_room = -1;
	std::vector<SavedRoom> rooms;
};

constexpr int32_t SAVE_FILE_MAGIC = 0x5653585A; // "ZXSV"
constexpr int32_t SAVE_FILE_VERSION = 1;

// The bytes of the running game's saved form.
std::vector<uint8_t> save_game_bytes(const GameData &game);
// Parses a saved game whole against the game it is for. False with the reason
// (and the byte position) on anything damaged, truncated or foreign.
bool read_saved_game(const GameData &game, std::span<const uint8_t> bytes, SavedGame &out, std::string &error);
// Replaces the running game's rooms, instances, last id, game values and
// global variables by the saved ones. No event runs.
void apply_saved_game(GameData &game, SavedGame &saved);

// `game_save`: writes the file at once (a relative name in the local save
// directory). `game_load`: reads and checks the file at once, then asks for
// the load, which takes effect at the end of the step. Both report failures as
// run-time errors and change nothing then.
void game_save_file(const GameData &game, const std::string &name);
void game_load_file(const GameData &game, const std::string &name);
// Carries out a requested load (the loop calls it for the load request).
void apply_pending_load(GameData &game);
// Forgets a parsed load that was not carried out (another request replaced it).
void drop_pending_load();
