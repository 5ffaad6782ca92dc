// virtual_buttons.cpp: on-screen buttons read from options.ini, and their keys
// and mouse buttons set from the touch points of each step.
#include "input/virtual_buttons.h"

#include <cctype>
#include <cstdlib>

#include "code/constants.h"
#include "common/ini.h"
#include "input/input_state.h"

namespace {

VirtualButton g_buttons[VIRTUAL_BUTTONS];
std::string g_texture;

struct Touch
{
	bool down = false;
	int32_t x = 0, y = 0;
};
Touch g_touches[TOUCH_POINTS];

int32_t int_key(const IniFile &ini, const std::string &section, const char *key)
{
	std::optional<std::string> text = ini.get(section, key);
	return text ? (int32_t)std::strtol(text->c_str(), nullptr, 10) : 0;
}

std::string lower(std::string s)
{
	for (char &c : s)
		c = (char)std::tolower((unsigned char)c);
	return s;
}

// The value of a built-in constant named in any case ("VK_LEFT"), or -1.
int32_t constant_named(const std::string &name)
{
	int32_t index = find_constant(lower(name));
	return index < 0 ? -1 : (int32_t)constant_value(index).real();
}

// KEY: a "VK_" constant (its low 8 bits), or else (not "MB_") its first
// character; white space gives no key.
int32_t parse_key(const std::string &text)
{
	if (text.empty())
		return -1;
	if (text.rfind("VK_", 0) == 0) {
		int32_t v = constant_named(text);
		return v < 0 ? -1 : v & 0xFF;
	}
	if (text.rfind("MB_", 0) == 0 || std::isspace((unsigned char)text[0]))
		return -1;
	return std::toupper((unsigned char)text[0]);
}

void set_step_flag(uint8_t *down, uint8_t *pressed, uint8_t *released, int slot, bool was, bool now)
{
	if (now && !was)
		pressed[slot] = 1;
	if (now)
		down[slot] = 1;
	if (was && !now) {
		down[slot] = 0;
		released[slot] = 1;
	}
}

} // namespace

int load_virtual_buttons(const IniFile &ini)
{
	clear_virtual_buttons();
	int count = int_key(ini, "IO_VIRTUAL_BUTTONS", "NUM_BUTTONS");
	g_texture = ini.get("IO_VIRTUAL_BUTTONS", "TEXTURE").value_or("");
	int active = 0;
	for (int n = 0; n < count && n < VIRTUAL_BUTTONS; n++) {
		std::string section = "IO_BUTTON_" + std::to_string(n);
		VirtualButton &b = g_buttons[n];
		int32_t x = int_key(ini, section, "X"), y = int_key(ini, section, "Y");
		int32_t w = int_key(ini, section, "W"), h = int_key(ini, section, "H");
		b.left = x;
		b.top = y;
		b.right = (int32_t)((int64_t)x + w > INT32_MAX ? INT32_MAX : x + (int64_t)w);
		b.bottom = (int32_t)((int64_t)y + h > INT32_MAX ? INT32_MAX : y + (int64_t)h);
		b.u = int_key(ini, section, "U");
		b.v = int_key(ini, section, "V");
		b.key = parse_key(ini.get(section, "KEY").value_or(""));
		std::string button = ini.get(section, "BUTTON").value_or("");
		if (button.rfind("MB_", 0) == 0) {
			int32_t v = constant_named(button);
			b.mouse_button = v >= 1 && v <= MOUSE_BUTTONS ? v : 0;
		}
		b.active = b.key >= 0 || b.mouse_button > 0;
		active += b.active;
	}
	return active;
}

void clear_virtual_buttons()
{
	for (VirtualButton &b : g_buttons)
		b = VirtualButton{};
	for (Touch &t : g_touches)
		t = Touch{};
	g_texture.clear();
}

const VirtualButton &virtual_button(int index)
{
	static const VirtualButton none;
	return index >= 0 && index < VIRTUAL_BUTTONS ? g_buttons[index] : none;
}

const std::string &virtual_button_texture() { return g_texture; }

void raw_touch(int32_t slot, bool down, int32_t x, int32_t y)
{
	if (slot < 0 || slot >= TOUCH_POINTS)
		return;
	g_touches[slot] = Touch{down, x, y};
}

void update_virtual_buttons()
{
	InputFields &step = input_state().step;
	for (VirtualButton &b : g_buttons) {
		if (!b.active)
			continue;
		bool now = false;
		for (const Touch &t : g_touches)
			if (t.down && t.x >= b.left && t.x < b.right && t.y >= b.top && t.y < b.bottom)
				now = true;
		if (b.key >= 0)
			set_step_flag(step.key_down, step.key_pressed, step.key_released, b.key, b.on, now);
		else
			set_step_flag(step.button_down, step.button_pressed, step.button_released, b.mouse_button - 1, b.on,
			              now);
		b.on = now;
	}
}
