// run_state.h: the state of the running game loop.
#pragma once

#include <cstdint>

struct RunState
{
	int running = 0;          // 1 while the game runs; 0 ends the loop
	long frames_run = 0;
	long frame_limit = -1;    // end the game after this many frames (-1: no limit)
	bool unpaced = false;     // frames back to back instead of at the room speed
	int room_speed = 30;      // frames per second
	int64_t next_frame_us = 0;
};

// Runs one frame: waits for its time slot (unless unpaced), then the step. The
// frame limit ends the game like a game end request.
void run_frame(RunState &state);
