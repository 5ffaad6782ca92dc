// input_events.cpp: the keyboard, joystick and mouse event passes of the step,
// and the mouse position in room coordinates through the room's views.
#include "input/input.h"

#include <cmath>

#include "graphics/room_draw.h"
#include "run/rooms.h"
#include "run/run_state.h"
#include "world/collision.h"
#include "world/events.h"
#include "world/instances.h"
#include "world/motion.h"
#include "world/object.h"

namespace {

constexpr int32_t MOUSE_NO_BUTTON = 3, MOUSE_ENTER = 10, MOUSE_LEAVE = 11;
constexpr int32_t GLOBAL_PRESS = 12, GLOBAL_RELEASE = 13;
constexpr int32_t WHEEL_UP = 60, WHEEL_DOWN = 61;
constexpr int32_t JOYSTICK_LOW = 20000, JOYSTICK_HIGH = 44000;

// Whether the instance's shape holds the point: the precise point test, so a
// click on a transparent corner of a precise sprite misses it.
bool holds_point(CInstance &i, float x, float y) { return point_hits(i, x, y, true); }

// A mouse event for the instances of the objects that have it and pass the test.
void instance_pass(int32_t number, const std::function<bool(CInstance &)> &test)
{
	perform_dispatch_pass(EV_MOUSE, number, test);
}

void on_instance_pass(int32_t number)
{
	const InputState &s = input_state();
	instance_pass(number, [&](CInstance &i) { return holds_point(i, s.mouse_x, s.mouse_y); });
}

void global_pass(int32_t number) { perform_dispatch_pass(EV_MOUSE, number); }

void joystick_pass(const JoystickState &j, int32_t left, int32_t first_button)
{
	if (!j.present)
		return;
	if (j.axis[0] < JOYSTICK_LOW)
		global_pass(left);
	if (j.axis[0] > JOYSTICK_HIGH)
		global_pass(left + 1);
	if (j.axis[1] < JOYSTICK_LOW)
		global_pass(left + 2);
	if (j.axis[1] > JOYSTICK_HIGH)
		global_pass(left + 3);
	for (int k = 1; k <= 8; k++)
		if (j.buttons & (1u << (k - 1)))
			global_pass(first_button + k);
}

} // namespace

void keyboard_events()
{
	const InputFields &s = input_state().step;
	bool any_key = false, any_press = false, any_release = false;
	for (int k = 8; k < KEY_COUNT; k++) {
		if (s.key_down[k] || s.key_released[k]) {
			perform_dispatch_pass(EV_KEYBOARD, k);
			any_key = true;
		}
		if (s.key_pressed[k]) {
			perform_dispatch_pass(EV_KEYPRESS, k);
			any_press = true;
		}
		if (s.key_released[k]) {
			perform_dispatch_pass(EV_KEYRELEASE, k);
			any_release = true;
		}
	}
	perform_dispatch_pass(EV_KEYBOARD, any_key ? 1 : 0);
	perform_dispatch_pass(EV_KEYPRESS, any_press ? 1 : 0);
	perform_dispatch_pass(EV_KEYRELEASE, any_release ? 1 : 0);
}

void joystick_events()
{
	const InputState &s = input_state();
	joystick_pass(s.joystick[0], 16, 20);
	joystick_pass(s.joystick[1], 31, 35);
}

// A rotated view turns the point about the view's centre exactly as its
// drawing turns the room, so the mouse lands on what is drawn under it.
void port_to_room(const RoomView &v, double px, double py, float &x, float &y)
{
	double wport = v.wport > 0 ? v.wport : 1.0, hport = v.hport > 0 ? v.hport : 1.0;
	if (v.angle == 0) {
		x = (float)(v.xview + (px - v.xport) * v.wview / wport);
		y = (float)(v.yview + (py - v.yport) * v.hview / hport);
		return;
	}
	// The offset from the port's centre in view units; the screen's right and
	// down are the room directions (cos a, -sin a) and (sin a, cos a) with a
	// the negated angle, as the view's camera is set up.
	double right = (px - v.xport - wport / 2) * v.wview / wport;
	double down = (py - v.yport - hport / 2) * v.hview / hport;
	double a = -(double)v.angle * ANGLE_FACTOR, c = std::cos(a), s = std::sin(a);
	x = (float)(v.xview + v.wview / 2.0 + right * c + down * s);
	y = (float)(v.yview + v.hview / 2.0 - right * s + down * c);
}

// With views, the first visible view whose port holds the point maps it (the
// first visible view when none does); without views the screen is the room.
// Ports lie on the screen by the port scale of the draw pass.
void screen_to_room(const CRoom &room, int32_t sx, int32_t sy, float &x, float &y)
{
	x = (float)sx;
	y = (float)sy;
	if (!room.record.views_enabled)
		return;
	float scale_x, scale_y;
	port_scale(scale_x, scale_y);
	double px = scale_x > 0 ? sx / (double)scale_x : sx, py = scale_y > 0 ? sy / (double)scale_y : sy;
	const RoomView *chosen = nullptr;
	for (const RoomView &v : room.record.views) {
		if (!v.visible)
			continue;
		if (!chosen)
			chosen = &v;
		if (px >= v.xport && px < (double)v.xport + v.wport && py >= v.yport && py < (double)v.yport + v.hport) {
			chosen = &v;
			break;
		}
	}
	if (chosen)
		port_to_room(*chosen, px, py, x, y);
}

void mouse_events(CRoom &room)
{
	InputState &s = input_state();
	s.previous_mouse_x = s.mouse_x;
	s.previous_mouse_y = s.mouse_y;
	screen_to_room(room, s.step.screen_x, s.step.screen_y, s.mouse_x, s.mouse_y);

	const InputFields &f = s.step;
	bool any = false;
	for (int b = 1; b <= MOUSE_BUTTONS; b++)
		if (f.button_down[b - 1] || f.button_pressed[b - 1]) {
			on_instance_pass(b - 1);
			global_pass(49 + b);
			any = true;
		}
	if (!any)
		on_instance_pass(MOUSE_NO_BUTTON);
	for (int b = 1; b <= MOUSE_BUTTONS; b++)
		if (f.button_pressed[b - 1]) {
			on_instance_pass(b + 3);
			global_pass(GLOBAL_PRESS);
			global_pass(52 + b);
		}
	for (int b = 1; b <= MOUSE_BUTTONS; b++)
		if (f.button_released[b - 1]) {
			on_instance_pass(b + 6);
			global_pass(GLOBAL_RELEASE);
			global_pass(55 + b);
		}
	float px = s.previous_mouse_x, py = s.previous_mouse_y, cx = s.mouse_x, cy = s.mouse_y;
	instance_pass(MOUSE_ENTER, [&](CInstance &i) { return holds_point(i, cx, cy) && !holds_point(i, px, py); });
	instance_pass(MOUSE_LEAVE, [&](CInstance &i) { return holds_point(i, px, py) && !holds_point(i, cx, cy); });
	if (f.wheel_up[0])
		global_pass(WHEEL_UP);
	if (f.wheel_down[0])
		global_pass(WHEEL_DOWN);
}
