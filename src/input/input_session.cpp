// input_session.cpp: where the raw copy is fed from (the window or a played-back
// recording), the recording of each step's input and the step update.
#include "input/input.h"

#include <cstdio>

#include "common/console.h"
#include "common/ini.h"
#include "graphics/graphics.h"
#include "input/virtual_buttons.h"
#include "platform/input.h"
#include "platform/window.h"

namespace {

struct Session
{
	InputRecorder recorder;
	InputPlayback playback;
	bool playing = false;
	bool recording = false;
	bool finished = false;
	std::vector<InputEvent> pending; // window input since the last step, for the recording
	platform::Window *window = nullptr;
	bool alt_enter = false;
};

Session g_session;

void report(const std::string &text)
{
	dbg_console().Output("%s\n", text.c_str());
	fprintf(stderr, "zentrix: %s\n", text.c_str());
}

InputEvent make_event(uint8_t kind, std::initializer_list<int32_t> fields)
{
	InputEvent e;
	e.kind = kind;
	int i = 0;
	for (int32_t f : fields)
		e.field[i++] = f;
	return e;
}

void on_key(int32_t vk, bool down) { live_input(make_event(down ? INPUT_KEY_DOWN : INPUT_KEY_UP, {vk})); }
void on_character(uint32_t code) { live_input(make_event(INPUT_CHARACTER, {(int32_t)code})); }
void on_button(int32_t b, bool down) { live_input(make_event(down ? INPUT_BUTTON_DOWN : INPUT_BUTTON_UP, {b})); }
void on_wheel(int32_t turn) { live_input(make_event(INPUT_WHEEL, {turn})); }

void on_mouse_move(int32_t wx, int32_t wy)
{
	int32_t sx, sy;
	window_to_screen(wx, wy, sx, sy);
	live_input(make_event(INPUT_MOUSE_MOVE, {wx, wy, sx, sy}));
}

void on_touch(int32_t slot, bool down, int32_t wx, int32_t wy)
{
	int32_t sx, sy;
	window_to_screen(wx, wy, sx, sy);
	live_input(make_event(INPUT_TOUCH, {slot, down ? 1 : 0, sx, sy}));
}

bool on_alt_enter()
{
	if (!g_session.alt_enter || !g_session.window)
		return false;
	g_session.window->set_fullscreen(!g_session.window->fullscreen());
	return true;
}

// The window's joysticks, as events when they changed, so that a recording
// carries them.
void poll_joysticks()
{
	for (int i = 0; i < JOYSTICKS; i++) {
		platform::JoystickReading r = platform::read_joystick(i);
		JoystickState s;
		s.present = r.present;
		for (int a = 0; a < 6; a++)
			s.axis[a] = r.axis[a];
		s.pov = r.pov;
		s.buttons = r.buttons;
		if (s == input_state().joystick[i])
			continue;
		InputFrame f;
		f.joystick(i, s);
		live_input(f.events.back());
	}
}

void play_back_frame()
{
	InputFrame frame;
	std::string error;
	switch (g_session.playback.next(frame, error)) {
	case InputPlayback::FRAME:
		fix_clock(&frame.clock);
		for (const InputEvent &e : frame.events)
			apply_input_event(e);
		return;
	case InputPlayback::END:
		break;
	case InputPlayback::BAD:
		report(error + "; the playback stops here");
		break;
	}
	g_session.finished = true;
	g_session.playback.close();
	fix_clock(nullptr);
}

void record_frame()
{
	InputFrame frame;
	frame.clock = read_live_clock();
	frame.events.swap(g_session.pending);
	g_session.pending.clear();
	fix_clock(&frame.clock);
	std::string error;
	if (!g_session.recorder.write(frame, error)) {
		report(error + "; the recording stops here");
		g_session.recording = false;
	}
}

} // namespace

bool start_input(const InputStart &start, std::string &error)
{
	stop_input();
	reset_input();
	g_session.window = start.window;
	g_session.alt_enter = start.alt_enter;
	IniFile ini;
	if (!start.options_ini.empty() && ini.load(start.options_ini))
		load_virtual_buttons(ini);
	if (start.playback) {
		if (!g_session.playback.open(start.file, error))
			return false;
		g_session.playing = true;
		fix_clock(&g_session.playback.start_clock());
	} else if (start.record) {
		ClockReading now = read_live_clock();
		if (!g_session.recorder.open(start.file, now, error))
			return false;
		g_session.recording = true;
		fix_clock(&now);
	}
	return true;
}

void stop_input()
{
	g_session.recorder.close();
	g_session.playback.close();
	g_session.playing = g_session.recording = g_session.finished = false;
	g_session.pending.clear();
	g_session.window = nullptr;
	g_session.alt_enter = false;
	clear_virtual_buttons();
	fix_clock(nullptr);
}

bool input_playing_back() { return g_session.playing; }
bool input_recording() { return g_session.recording; }
bool input_playback_finished() { return g_session.finished; }

void live_input(const InputEvent &event)
{
	if (g_session.playing)
		return;
	apply_input_event(event);
	if (g_session.recording)
		g_session.pending.push_back(event);
}

void connect_window_input()
{
	platform::InputSink sink;
	sink.key = on_key;
	sink.character = on_character;
	sink.mouse_move = on_mouse_move;
	sink.button = on_button;
	sink.wheel = on_wheel;
	sink.alt_enter = on_alt_enter;
	sink.touch = on_touch;
	platform::set_input_sink(sink);
}

// The screen's rectangle on the window comes from the display; without one
// the window and the screen coincide.
void window_to_screen(int32_t wx, int32_t wy, int32_t &sx, int32_t &sy)
{
	sx = wx;
	sy = wy;
	if (!GR_D3D_Exists())
		return;
	const GraphicsStats &s = GR_Stats();
	float w = s.dest_right - s.dest_left, h = s.dest_bottom - s.dest_top;
	if (w <= 0 || h <= 0)
		return;
	sx = (int32_t)((wx - s.dest_left) * (float)GR_ScreenWidth() / w);
	sy = (int32_t)((wy - s.dest_top) * (float)GR_ScreenHeight() / h);
}

void update_input()
{
	if (g_session.playing) {
		if (!g_session.finished)
			play_back_frame();
	} else {
		poll_joysticks();
		if (g_session.recording)
			record_frame();
	}
	transfer_raw_input();
	update_virtual_buttons();
}
