// game_loop.cpp: the frame loop.
#include "run/run_state.h"

#include "code/errors.h"
#include "platform/clock.h"

void run_frame(RunState &state)
{
	if (!state.unpaced) {
		int64_t now = platform::time_us();
		int64_t slot = 1000000 / (state.room_speed > 0 ? state.room_speed : 30);
		if (state.next_frame_us == 0 || now - state.next_frame_us > slot)
			state.next_frame_us = now;
		platform::sleep_us(state.next_frame_us - now);
		state.next_frame_us += slot;
	}
	state.frames_run++;
	if (state.frame_limit >= 0 && state.frames_run >= state.frame_limit)
		state.running = 0;
	// An error that aborts the game ends it after the step.
	if (error_end_requested())
		state.running = 0;
}
