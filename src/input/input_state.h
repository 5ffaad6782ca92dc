// input_state.h: keyboard, mouse and joystick state. Window input lands in a
// raw copy between steps; the step update moves it into the step state that
// game code and the event passes read, so that it stays constant for a step.
#pragma once

#include <cstdint>
#include <string>

constexpr int KEY_COUNT = 256;
constexpr int MOUSE_DEVICES = 5;
constexpr int MOUSE_BUTTONS = 3;  // 1 left, 2 right, 3 middle
constexpr int JOYSTICKS = 2;
constexpr int JOYSTICK_BUTTONS = 32;
constexpr size_t KEYBOARD_STRING_MAX = 1024; // characters
constexpr uint16_t KEY_BACKSPACE = 8;

// One joystick as read from the device. Axes run 0 .. 65535 with 32768 at
// rest; pov is degrees clockwise from up, or -1 when centred.
struct JoystickState
{
	bool present = false;
	int32_t axis[6] = {32768, 32768, 32768, 32768, 32768, 32768}; // x, y, z, r, u, v
	int32_t pov = -1;
	uint32_t buttons = 0; // bit k: button k + 1
	bool operator==(const JoystickState &) const = default;
};

// The keyboard and mouse fields shared by the raw copy and the step state.
struct InputFields
{
	uint8_t key_down[KEY_COUNT] = {};
	uint8_t key_pressed[KEY_COUNT] = {};
	uint8_t key_released[KEY_COUNT] = {};
	int32_t key = 0;        // `keyboard_key`: the key held last, 0 once released
	int32_t last_key = 0;   // `keyboard_lastkey`
	uint16_t last_char = 0; // `keyboard_lastchar`
	std::u16string string;  // `keyboard_string`, at most KEYBOARD_STRING_MAX characters
	// Button b of device d at d * 3 + (b - 1).
	uint8_t button_down[MOUSE_DEVICES * MOUSE_BUTTONS] = {};
	uint8_t button_pressed[MOUSE_DEVICES * MOUSE_BUTTONS] = {};
	uint8_t button_released[MOUSE_DEVICES * MOUSE_BUTTONS] = {};
	int32_t button[MOUSE_DEVICES] = {};      // `mouse_button` per device
	int32_t last_button[MOUSE_DEVICES] = {}; // `mouse_lastbutton` per device
	uint8_t wheel_up[MOUSE_DEVICES] = {};
	uint8_t wheel_down[MOUSE_DEVICES] = {};
	int32_t window_x = 0, window_y = 0; // the last mouse move in window coordinates
	int32_t screen_x = 0, screen_y = 0; // the same on the game's picture
};

struct InputState
{
	InputFields raw;  // fed by window input between steps
	InputFields step; // read during the step
	JoystickState joystick[JOYSTICKS];
	uint8_t key_map[KEY_COUNT] = {};
	int64_t steps = 0;
	// The mouse in room coordinates, read anew by the mouse pass of each step.
	float mouse_x = 0, mouse_y = 0;
	float previous_mouse_x = 0, previous_mouse_y = 0;
};

InputState &input_state();

// ---- Window input (into the raw copy) ----
// Virtual-key codes before the key map; the map may send a key elsewhere and
// a mapped code above 255 is dropped.
void raw_key_down(int32_t vk);
void raw_key_up(int32_t vk);
// A typed character: the last character, and keyboard_string grows by it
// (backspace removes one, other control characters change nothing).
void raw_character(uint32_t code);
void raw_mouse_move(int32_t window_x, int32_t window_y, int32_t screen_x, int32_t screen_y);
void raw_button_down(int32_t button); // 1 left, 2 right, 3 middle
void raw_button_up(int32_t button);
void raw_wheel(int32_t turn);         // positive: away from the user (up)
void set_joystick(int32_t index, const JoystickState &state);

// ---- The step ----
// Clears the step's pressed, released and wheel flags and moves the raw copy in.
void transfer_raw_input();
// Empties every key, button, wheel and string field of both copies.
void clear_input();
// Clears the state and sets the key map to the identity.
void reset_input();

// ---- Key map ----
void set_key_map(int32_t from, int32_t to);
int32_t key_map(int32_t from);
void reset_key_map();

// ---- keyboard_string as the game sees it ----
std::string keyboard_string_utf8(const InputFields &fields);
void set_keyboard_string(const std::string &utf8);

// Key and button queries of the step state: key 0 "no key" and 1 "any key",
// button -1 any, 0 none.
bool key_check(const uint8_t (&flags)[KEY_COUNT], int32_t key);
bool button_check(const uint8_t *flags, int32_t device, int32_t button);
