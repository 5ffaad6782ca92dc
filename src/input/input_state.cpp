// input_state.cpp: the raw copy fed by window input, its transfer into the step
// state, the key map and keyboard_string.
#include "input/input_state.h"

#include <cstring>

namespace {

InputState g_state = [] {
	InputState s;
	for (int i = 0; i < KEY_COUNT; i++)
		s.key_map[i] = (uint8_t)i;
	return s;
}();

// Button b (1..3) of device 0.
int button_slot(int32_t button) { return button - 1; }

void clear_fields(InputFields &f)
{
	std::memset(f.key_down, 0, sizeof f.key_down);
	std::memset(f.key_pressed, 0, sizeof f.key_pressed);
	std::memset(f.key_released, 0, sizeof f.key_released);
	f.key = f.last_key = 0;
	f.last_char = 0;
	f.string.clear();
	std::memset(f.button_down, 0, sizeof f.button_down);
	std::memset(f.button_pressed, 0, sizeof f.button_pressed);
	std::memset(f.button_released, 0, sizeof f.button_released);
	std::memset(f.button, 0, sizeof f.button);
	std::memset(f.last_button, 0, sizeof f.last_button);
	std::memset(f.wheel_up, 0, sizeof f.wheel_up);
	std::memset(f.wheel_down, 0, sizeof f.wheel_down);
}

void append_utf8(std::string &out, uint32_t c)
{
	if (c < 0x80) {
		out += (char)c;
	} else if (c < 0x800) {
		out += (char)(0xC0 | (c >> 6));
		out += (char)(0x80 | (c & 0x3F));
	} else {
		out += (char)(0xE0 | (c >> 12));
		out += (char)(0x80 | ((c >> 6) & 0x3F));
		out += (char)(0x80 | (c & 0x3F));
	}
}

} // namespace

InputState &input_state() { return g_state; }

void raw_key_down(int32_t vk)
{
	int32_t k = key_map(vk);
	if (k < 0 || k >= KEY_COUNT)
		return;
	InputFields &raw = g_state.raw;
	raw.last_key = k;
	raw.key = k;
	if (!raw.key_down[k])
		raw.key_pressed[k] = 1;
	raw.key_down[k] = 1;
}

void raw_key_up(int32_t vk)
{
	int32_t k = key_map(vk);
	if (k < 0 || k >= KEY_COUNT)
		return;
	InputFields &raw = g_state.raw;
	if (raw.key == k)
		raw.key = 0;
	raw.key_down[k] = 0;
	raw.key_pressed[k] = 0;
	raw.key_released[k] = 1;
}

// Characters outside 16 bits cannot be held by the string and are dropped.
void raw_character(uint32_t code)
{
	if (code > 0xFFFF)
		return;
	InputFields &raw = g_state.raw;
	raw.last_char = (uint16_t)code;
	std::u16string &s = raw.string;
	if (s.size() >= KEYBOARD_STRING_MAX - 1) {
		char16_t last = s.back();
		s.assign(1, last);
	}
	if (code == KEY_BACKSPACE) {
		if (!s.empty())
			s.pop_back();
	} else if (code >= 32) {
		s += (char16_t)code;
	}
}

void raw_mouse_move(int32_t window_x, int32_t window_y, int32_t screen_x, int32_t screen_y)
{
	InputFields &raw = g_state.raw;
	raw.window_x = window_x;
	raw.window_y = window_y;
	raw.screen_x = screen_x;
	raw.screen_y = screen_y;
}

void raw_button_down(int32_t button)
{
	if (button < 1 || button > MOUSE_BUTTONS)
		return;
	InputFields &raw = g_state.raw;
	raw.last_button[0] = button;
	raw.button[0] = button;
	int slot = button_slot(button);
	if (!raw.button_down[slot])
		raw.button_pressed[slot] = 1;
	raw.button_down[slot] = 1;
}

void raw_button_up(int32_t button)
{
	if (button < 1 || button > MOUSE_BUTTONS)
		return;
	InputFields &raw = g_state.raw;
	// Another button still held stays the current one.
	if (raw.button[0] == button)
		raw.button[0] = 0;
	int slot = button_slot(button);
	raw.button_down[slot] = 0;
	raw.button_pressed[slot] = 0;
	raw.button_released[slot] = 1;
}

void raw_wheel(int32_t turn)
{
	if (turn > 0)
		g_state.raw.wheel_up[0] = 1;
	else if (turn < 0)
		g_state.raw.wheel_down[0] = 1;
}

void set_joystick(int32_t index, const JoystickState &state)
{
	if (index >= 0 && index < JOYSTICKS)
		g_state.joystick[index] = state;
}

void transfer_raw_input()
{
	g_state.steps++;
	InputFields &raw = g_state.raw;
	InputFields &step = g_state.step;
	std::memset(step.key_pressed, 0, sizeof step.key_pressed);
	std::memset(step.key_released, 0, sizeof step.key_released);
	std::memset(step.button_pressed, 0, sizeof step.button_pressed);
	std::memset(step.button_released, 0, sizeof step.button_released);
	std::memset(step.wheel_up, 0, sizeof step.wheel_up);
	std::memset(step.wheel_down, 0, sizeof step.wheel_down);

	step.string = raw.string;
	step.last_char = raw.last_char;
	step.window_x = raw.window_x;
	step.window_y = raw.window_y;
	step.screen_x = raw.screen_x;
	step.screen_y = raw.screen_y;
	std::memcpy(step.key_down, raw.key_down, sizeof step.key_down);
	step.key = raw.key;
	step.last_key = raw.last_key;
	step.button[0] = raw.button[0];
	step.last_button[0] = raw.last_button[0];
	std::memcpy(step.button_down, raw.button_down, MOUSE_BUTTONS);
	for (int k = 0; k < KEY_COUNT; k++) {
		step.key_pressed[k] |= raw.key_pressed[k];
		step.key_released[k] |= raw.key_released[k];
	}
	for (int b = 0; b < MOUSE_BUTTONS; b++) {
		step.button_pressed[b] |= raw.button_pressed[b];
		step.button_released[b] |= raw.button_released[b];
	}
	step.wheel_up[0] = raw.wheel_up[0];
	step.wheel_down[0] = raw.wheel_down[0];

	std::memset(raw.key_pressed, 0, sizeof raw.key_pressed);
	std::memset(raw.key_released, 0, sizeof raw.key_released);
	std::memset(raw.button_pressed, 0, sizeof raw.button_pressed);
	std::memset(raw.button_released, 0, sizeof raw.button_released);
	raw.wheel_up[0] = raw.wheel_down[0] = 0;
}

void clear_input()
{
	clear_fields(g_state.raw);
	clear_fields(g_state.step);
}

void reset_input()
{
	clear_input();
	reset_key_map();
	for (JoystickState &j : g_state.joystick)
		j = JoystickState{};
	g_state.steps = 0;
	g_state.mouse_x = g_state.mouse_y = 0;
	g_state.previous_mouse_x = g_state.previous_mouse_y = 0;
	g_state.raw.window_x = g_state.raw.window_y = g_state.raw.screen_x = g_state.raw.screen_y = 0;
	g_state.step.window_x = g_state.step.window_y = g_state.step.screen_x = g_state.step.screen_y = 0;
}

void set_key_map(int32_t from, int32_t to)
{
	if (from < 0 || from >= KEY_COUNT)
		return;
	// A target outside the key range makes the key unusable, as a mapped code
	// above 255 is dropped.
	g_state.key_map[from] = to >= 0 && to < KEY_COUNT ? (uint8_t)to : 0;
}

int32_t key_map(int32_t from)
{
	if (from < 0 || from >= KEY_COUNT)
		return -1;
	return g_state.key_map[from];
}

void reset_key_map()
{
	for (int i = 0; i < KEY_COUNT; i++)
		g_state.key_map[i] = (uint8_t)i;
}

std::string keyboard_string_utf8(const InputFields &fields)
{
	std::string out;
	out.reserve(fields.string.size());
	for (char16_t c : fields.string)
		append_utf8(out, (uint32_t)c);
	return out;
}

// Decodes UTF-8 leniently (a bad byte becomes itself as a character) and keeps
// the first KEYBOARD_STRING_MAX characters of the 16-bit range.
void set_keyboard_string(const std::string &utf8)
{
	std::u16string s;
	size_t i = 0;
	while (i < utf8.size() && s.size() < KEYBOARD_STRING_MAX) {
		uint8_t b = (uint8_t)utf8[i];
		uint32_t c = b;
		size_t n = 1;
		if (b >= 0xE0 && b < 0xF0 && i + 2 < utf8.size()) {
			c = ((b & 0x0Fu) << 12) | (((uint8_t)utf8[i + 1] & 0x3Fu) << 6) | ((uint8_t)utf8[i + 2] & 0x3Fu);
			n = 3;
		} else if (b >= 0xC0 && b < 0xE0 && i + 1 < utf8.size()) {
			c = ((b & 0x1Fu) << 6) | ((uint8_t)utf8[i + 1] & 0x3Fu);
			n = 2;
		} else if (b >= 0xF0) {
			n = std::min<size_t>(4, utf8.size() - i);
			c = 0xFFFD;
		}
		s += (char16_t)c;
		i += n;
	}
	g_state.raw.string = s;
	g_state.step.string = s;
}

bool key_check(const uint8_t (&flags)[KEY_COUNT], int32_t key)
{
	if (key == 0 || key == 1) {
		bool any = false;
		for (int k = 2; k < KEY_COUNT && !any; k++)
			any = flags[k] != 0;
		return key == 1 ? any : !any;
	}
	return key >= 0 && key < KEY_COUNT && flags[key] != 0;
}

bool button_check(const uint8_t *flags, int32_t device, int32_t button)
{
	if (device < 0 || device >= MOUSE_DEVICES)
		return false;
	const uint8_t *d = flags + device * MOUSE_BUTTONS;
	bool any = d[0] || d[1] || d[2];
	if (button == -1)
		return any;
	if (button == 0)
		return !any;
	return button >= 1 && button <= MOUSE_BUTTONS && d[button - 1] != 0;
}
