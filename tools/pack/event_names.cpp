// event_names.cpp: the table of readable event names: keys for the keyboard
// events, mouse and other event names, and the numbered forms.
#include "event_names.h"

#include <cstring>

namespace {

enum
{
	EV_CREATE = 0,
	EV_DESTROY = 1,
	EV_ALARM = 2,
	EV_STEP = 3,
	EV_COLLISION = 4,
	EV_KEYBOARD = 5,
	EV_MOUSE = 6,
	EV_OTHER = 7,
	EV_DRAW = 8,
	EV_KEYPRESS = 9,
	EV_KEYRELEASE = 10,
};

struct Named
{
	const char *name;
	int32_t number;
};

const Named keys[] = {
	{"none", 0},      {"any", 1},        {"backspace", 8}, {"tab", 9},        {"enter", 13},
	{"shift", 16},    {"control", 17},   {"alt", 18},      {"pause", 19},     {"escape", 27},
	{"space", 32},    {"pageup", 33},    {"pagedown", 34}, {"end", 35},       {"home", 36},
	{"left", 37},     {"up", 38},        {"right", 39},    {"down", 40},      {"printscreen", 44},
	{"insert", 45},   {"delete", 46},    {"multiply", 106}, {"add", 107},     {"subtract", 109},
	{"decimal", 110}, {"divide", 111},
};

const Named mouse[] = {
	{"left_button", 0},        {"right_button", 1},        {"middle_button", 2},
	{"no_button", 3},          {"left_pressed", 4},        {"right_pressed", 5},
	{"middle_pressed", 6},     {"left_released", 7},       {"right_released", 8},
	{"middle_released", 9},    {"enter", 10},              {"leave", 11},
	{"global_pressed", 12},    {"global_released", 13},    {"global_left_button", 50},
	{"global_right_button", 51}, {"global_middle_button", 52}, {"global_left_pressed", 53},
	{"global_right_pressed", 54}, {"global_middle_pressed", 55}, {"global_left_released", 56},
	{"global_right_released", 57}, {"global_middle_released", 58}, {"wheel_up", 60},
	{"wheel_down", 61},
};

const Named other[] = {
	{"outside", 0},        {"boundary", 1},       {"game_start", 2},   {"game_end", 3},
	{"room_start", 4},     {"room_end", 5},       {"no_more_lives", 6}, {"animation_end", 7},
	{"end_of_path", 8},    {"no_more_health", 9}, {"close_button", 30}, {"image_loaded", 60},
	{"sound_loaded", 61},
};

bool starts(const std::string &s, const char *prefix, std::string &rest)
{
	size_t n = strlen(prefix);
	if (s.compare(0, n, prefix) != 0)
		return false;
	rest = s.substr(n);
	return true;
}

// A whole decimal number within [low, high], else -1.
int32_t number_in(const std::string &s, int32_t low, int32_t high)
{
	if (s.empty() || s.size() > 6 || s.find_first_not_of("0123456789") != std::string::npos)
		return -1;
	int32_t v = std::stoi(s);
	return v >= low && v <= high ? v : -1;
}

template <size_t N>
int32_t lookup(const Named (&table)[N], const std::string &name)
{
	for (const Named &n : table)
		if (name == n.name)
			return n.number;
	return -1;
}

int32_t key_code(const std::string &k)
{
	if (k.size() == 1 && isalpha((unsigned char)k[0]))
		return toupper((unsigned char)k[0]);
	if (k.size() == 1 && isdigit((unsigned char)k[0]))
		return k[0];
	std::string rest;
	if (starts(k, "numpad", rest) && number_in(rest, 0, 9) >= 0)
		return 96 + number_in(rest, 0, 9);
	if (k.size() >= 2 && k[0] == 'f' && number_in(k.substr(1), 1, 12) >= 0)
		return 111 + number_in(k.substr(1), 1, 12);
	int32_t named = lookup(keys, k);
	if (named >= 0)
		return named;
	return number_in(k, 0, 255);
}

int32_t other_number(const std::string &o)
{
	std::string rest;
	if (starts(o, "user", rest) && number_in(rest, 0, 15) >= 0)
		return 10 + number_in(rest, 0, 15);
	if (starts(o, "outside_view", rest) && number_in(rest, 0, 7) >= 0)
		return 40 + number_in(rest, 0, 7);
	if (starts(o, "boundary_view", rest) && number_in(rest, 0, 7) >= 0)
		return 50 + number_in(rest, 0, 7);
	int32_t named = lookup(other, o);
	return named >= 0 ? named : number_in(o, 0, 255);
}

} // namespace

EventId parse_event_name(const std::string &name, const std::function<int32_t(const std::string &)> &find_object,
                         std::string &error)
{
	static const Named plain[] = {{"create", EV_CREATE}, {"destroy", EV_DESTROY}, {"draw", EV_DRAW}};
	for (const Named &n : plain)
		if (name == n.name)
			return {n.number, 0};
	if (name == "step")
		return {EV_STEP, 0};
	if (name == "step_begin")
		return {EV_STEP, 1};
	if (name == "step_end")
		return {EV_STEP, 2};
	std::string rest;
	if (starts(name, "alarm", rest)) {
		int32_t n = number_in(rest, 0, 11);
		if (n >= 0)
			return {EV_ALARM, n};
		error = "alarms are alarm0 to alarm11";
		return {};
	}
	if (starts(name, "collision_", rest) || starts(name, "collision:", rest)) {
		int32_t obj = find_object(rest);
		if (obj >= 0)
			return {EV_COLLISION, obj};
		error = "collision with unknown object \"" + rest + "\"";
		return {};
	}
	static const struct
	{
		const char *prefix;
		int32_t type;
	} keyed[] = {{"keyboard_", EV_KEYBOARD}, {"keypress_", EV_KEYPRESS}, {"keyrelease_", EV_KEYRELEASE}};
	for (const auto &k : keyed)
		if (starts(name, k.prefix, rest)) {
			int32_t code = key_code(rest);
			if (code >= 0)
				return {k.type, code};
			error = "unknown key \"" + rest + "\" (keys: left, space, a, 7, f1, numpad0, enter, any, ... or a "
			                                  "key code)";
			return {};
		}
	if (starts(name, "mouse_", rest)) {
		int32_t n = lookup(mouse, rest);
		if (n < 0)
			n = number_in(rest, 0, 255);
		if (n >= 0)
			return {EV_MOUSE, n};
		error = "unknown mouse event \"" + rest + "\"";
		return {};
	}
	if (starts(name, "user", rest) && number_in(rest, 0, 15) >= 0)
		return {EV_OTHER, 10 + number_in(rest, 0, 15)};
	if (starts(name, "other_", rest)) {
		int32_t n = other_number(rest);
		if (n >= 0)
			return {EV_OTHER, n};
		error = "unknown other event \"" + rest + "\"";
		return {};
	}
	error = "unknown event \"" + name +
	        "\" (events: create, destroy, step, step_begin, step_end, alarm0..alarm11, draw, collision_<object>, "
	        "keyboard_<key>, keypress_<key>, keyrelease_<key>, mouse_<event>, other_<event>, user0..user15)";
	return {};
}
