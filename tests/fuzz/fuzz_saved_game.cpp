// fuzz_saved_game.cpp: the saved-game reader over any bytes, against a small
// game of two rooms and two objects. A read either fails with a reason or
// gives a game that, put in place and saved, reads back and saves the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "run/game_save.h"
#include "run/rooms.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

GameData &small_game()
{
	static GameData *game = [] {
		auto *g = new GameData();
		for (int i = 0; i < 2; i++) {
			g->rooms.push_back(std::make_unique<RoomRecord>());
			g->header.room_order.push_back(i);
			auto o = std::make_unique<CObject>();
			o->name = "o" + std::to_string(i);
			object_table().put(i, std::move(o));
		}
		object_table().link_parents();
		return g;
	}();
	return *game;
}

// Puts the saved game in place and returns the running game's saved bytes.
std::vector<uint8_t> apply_and_save(GameData &game, SavedGame &saved)
{
	apply_saved_game(game, saved);
	std::vector<uint8_t> bytes = save_game_bytes(game);
	RoomState &s = room_state();
	set_current_room_instances(nullptr);
	s.current = nullptr;
	s.current_index = -1;
	s.slots.clear();
	return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	GameData &game = small_game();
	SavedGame saved;
	std::string error;
	if (!read_saved_game(game, std::span<const uint8_t>(data, size), saved, error)) {
		if (error.empty())
			abort();
		return 0;
	}
	std::vector<uint8_t> first = apply_and_save(game, saved);
	SavedGame again;
	if (!read_saved_game(game, first, again, error))
		abort();
	if (apply_and_save(game, again) != first)
		abort();
	return 0;
}
