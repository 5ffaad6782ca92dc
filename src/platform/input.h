// input.h: keyboard, mouse and joystick input from SDL, turned into the
// engine's virtual-key codes and handed to the sink the input module installs.
#pragma once

#include <cstdint>
#include <string>

union SDL_Event;

namespace platform {

// Where window input goes. Each member may be null.
struct InputSink
{
	void (*key)(int32_t vk, bool down) = nullptr;
	void (*character)(uint32_t code) = nullptr;
	void (*mouse_move)(int32_t window_x, int32_t window_y) = nullptr;
	void (*button)(int32_t button, bool down) = nullptr; // 1 left, 2 right, 3 middle
	void (*wheel)(int32_t turn) = nullptr;               // positive: away from the user
	// Alt+Enter: true when the game took it (full screen switched), false to pass
	// the keys on unchanged.
	bool (*alt_enter)() = nullptr;
	// A touch point (slot 0..127) going down, moving or going up.
	void (*touch)(int32_t slot, bool down, int32_t window_x, int32_t window_y) = nullptr;
};
void set_input_sink(const InputSink &sink);

// The virtual-key code of an SDL key code; 0 for a key without one.
int32_t vk_from_sdl_key(int32_t sdl_keycode);
// Hands one SDL event to the sink; the event pump calls it for every event.
void handle_input_event(const SDL_Event &event);

// One joystick as read now. Axes run 0 .. 65535 with 32768 at rest; pov is
// degrees clockwise from up or -1 centred; bit k of buttons is button k + 1.
struct JoystickReading
{
	bool present = false;
	std::string name;
	int axes = 0, buttons_count = 0;
	bool has_pov = false;
	int32_t axis[6] = {32768, 32768, 32768, 32768, 32768, 32768};
	int32_t pov = -1;
	uint32_t buttons = 0;
};
// Reads joystick index (0 or 1); a missing one reads as not present.
JoystickReading read_joystick(int index);
void close_joysticks();

} // namespace platform
