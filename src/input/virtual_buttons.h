// virtual_buttons.h: on-screen buttons from options.ini, pressed by touch
// points: each is tied to a key or a mouse button of device 0.
#pragma once

#include <cstdint>
#include <string>

class IniFile;

constexpr int VIRTUAL_BUTTONS = 128;
constexpr int TOUCH_POINTS = 128;

struct VirtualButton
{
	bool active = false;
	int32_t left = 0, top = 0, right = 0, bottom = 0; // screen coordinates, right and bottom outside
	int32_t u = 0, v = 0;                              // the button's place on the texture
	int32_t key = -1;                                  // the key it presses, or -1
	int32_t mouse_button = 0;                          // else this mouse button (1..3), or 0
	bool on = false;                                   // held by a touch in the last step
};

// Reads the section IO_VIRTUAL_BUTTONS and the IO_BUTTON_n sections; buttons
// past the 128 slots are ignored. Returns the number of active buttons.
int load_virtual_buttons(const IniFile &ini);
void clear_virtual_buttons();
const VirtualButton &virtual_button(int index);
const std::string &virtual_button_texture();

// A touch point (slot 0..127) going down, moving or going up, in screen coordinates.
void raw_touch(int32_t slot, bool down, int32_t x, int32_t y);
// Sets the step state's keys and buttons from the touch points held now.
void update_virtual_buttons();
