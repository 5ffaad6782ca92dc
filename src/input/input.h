// input.h: the input session of a run: window input into the raw copy, the
// step update that moves it into the step state (from the window, or from a
// played-back recording), recording, and the keyboard, joystick and mouse
// event passes of the step.
#pragma once

#include <string>

#include "input/recording.h"

class CRoom;
struct RoomView;
namespace platform {
class Window;
}

struct InputStart
{
	bool record = false;
	bool playback = false;      // wins over record when both are asked for
	std::string file;
	platform::Window *window = nullptr; // for Alt+Enter; may be null
	bool alt_enter = false;     // the game's option: Alt+Enter switches full screen
	std::string options_ini;    // the virtual buttons' file; empty or missing: none
};

// Clears the state, resets the key map and opens the recording or playback
// file. False with the reason when the file cannot be used.
bool start_input(const InputStart &start, std::string &error);
// Closes the files, lets the clock run free and forgets the window.
void stop_input();
bool input_playing_back();
bool input_recording();
// The playback reached the end of its file or stopped at damage: the input
// stays as it was.
bool input_playback_finished();

// Input from the window: applied to the raw copy and kept for the recording;
// ignored while a recording is played back.
void live_input(const InputEvent &event);
// Installs the platform's input sink that feeds live_input.
void connect_window_input();
// Screen (game picture) coordinates of a window position.
void window_to_screen(int32_t wx, int32_t wy, int32_t &sx, int32_t &sy);

// The step update: the next played-back frame (clock and events) or the
// window's joysticks and the recorded frame, then the raw copy moves into the
// step state.
void update_input();

// ---- The event passes of the step ----
void keyboard_events();
void joystick_events();
// Reads the mouse anew in room coordinates, then the mouse events.
void mouse_events(CRoom &room);
// Screen coordinates to the room through the views of the room.
void screen_to_room(const CRoom &room, int32_t sx, int32_t sy, float &x, float &y);
// A point of a view's port (port coordinates, before the port scale) in the
// room, through the view's region and angle.
void port_to_room(const RoomView &view, double px, double py, float &x, float &y);
