// builtin_variables.h: the game-wide values behind the built-in variables that
// belong to no module of their own yet, and the hooks the rows use.
#pragma once

#include <cstdint>
#include <string>

#include "code/value.h"
#include "code/variable_names.h"

// Values kept for game code and the saved-game format.
struct GameValues
{
	int32_t score = 0;
	int32_t lives = -1;
	double health = 100.0;
	int32_t transition_kind = 0;
	int32_t cursor_sprite = -1;
	bool show_score = false, show_lives = false, show_health = false;
	std::string caption_score, caption_lives, caption_health = "Health: ";
	// From the header of the game data file.
	int32_t game_id = 0;
	bool debug_mode = false;
};

GameValues &game_values();
// Game start: score 0, lives -1, cursor -1 and no transition.
void reset_game_values_for_start();
// The header's game id and its debug flag (bit 0 of the flags clear: debug).
void set_game_identity(uint32_t game_id, uint8_t header_flags);

// Performs an "other" event (type 7) for every live instance of the room, as the
// `lives` and `health` rows need; the events module installs it. Until then the
// rows only store.
using OtherEventPerformer = void (*)(int32_t number);
void set_other_event_performer(OtherEventPerformer performer);
void perform_other_event_for_all(int32_t number);

// `argument_relative`: set while a drag-and-drop action marked relative runs.
void set_argument_relative(bool relative);
bool argument_relative();

// An indexed row's element: the index when it lies in 0 .. count-1, else 0.
inline int32_t builtin_element(int32_t index, int32_t count)
{
	return index >= 0 && index < count ? index : 0;
}

// Storage conversions of the rows: integer fields take nearest_int32 of the
// real (ties to even; INT32_MIN outside the range), float fields the real
// narrowed to a float.
inline float real_to_float(double real) { return (float)real; }
// `solid`, `visible`: true when the value, narrowed to a float and rounded, is not 0.
inline bool flag_not_zero(const Value &v) { return nearest_int32((float)v.real()) != 0; }
// `room_persistent`, `timeline_running`, `view_visible`, `background_visible`,
// `show_score`: true when the rounded value exceeds 0.5.
inline bool flag_rounded(const Value &v) { return nearest_int32(v.real()) > 0; }
