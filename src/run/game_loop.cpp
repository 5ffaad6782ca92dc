// game_loop.cpp: the frame loop: the wait for the frame's time slot, the frame
// rate, the step with the room's drawing, the presentation and the room change
// request carried out between steps.
#include "run/run_state.h"

#include <algorithm>

#include "code/errors.h"
#include "graphics/graphics.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "run/rooms.h"

namespace {

int32_t g_fps = 0;

// Waits w microseconds: sleeps for all but about a millisecond, then pumps the
// window messages until the target time. Returns false on a quit message.
bool wait_us(int64_t w)
{
	bool quit = false;
	if (w <= 0)
		return true;
	w = std::min<int64_t>(w, 3000000);
	int64_t start = platform::time_us();
	int64_t target = start + w;
	if (w >= 2000)
		platform::sleep_us((w - 1000) / 1000 * 1000);
	for (;;) {
		if (!platform::pump_events())
			quit = true;
		int64_t t = platform::time_us();
		if (t < start || t >= target)
			break;
	}
	return !quit;
}

int32_t current_room_speed()
{
	CRoom *room = room_state().current;
	if (!room)
		return 30;
	if ((int32_t)room->record.speed < 1)
		room->record.speed = 1;
	return (int32_t)room->record.speed;
}

void count_frame(RunState &state)
{
	if (state.last_frame_us < state.second_start_us)
		state.second_start_us = state.last_frame_us;
	if (state.last_frame_us / 1000000 > state.second_start_us / 1000000) {
		g_fps = state.frames_this_second;
		state.frames_this_second = 0;
		state.second_start_us = state.last_frame_us;
	}
	state.frames_this_second++;
}

// Acts on the request left by the step: the end of the game, a restart or
// another room.
void act_on_request(RunState &state, GameData &game)
{
	int32_t request = room_request();
	if (request == ROOM_REQUEST_GAME_END || request == ROOM_REQUEST_ERROR || error_end_requested()) {
		state.running = 0;
		return;
	}
	if (!act_on_room_request(game))
		state.running = 0;
}

} // namespace

int64_t frame_wait_us(int64_t now_us, int64_t last_frame_us, int32_t room_speed)
{
	if (room_speed < 1)
		room_speed = 1;
	double wait = 1000000.0 / room_speed - (double)(now_us - last_frame_us);
	wait = std::clamp(wait, 0.0, 1000000.0);
	return (int64_t)wait;
}

int32_t current_fps() { return g_fps; }

int32_t run_frame(RunState &state, GameData &game)
{
	int64_t now = platform::time_us();
	if (now < state.last_frame_us)
		state.last_frame_us = now;
	int32_t speed = current_room_speed();
	int64_t wait = state.unpaced ? 0 : frame_wait_us(now, state.last_frame_us, speed);
	if (!wait_us(wait)) {
		state.running = 0;
		return speed;
	}
	state.last_frame_us = now + wait;
	count_frame(state);

	GR_BeginFrame();
	run_game_step(state.draw_enabled);
	GR_D3D_Finish_Frame();
	// A frame is shown unless the step asked for another room.
	if (room_request() < 0 && state.draw_enabled)
		GR_Present();
	act_on_request(state, game);

	state.frames_run++;
	// The frame limit ends the game as game_end does: the game end events run
	// after the loop.
	if (state.running && state.frame_limit >= 0 && state.frames_run >= state.frame_limit) {
		set_room_request(ROOM_REQUEST_GAME_END);
		state.running = 0;
	}
	return current_room_speed();
}
