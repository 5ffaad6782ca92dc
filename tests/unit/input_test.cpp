// input_test.cpp: the input state's transitions from the raw copy to the step,
// keyboard_string, the key map, SDL key codes to virtual keys, the input
// functions, and reading damaged recordings.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "builtin_call.h"
#include "code/variable_names.h"
#include "common/ini.h"
#include "input/virtual_buttons.h"
#include "input/input.h"
#include "platform/input.h"
#include "test_util.h"

namespace {

class InputTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		stop_input();
		reset_input();
	}
	void TearDown() override
	{
		stop_input();
		reset_input();
	}
	const InputFields &step() { return input_state().step; }
};

std::string typed() { return keyboard_string_utf8(input_state().step); }

} // namespace

TEST_F(InputTest, KeyHeldForThreeStepsIsPressedOnceAndReleasedAfter)
{
	// Each row: what the window does before the step, then the step's flags of key 37.
	struct Row
	{
		const char *action; // "down", "up", "tap" (down and up), "" nothing
		bool down, pressed, released;
		int32_t keyboard_key;
	};
	const Row rows[] = {
		{"down", true, true, false, 37}, {"", true, false, false, 37}, {"", true, false, false, 37},
		{"up", false, false, true, 0},   {"", false, false, false, 0},
		// A tap between two steps reaches the step only as released.
		{"tap", false, false, true, 0},  {"", false, false, false, 0},
	};
	int n = 0;
	for (const Row &r : rows) {
		std::string a = r.action;
		if (a == "down" || a == "tap")
			raw_key_down(37);
		if (a == "up" || a == "tap")
			raw_key_up(37);
		transfer_raw_input();
		SCOPED_TRACE("step " + std::to_string(n++));
		EXPECT_EQ(step().key_down[37] != 0, r.down);
		EXPECT_EQ(step().key_pressed[37] != 0, r.pressed);
		EXPECT_EQ(step().key_released[37] != 0, r.released);
		EXPECT_EQ(step().key, r.keyboard_key);
		EXPECT_EQ(step().last_key, 37);
	}
}

TEST_F(InputTest, ButtonsAndWheelLastOneStep)
{
	raw_button_down(1);
	raw_button_down(2);
	raw_wheel(1);
	transfer_raw_input();
	EXPECT_TRUE(button_check(step().button_pressed, 0, 1));
	EXPECT_TRUE(button_check(step().button_down, 0, -1));
	EXPECT_FALSE(button_check(step().button_down, 0, 0));
	EXPECT_EQ(step().button[0], 2);
	EXPECT_TRUE(step().wheel_up[0]);
	raw_button_up(1); // the right button stays current
	transfer_raw_input();
	EXPECT_FALSE(button_check(step().button_pressed, 0, 1));
	EXPECT_TRUE(button_check(step().button_released, 0, 1));
	EXPECT_EQ(step().button[0], 2);
	EXPECT_EQ(step().last_button[0], 2);
	EXPECT_FALSE(step().wheel_up[0]);
	// Buttons outside 1..3 and devices outside 0..4 are nothing.
	raw_button_down(4);
	transfer_raw_input();
	EXPECT_FALSE(button_check(step().button_down, 0, 4));
	EXPECT_FALSE(button_check(step().button_down, 5, 1));
}

TEST_F(InputTest, KeyboardString)
{
	for (uint32_t c : std::initializer_list<uint32_t>{'a', 'b', 8, 'c', 13, 1, 0xE9, 0x1F600})
		raw_character(c);
	transfer_raw_input();
	EXPECT_EQ(typed(), "ac\xC3\xA9"); // backspace removed b; control characters and characters past 16 bits add nothing
	EXPECT_EQ(step().last_char, 0xE9);
	// Backspace on an empty string leaves it empty.
	set_keyboard_string("");
	raw_character(8);
	transfer_raw_input();
	EXPECT_EQ(typed(), "");
	// At 1023 characters the string restarts from its last character.
	set_keyboard_string(std::string(1022, 'x') + "y");
	raw_character('z');
	transfer_raw_input();
	EXPECT_EQ(typed(), "yz");
	// Game code may set it; a longer text keeps its first 1024 characters.
	set_keyboard_string(std::string(2000, 'q'));
	EXPECT_EQ(step().string.size(), KEYBOARD_STRING_MAX);
	EXPECT_EQ(call_builtin("keyboard_check", {Value(0)}).real(), 1);
}

TEST_F(InputTest, KeyMapTranslatesBeforeStoring)
{
	call_builtin("keyboard_set_map", {Value(37), Value(65)});
	EXPECT_EQ(call_builtin("keyboard_get_map", {Value(37)}).real(), 65);
	raw_key_down(37);
	transfer_raw_input();
	EXPECT_FALSE(step().key_down[37]);
	EXPECT_TRUE(step().key_down[65]);
	call_builtin("keyboard_set_map", {Value(38), Value(300)}); // beyond the keys: dropped
	raw_key_down(38);
	transfer_raw_input();
	EXPECT_FALSE(step().key_down[38]);
	call_builtin("keyboard_unset_map");
	EXPECT_EQ(call_builtin("keyboard_get_map", {Value(37)}).real(), 37);
	raw_key_down(999); // out of range: ignored
}

TEST_F(InputTest, ClearingKeysButtonsAndEverything)
{
	raw_key_down(65);
	raw_key_down(66);
	raw_button_down(1);
	raw_character('k');
	transfer_raw_input();
	EXPECT_EQ(call_builtin("keyboard_check", {Value(1)}).real(), 1);
	call_builtin("keyboard_clear", {Value(66)});
	EXPECT_EQ(call_builtin("keyboard_check", {Value(66)}).real(), 0);
	EXPECT_EQ(call_builtin("keyboard_check", {Value(65)}).real(), 1);
	EXPECT_EQ(call_builtin("keyboard_check_pressed", {Value(65)}).real(), 1);
	transfer_raw_input(); // the cleared key stays up in the next step
	EXPECT_EQ(call_builtin("keyboard_check", {Value(66)}).real(), 0);
	call_builtin("mouse_clear", {Value(1)});
	EXPECT_EQ(call_builtin("mouse_check_button", {Value(1)}).real(), 0);
	call_builtin("io_clear");
	transfer_raw_input();
	EXPECT_EQ(call_builtin("keyboard_check", {Value(0)}).real(), 1);
	EXPECT_EQ(typed(), "");
	EXPECT_EQ(step().last_key, 0);
}

TEST_F(InputTest, VariableRowsReachBothCopies)
{
	register_builtin_families();
	raw_key_down(70);
	raw_character('f');
	transfer_raw_input();
	auto row = [](const char *name) {
		Value out;
		builtin_variables().entry(builtin_variables().find(name))->get(nullptr, 0, out);
		return out;
	};
	auto write = [](const char *name, const Value &v) {
		return builtin_variables().entry(builtin_variables().find(name))->set(nullptr, 0, v);
	};
	EXPECT_EQ(row("keyboard_key").real(), 70);
	EXPECT_TRUE(write("mouse_lastbutton", Value(2.6)));
	transfer_raw_input();
	EXPECT_EQ(row("mouse_lastbutton").real(), 3);
	EXPECT_EQ(row("keyboard_lastchar").text(), "f");
	EXPECT_EQ(row("keyboard_string").text(), "f");
	EXPECT_TRUE(write("keyboard_string", Value("abc")));
	EXPECT_TRUE(write("keyboard_lastkey", Value(12)));
	transfer_raw_input();
	EXPECT_EQ(row("keyboard_string").text(), "abc");
	EXPECT_EQ(row("keyboard_lastkey").real(), 12);
}

// The query functions read the step state: one step of keys, buttons, the
// wheel, the mouse and a joystick, then each function against its answer.
TEST_F(InputTest, QueryFunctionsReadTheStep)
{
	raw_key_down(16);  // shift, held from an earlier step
	transfer_raw_input();
	raw_key_down(65);
	raw_key_up(16);
	raw_button_down(3);
	raw_wheel(-2);
	raw_mouse_move(30, 40, 15, 20);
	call_builtin("keyboard_key_press", {Value(90)}); // simulated keys arrive as window input does
	JoystickState j;
	j.present = true;
	j.axis[0] = 0;     // full left
	j.axis[1] = 65535; // full down
	j.pov = 270;
	j.buttons = 0b100; // button 3
	set_joystick(1, j); // joystick id 2
	transfer_raw_input();
	input_state().mouse_x = 7.5f;
	struct Row
	{
		const char *name;
		std::vector<double> args;
		double answer;
	};
	const Row rows[] = {
		{"keyboard_check_pressed", {65}, 1},  {"keyboard_check_pressed", {16}, 0},
		{"keyboard_check_released", {16}, 1}, {"keyboard_check_released", {65}, 0},
		{"keyboard_check_released", {1}, 1},  {"keyboard_check_released", {0}, 0},
		{"keyboard_check", {90}, 1},          {"keyboard_check_direct", {65}, 1},
		{"keyboard_check_direct", {161}, 0},  // right shift answers for shift, now up
		{"mouse_check_button", {3}, 1},       {"mouse_check_button_pressed", {3}, 1},
		{"mouse_check_button_pressed", {1}, 0}, {"mouse_check_button_released", {-1}, 0},
		{"mouse_wheel_up", {}, 0},            {"mouse_wheel_down", {}, 1},
		{"device_mouse_check_button", {0, 3}, 1}, {"device_mouse_check_button", {1, 3}, 0},
		{"device_mouse_check_button_pressed", {0, -1}, 1}, {"device_mouse_check_button_released", {0, 0}, 1},
		{"device_mouse_x", {0}, 7.5},         {"device_mouse_x", {2}, 0},
		{"device_mouse_raw_x", {0}, 30},      {"device_mouse_raw_y", {0}, 40},
		{"window_mouse_get_x", {}, 30},       {"window_mouse_get_y", {}, 40},
		{"joystick_exists", {2}, 1},          {"joystick_exists", {1}, 0},
		{"joystick_exists", {0}, 0},          {"joystick_exists", {3}, 0},
		{"joystick_xpos", {2}, -1},           {"joystick_ypos", {2}, 32767.0 / 32768},
		{"joystick_zpos", {2}, 0},            {"joystick_xpos", {1}, 0},
		{"joystick_direction", {2}, 97},      {"joystick_direction", {1}, 101},
		{"joystick_check_button", {2, 3}, 1}, {"joystick_check_button", {2, 1}, 0},
		{"joystick_check_button", {2, 33}, 0}, {"joystick_check_button", {2, 0}, 0},
		{"joystick_pov", {2}, 270},           {"joystick_pov", {1}, -1},
	};
	for (const Row &r : rows) {
		register_builtin_families();
		std::vector<Value> args(r.args.begin(), r.args.end());
		const BuiltinEntry *e = function_entry(builtin_function_id(r.name));
		ASSERT_NE(e, nullptr) << r.name;
		Value out;
		e->routine(out, nullptr, nullptr, (int)args.size(), args.data());
		EXPECT_DOUBLE_EQ(out.real(), r.answer) << r.name << " of " << (r.args.empty() ? 0 : r.args[0]);
	}
	call_builtin("keyboard_key_release", {Value(90)});
	transfer_raw_input();
	EXPECT_EQ(call_builtin("keyboard_check_released", {Value(90)}).real(), 1);
	call_builtin("keyboard_set_numlock", {Value(0.4)});
	EXPECT_EQ(call_builtin("keyboard_get_numlock").real(), 0);
	call_builtin("keyboard_set_numlock", {Value(1)});
	EXPECT_EQ(call_builtin("keyboard_get_numlock").real(), 1);
}

TEST_F(InputTest, IoHandleTakesWaitingInputAtOnceExceptInAPlayedBackRun)
{
	raw_key_down(65);
	call_builtin("io_handle");
	EXPECT_TRUE(step().key_down[65]);
	// A played-back run takes input only at the step, so that it repeats.
	TempDir dir;
	dir.write("run.rec", encode_recording({InputFrame()}));
	InputStart start;
	start.playback = true;
	start.file = dir.file("run.rec");
	std::string error;
	ASSERT_TRUE(start_input(start, error)) << error;
	raw_key_down(66);
	call_builtin("io_handle");
	EXPECT_FALSE(step().key_down[66]);
	stop_input();
}

TEST(InputKeys, SdlKeysToVirtualKeys)
{
	const std::pair<SDL_Keycode, int32_t> table[] = {
		{SDLK_a, 65},         {SDLK_z, 90},        {SDLK_0, 48},         {SDLK_9, 57},      {SDLK_LEFT, 37},
		{SDLK_UP, 38},        {SDLK_RIGHT, 39},    {SDLK_DOWN, 40},      {SDLK_RETURN, 13}, {SDLK_KP_ENTER, 13},
		{SDLK_SPACE, 32},     {SDLK_ESCAPE, 27},   {SDLK_BACKSPACE, 8},  {SDLK_F1, 112},    {SDLK_F12, 123},
		{SDLK_KP_0, 96},      {SDLK_KP_9, 105},    {SDLK_KP_PLUS, 107},  {SDLK_LSHIFT, 16}, {SDLK_RSHIFT, 16},
		{SDLK_RCTRL, 17},     {SDLK_LALT, 18},     {SDLK_SEMICOLON, 186}, {SDLK_QUOTE, 222}, {SDLK_DELETE, 46},
		{SDLK_AUDIOPLAY, 0},
	};
	for (auto [sdl, vk] : table)
		EXPECT_EQ(platform::vk_from_sdl_key(sdl), vk) << SDL_GetKeyName(sdl);
}

namespace {

std::vector<std::string> g_seen;
bool g_alt_enter_taken = false;

void sink_key(int32_t vk, bool down) { g_seen.push_back((down ? "down " : "up ") + std::to_string(vk)); }
void sink_char(uint32_t c) { g_seen.push_back("char " + std::to_string(c)); }
void sink_button(int32_t b, bool down) { g_seen.push_back((down ? "button " : "unbutton ") + std::to_string(b)); }
void sink_move(int32_t x, int32_t y) { g_seen.push_back("move " + std::to_string(x) + "," + std::to_string(y)); }
void sink_wheel(int32_t t) { g_seen.push_back("wheel " + std::to_string(t)); }
bool sink_alt_enter()
{
	g_seen.push_back("alt+enter");
	return g_alt_enter_taken;
}

SDL_Event key_event(bool down, SDL_Keycode key, uint16_t mod = 0)
{
	SDL_Event e{};
	e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
	e.key.keysym.sym = key;
	e.key.keysym.mod = mod;
	return e;
}

} // namespace

TEST(InputKeys, SdlEventsReachTheSink)
{
	platform::InputSink sink;
	sink.key = sink_key;
	sink.character = sink_char;
	sink.button = sink_button;
	sink.mouse_move = sink_move;
	sink.wheel = sink_wheel;
	sink.alt_enter = sink_alt_enter;
	platform::set_input_sink(sink);
	g_seen.clear();
	platform::handle_input_event(key_event(true, SDLK_BACKSPACE));
	SDL_Event text{};
	text.type = SDL_TEXTINPUT;
	strcpy(text.text.text, "a\xC3\xA9");
	platform::handle_input_event(text);
	SDL_Event click{};
	click.type = SDL_MOUSEBUTTONDOWN;
	click.button.button = SDL_BUTTON_RIGHT;
	click.button.x = 5;
	click.button.y = 6;
	platform::handle_input_event(click);
	SDL_Event wheel{};
	wheel.type = SDL_MOUSEWHEEL;
	wheel.wheel.y = -1;
	platform::handle_input_event(wheel);
	// Alt+Enter with the option off passes on as keys; with it on it is taken.
	g_alt_enter_taken = false;
	platform::handle_input_event(key_event(true, SDLK_RETURN, KMOD_LALT));
	g_alt_enter_taken = true;
	platform::handle_input_event(key_event(true, SDLK_RETURN, KMOD_LALT));
	platform::handle_input_event(key_event(false, SDLK_RETURN, KMOD_LALT));
	platform::set_input_sink({});
	std::vector<std::string> expected = {"down 8",     "char 8",        "char 97",   "char 233",
	                                     "move 5,6",   "button 2",      "wheel -1",  "alt+enter",
	                                     "down 13",    "char 13",       "alt+enter", "up 13"};
	EXPECT_EQ(g_seen, expected);
}

TEST(InputRecording, FramesRoundTrip)
{
	InputFrame a;
	a.clock.boot_ms = 123456789012;
	a.clock.unix_s = 1700000000;
	a.clock.utc_offset_s = -3600;
	a.clock.fine_ns = 0xFFFFFFFF12345678ull;
	a.key_down(37).character(0xE9).mouse_move(-5, 70000).button_down(1).wheel(-1);
	JoystickState j;
	j.present = true;
	j.axis[1] = 0;
	j.pov = 270;
	j.buttons = 0x80000001u;
	a.joystick(1, j);
	InputFrame empty;
	InputPlayback p;
	std::string error;
	ClockReading start;
	start.unix_s = 42;
	ASSERT_TRUE(p.open_bytes(encode_recording({a, empty}, start), error)) << error;
	EXPECT_EQ(p.start_clock().unix_s, 42);
	InputFrame got;
	ASSERT_EQ(p.next(got, error), InputPlayback::FRAME) << error;
	EXPECT_EQ(got.events, a.events);
	EXPECT_EQ(got.clock.boot_ms, a.clock.boot_ms);
	EXPECT_EQ(got.clock.unix_s, a.clock.unix_s);
	EXPECT_EQ(got.clock.utc_offset_s, a.clock.utc_offset_s);
	EXPECT_EQ(got.clock.fine_ns, a.clock.fine_ns);
	ASSERT_EQ(p.next(got, error), InputPlayback::FRAME);
	EXPECT_TRUE(got.events.empty());
	EXPECT_EQ(p.next(got, error), InputPlayback::END);
}

TEST(InputRecording, DamagedFilesGiveClearErrors)
{
	InputFrame f;
	f.key_down(65);
	const std::vector<uint8_t> good = encode_recording({f});
	const size_t header = RECORDING_HEADER_SIZE, body = header + 4; // the first frame's body
	const size_t count = body + 28, kind = count + 4;
	struct Case
	{
		const char *name;
		std::vector<uint8_t> bytes;
		const char *open_error; // null: opens; then the first frame fails with frame_error
		const char *frame_error;
	};
	auto with = [&](size_t at, std::vector<uint8_t> value) {
		std::vector<uint8_t> b = good;
		for (size_t i = 0; i < value.size(); i++)
			b[at + i] = value[i];
		return b;
	};
	auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + n); };
	std::vector<uint8_t> trailing = good;
	trailing.insert(trailing.end(), {1, 0, 0, 0, 9});
	std::vector<uint8_t> longer_body = with(header, {(uint8_t)(good.size() - body + 1)});
	longer_body.push_back(0);
	const Case cases[] = {
		{"empty", {}, "too short to be a recording", nullptr},
		{"magic", with(0, {'X'}), "is not an input recording", nullptr},
		{"version", with(8, {2}), "has version 2; this program reads version 1", nullptr},
		{"header size", with(10, {4}), "has a header of 4 bytes", nullptr},
		{"header cut", with(10, {250}), "ends inside its header", nullptr},
		{"length cut", cut(header + 2), nullptr, "ends inside the frame's length"},
		{"body cut", cut(good.size() - 1), nullptr, "the file ends inside the frame"},
		{"huge frame", with(header, {0, 0, 0, 0x40}), nullptr, "more than the limit"},
		{"short frame", with(header, {8}), nullptr, "too short for its clock reading"},
		{"huge count", with(count, {0xFF, 0xFF, 0xFF, 0x7F}), nullptr, "claims 2147483647 events"},
		{"unknown kind", with(kind, {99}), nullptr, "unknown kind 99"},
		{"field count", with(kind + 1, {3}), nullptr, "has 3 fields instead of 1"},
		{"bytes after events", longer_body, nullptr, "1 bytes follow the last event"},
		{"trailing frame", trailing, nullptr, nullptr},
	};
	for (const Case &c : cases) {
		SCOPED_TRACE(c.name);
		InputPlayback p;
		std::string error;
		bool opened = p.open_bytes(c.bytes, error);
		if (c.open_error) {
			EXPECT_FALSE(opened);
			EXPECT_NE(error.find(c.open_error), std::string::npos) << error;
			continue;
		}
		ASSERT_TRUE(opened) << error;
		InputFrame got;
		if (!c.frame_error) {
			// The good frame, then the damaged one after it.
			ASSERT_EQ(p.next(got, error), InputPlayback::FRAME) << error;
			EXPECT_EQ(p.next(got, error), InputPlayback::BAD);
			EXPECT_NE(error.find("frame 1 at byte"), std::string::npos) << error;
			continue;
		}
		EXPECT_EQ(p.next(got, error), InputPlayback::BAD);
		EXPECT_NE(error.find(c.frame_error), std::string::npos) << error;
		EXPECT_NE(error.find("frame 0 at byte " + std::to_string(RECORDING_HEADER_SIZE)), std::string::npos) << error;
	}
}

TEST(InputRecording, MissingFileIsAClearError)
{
	std::string error;
	InputStart start;
	start.playback = true;
	start.file = "/nonexistent/zentrix/input.rec";
	EXPECT_FALSE(start_input(start, error));
	EXPECT_NE(error.find("Cannot open the input recording /nonexistent/zentrix/input.rec"), std::string::npos);
	start.playback = false;
	start.record = true;
	EXPECT_FALSE(start_input(start, error));
	EXPECT_NE(error.find("Cannot create the input recording"), std::string::npos);
	stop_input();
}

TEST_F(InputTest, VirtualButtonsFromOptionsPressedByTouches)
{
	IniFile ini;
	ini.parse("[IO_VIRTUAL_BUTTONS]\nNUM_BUTTONS=4\nTEXTURE=pad.png\n"
	          "[IO_BUTTON_0]\nX=0\nY=0\nW=10\nH=10\nKEY=VK_LEFT\n"
	          "[IO_BUTTON_1]\nX=20\nY=0\nW=10\nH=10\nKEY=jump\n"
	          "[IO_BUTTON_2]\nX=40\nY=0\nW=10\nH=10\nKEY=MB_LEFT\nBUTTON=MB_RIGHT\n"
	          "[IO_BUTTON_3]\nX=60\nY=0\nW=10\nH=10\nKEY=MB_MIDDLE\n");
	EXPECT_EQ(load_virtual_buttons(ini), 3); // a mouse button named as its key, and no button: inactive
	EXPECT_EQ(virtual_button_texture(), "pad.png");
	EXPECT_EQ(virtual_button(0).key, 37);
	EXPECT_EQ(virtual_button(1).key, 'J');
	EXPECT_EQ(virtual_button(2).key, -1);
	EXPECT_EQ(virtual_button(2).mouse_button, 2);
	auto step_with = [](auto touches) {
		touches();
		transfer_raw_input();
		update_virtual_buttons();
	};
	step_with([] {
		raw_touch(0, true, 5, 5);
		raw_touch(1, true, 45, 9);
		raw_touch(2, true, 10, 5); // the right edge is outside
	});
	EXPECT_TRUE(step().key_pressed[37] && step().key_down[37]);
	EXPECT_TRUE(step().button_pressed[1] && step().button_down[1]);
	EXPECT_FALSE(step().key_down[(int)'J']);
	step_with([] {});
	EXPECT_TRUE(step().key_down[37]);
	EXPECT_FALSE(step().key_pressed[37]);
	step_with([] { raw_touch(0, false, 5, 5); });
	EXPECT_FALSE(step().key_down[37]);
	EXPECT_TRUE(step().key_released[37]);
	EXPECT_TRUE(step().button_down[1]);
	clear_virtual_buttons();
}
