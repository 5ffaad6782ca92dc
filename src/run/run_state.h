// run_state.h: the state of the running game loop: the frame schedule, the
// frame rate and the frame limit.
#pragma once

#include <cstdint>
#include <functional>

class CInstance;
class GameData;

struct RunState
{
	int running = 0;          // 1 while the game runs; 0 ends the loop
	long frames_run = 0;
	long frame_limit = -1;    // end the game after this many frames (-1: no limit)
	bool unpaced = false;     // frames back to back instead of at the room speed
	bool draw_enabled = true;
	int64_t last_frame_us = 0;   // the scheduled start of the last frame
	int64_t second_start_us = 0; // the start of the second the frame rate counts
	int32_t frames_this_second = 0;
};

// The wait before a frame: one frame's time at the room speed less the time
// since the last frame, between 0 and one second, in whole microseconds.
int64_t frame_wait_us(int64_t now_us, int64_t last_frame_us, int32_t room_speed);

// Runs one frame: waits for its time slot (unless unpaced), opens the frame's
// drawing, runs the game step, presents the frame unless a room change is
// requested, and acts on the room change request. The frame limit ends the game like a
// game end request. Returns the room speed.
int32_t run_frame(RunState &state, GameData &game);

// The game step of the current room: every pass in its order, the removal of
// destroyed instances, the room's drawing (when draw is set) and the
// animation. A room change request stops it after the running pass.
void run_game_step(bool draw = true);

// Performs (type, number) for the live instances of every object of its
// dispatch list that existed before the pass began; accept, when given,
// picks which of them take part.
void perform_dispatch_pass(int32_t type, int32_t number,
                           const std::function<bool(CInstance &)> &accept = nullptr);

// Frames counted in the last whole second (`fps`).
int32_t current_fps();
