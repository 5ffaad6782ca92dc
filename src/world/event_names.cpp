// event_names.cpp: the names of events, used in the names of compiled code
// pieces and in the context of error reports.
#include "world/object.h"

#include <cstdio>

namespace {

const char *const mouse_names_low[] = {"Left Button", "Right Button", "Middle Button", "No Button",
                                       "Left Pressed", "Right Pressed", "Middle Pressed", "Left Released",
                                       "Right Released", "Middle Released", "Mouse Enter", "Mouse Leave"};
const char *const joystick_directions[] = {"Left", "Right", "Up", "Down"};
const char *const global_mouse_names[] = {"Glob Left Button",    "Glob Right Button",    "Glob Middle Button",
                                          "Glob Left Pressed",   "Glob Right Pressed",   "Glob Middle Pressed",
                                          "Glob Left Released",  "Glob Right Released",  "Glob Middle Released"};
const char *const other_names_low[] = {"Outside Room", "Intersect Boundary", "Game Start",    "Game End",
                                       "Room Start",   "Room End",           "No More Lives", "Animation End",
                                       "End Of Path",  "No More Health"};

std::string format(const char *pattern, int value)
{
	char buffer[64];
	snprintf(buffer, sizeof buffer, pattern, value);
	return buffer;
}

std::string mouse_name(int32_t n)
{
	if (n >= 0 && n <= 11)
		return mouse_names_low[n];
	for (int stick = 1; stick <= 2; stick++) {
		int32_t base = stick == 1 ? 16 : 31;
		std::string prefix = "Joystick " + std::to_string(stick) + " ";
		if (n >= base && n < base + 4)
			return prefix + joystick_directions[n - base];
		if (n >= base + 5 && n <= base + 12)
			return prefix + "Button " + std::to_string(n - base - 4);
	}
	if (n >= 50 && n <= 58)
		return global_mouse_names[n - 50];
	if (n == 60)
		return "Mouse Wheel Up";
	if (n == 61)
		return "Mouse Wheel Down";
	return "<unknown>";
}

std::string other_name(int32_t n)
{
	if (n >= 0 && n <= 9)
		return other_names_low[n];
	if (n >= 10 && n <= 25)
		return format("User Defined %d", n - 10);
	if (n == 30)
		return "Close Button";
	if (n >= 40 && n <= 47)
		return format("Outside View %d", n - 40);
	if (n >= 50 && n <= 57)
		return format("Boundary View %d", n - 50);
	return "<unknown>";
}

std::string web_name(int32_t n)
{
	return n == 60 ? "Image Loaded" : n == 61 ? "Sound Loaded" : "<unknown>";
}

} // namespace

std::string key_name(int32_t key)
{
	switch (key) {
	case 0: return "<no key>";
	case 1: return "<any key>";
	case 8: return "<Backspace>";
	case 9: return "<Tab>";
	case 13: return "<Enter>";
	case 16: return "<Shift>";
	case 17: return "<Ctrl>";
	case 18: return "<Alt>";
	case 27: return "<Escape>";
	case 32: return "<Space>";
	case 33: return "<Page Up>";
	case 34: return "<Page Down>";
	case 35: return "<End>";
	case 36: return "<Home>";
	case 37: return "<Left>";
	case 38: return "<Up>";
	case 39: return "<Right>";
	case 40: return "<Down>";
	case 45: return "<Insert>";
	case 46: return "<Delete>";
	case 106: return "Keypad *";
	case 107: return "Keypad +";
	case 109: return "Keypad -";
	case 110: return "Keypad .";
	case 111: return "Keypad /";
	default: break;
	}
	if ((key >= 48 && key <= 57) || (key >= 65 && key <= 90))
		return std::string(1, (char)key) + "-key";
	if (key >= 96 && key <= 105)
		return format("Keypad-%d", key - 96);
	if (key >= 112 && key <= 123)
		return format("F%d", key - 111);
	return "<unknown>";
}

std::string event_name(int32_t type, int32_t number)
{
	switch (type) {
	case EV_CREATE: return "Create";
	case EV_DESTROY: return "Destroy";
	case EV_ALARM: return format("Alarm %d", number);
	case EV_STEP: return std::string(number == 1 ? "Begin" : number == 2 ? "End" : "") + "Step";
	case EV_COLLISION: return object_table().name(number);
	case EV_KEYBOARD: return key_name(number);
	case EV_MOUSE: return mouse_name(number);
	case EV_OTHER: return number >= 60 ? web_name(number) : other_name(number);
	case EV_DRAW: return "Draw";
	case EV_KEYPRESS: return "press " + key_name(number);
	case EV_KEYRELEASE: return "release " + key_name(number);
	default: return "<Unknown Event>";
	}
}

std::string event_display_name(int32_t type, int32_t number)
{
	std::string text;
	switch (type) {
	case EV_CREATE: text = "Create Event"; break;
	case EV_DESTROY: text = "Destroy Event"; break;
	case EV_ALARM: text = format("Alarm Event for alarm %d", number); break;
	case EV_STEP: text = format(" Step Event%d", number); break;
	case EV_COLLISION: text = " Step Event" + object_table().name(number); break;
	case EV_KEYBOARD: text = "Keyboard Event for " + key_name(number) + " Key"; break;
	case EV_MOUSE: text = "Mouse Event for " + mouse_name(number); break;
	case EV_OTHER:
		text = number >= 60 ? "Web Event: " + web_name(number) : "Other Event: " + other_name(number);
		break;
	case EV_DRAW: text = "Draw Event"; break;
	case EV_KEYPRESS: text = "Key Press Event for " + key_name(number) + " Key"; break;
	case EV_KEYRELEASE: text = "Key Release Event for " + key_name(number) + " Key"; break;
	default: text = "<Unknown Event>"; break;
	}
	// The report formats it into a 512-byte buffer.
	if (text.size() > 511)
		text.resize(511);
	return text;
}
