// fn_input.cpp: the keyboard_, mouse_, joystick_, device_ and io_ built-in
// functions, window_mouse_get_x/y, and the keyboard and mouse variable rows.
#include <cmath>

#include "code/builtin_args.h"
#include "code/builtin_variables.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/variables.h"
#include "input/input.h"
#include "platform/input.h"
#include "platform/window.h"

namespace {

InputState &S() { return input_state(); }
InputFields &step() { return input_state().step; }

int32_t arg_int(int argc, const Value *args, int i) { return (int32_t)arg_index(argc, args, i); }
void put_bool(Value &result, bool b) { result.set_real(b ? 1.0 : 0.0); }

// ---- keyboard_ ----
void fn_keyboard_check(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, key_check(step().key_down, arg_int(argc, args, 0)));
}

void fn_keyboard_check_pressed(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, key_check(step().key_pressed, arg_int(argc, args, 0)));
}

void fn_keyboard_check_released(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, key_check(step().key_released, arg_int(argc, args, 0)));
}

// The keyboard as it is: the step's keys, the left and right variants of
// shift, control and alt answering for their common key.
void fn_keyboard_check_direct(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	int32_t key = arg_int(argc, args, 0);
	if (key >= 160 && key <= 165)
		key = 16 + (key - 160) / 2;
	put_bool(r, key_check(step().key_down, key));
}

void fn_keyboard_clear(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	int32_t key = arg_int(argc, args, 0);
	if (key < 0 || key >= KEY_COUNT)
		return;
	for (InputFields *f : {&S().raw, &S().step}) {
		f->key_down[key] = f->key_pressed[key] = f->key_released[key] = 0;
		if (f->key == key)
			f->key = 0;
	}
}

// Simulated keys go through the window's path, so the next step sees them.
void fn_keyboard_key_press(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	raw_key_down(arg_int(argc, args, 0));
}

void fn_keyboard_key_release(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	raw_key_up(arg_int(argc, args, 0));
}

void fn_keyboard_set_map(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	set_key_map(arg_int(argc, args, 0), arg_int(argc, args, 1));
}

void fn_keyboard_get_map(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	int32_t key = arg_int(argc, args, 0);
	r.set_real(key >= 0 && key < KEY_COUNT ? key_map(key) : key);
}

void fn_keyboard_unset_map(Value &, CInstance *, CInstance *, int, const Value *) { reset_key_map(); }

bool g_numlock = true;
void fn_keyboard_set_numlock(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	g_numlock = arg_real(argc, args, 0) >= 0.5;
}
void fn_keyboard_get_numlock(Value &r, CInstance *, CInstance *, int, const Value *) { put_bool(r, g_numlock); }

// ---- mouse_ and device_mouse_ ----
int32_t device_of(int argc, const Value *args) { return arg_int(argc, args, 0); }

void fn_mouse_check_button(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, button_check(step().button_down, 0, arg_int(argc, args, 0)));
}

void fn_mouse_check_button_pressed(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, button_check(step().button_pressed, 0, arg_int(argc, args, 0)));
}

void fn_mouse_check_button_released(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, button_check(step().button_released, 0, arg_int(argc, args, 0)));
}

void clear_button(InputFields &f, int32_t button)
{
	for (int b = 1; b <= MOUSE_BUTTONS; b++)
		if (button == -1 || button == b)
			f.button_down[b - 1] = f.button_pressed[b - 1] = f.button_released[b - 1] = 0;
	if (button == -1 || f.button[0] == button)
		f.button[0] = 0;
}

void fn_mouse_clear(Value &, CInstance *, CInstance *, int argc, const Value *args)
{
	int32_t button = arg_int(argc, args, 0);
	clear_button(S().raw, button);
	clear_button(S().step, button);
}

void fn_mouse_wheel_up(Value &r, CInstance *, CInstance *, int, const Value *) { put_bool(r, step().wheel_up[0]); }
void fn_mouse_wheel_down(Value &r, CInstance *, CInstance *, int, const Value *) { put_bool(r, step().wheel_down[0]); }

void fn_device_mouse_check_button(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, button_check(step().button_down, device_of(argc, args), arg_int(argc, args, 1)));
}

void fn_device_mouse_check_button_pressed(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, button_check(step().button_pressed, device_of(argc, args), arg_int(argc, args, 1)));
}

void fn_device_mouse_check_button_released(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, button_check(step().button_released, device_of(argc, args), arg_int(argc, args, 1)));
}

// Only device 0 (the window's mouse) has a position.
void fn_device_mouse_x(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	r.set_real(device_of(argc, args) == 0 ? S().mouse_x : 0.0);
}
void fn_device_mouse_y(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	r.set_real(device_of(argc, args) == 0 ? S().mouse_y : 0.0);
}
void fn_device_mouse_raw_x(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	r.set_real(device_of(argc, args) == 0 ? step().window_x : 0);
}
void fn_device_mouse_raw_y(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	r.set_real(device_of(argc, args) == 0 ? step().window_y : 0);
}
// No on-screen keypad and no tilt sensor on this platform.
void fn_zero(Value &r, CInstance *, CInstance *, int, const Value *) { r.set_real(0); }

void fn_window_mouse_get_x(Value &r, CInstance *, CInstance *, int, const Value *) { r.set_real(step().window_x); }
void fn_window_mouse_get_y(Value &r, CInstance *, CInstance *, int, const Value *) { r.set_real(step().window_y); }

// ---- io_ ----
void fn_io_clear(Value &, CInstance *, CInstance *, int, const Value *) { clear_input(); }

// Takes the window's waiting input into the state at once; a recorded or
// played-back run only takes input at the step, so that it repeats.
void fn_io_handle(Value &, CInstance *, CInstance *, int, const Value *)
{
	if (input_playing_back() || input_recording())
		return;
	// A quit request seen here is posted again for the game loop.
	if (!platform::pump_events())
		platform::post_quit();
	transfer_raw_input();
}

// ---- joystick_ (ids 1 and 2) ----
const JoystickState *joystick(int argc, const Value *args)
{
	int32_t id = arg_int(argc, args, 0);
	if (id < 1 || id > JOYSTICKS || !S().joystick[id - 1].present)
		return nullptr;
	return &S().joystick[id - 1];
}

void fn_joystick_exists(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, joystick(argc, args) != nullptr);
}

// The device's description is read live; a played-back run names no device.
platform::JoystickReading describe(int argc, const Value *args)
{
	if (!joystick(argc, args) || input_playing_back())
		return {};
	return platform::read_joystick(arg_int(argc, args, 0) - 1);
}

void fn_joystick_name(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	r.set_string(describe(argc, args).name);
}
void fn_joystick_axes(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	r.set_real(describe(argc, args).axes);
}
void fn_joystick_buttons(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	r.set_real(describe(argc, args).buttons_count);
}
void fn_joystick_has_pov(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	put_bool(r, describe(argc, args).has_pov);
}

// The direction as the numeric keypad's key: 97..105, 101 at rest.
void fn_joystick_direction(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	const JoystickState *j = joystick(argc, args);
	if (!j) {
		r.set_real(101);
		return;
	}
	int column = j->axis[0] < 20000 ? 0 : j->axis[0] > 44000 ? 2 : 1;
	int row = j->axis[1] < 20000 ? 2 : j->axis[1] > 44000 ? 0 : 1;
	r.set_real(97 + row * 3 + column);
}

void fn_joystick_check_button(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	const JoystickState *j = joystick(argc, args);
	int32_t b = arg_int(argc, args, 1);
	put_bool(r, j && b >= 1 && b <= JOYSTICK_BUTTONS && (j->buttons & (1u << (b - 1))));
}

// Axis positions from -1 to 1.
template <int Axis>
void fn_joystick_pos(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	const JoystickState *j = joystick(argc, args);
	r.set_real(j ? ((double)j->axis[Axis] - 32768.0) / 32768.0 : 0.0);
}

void fn_joystick_pov(Value &r, CInstance *, CInstance *, int argc, const Value *args)
{
	const JoystickState *j = joystick(argc, args);
	r.set_real(j ? j->pov : -1);
}

// ---- Variable rows ----
bool put(Value &out, double v)
{
	out.set_real(v);
	return true;
}

bool get_mouse_x(CInstance *, int32_t, Value &out) { return put(out, S().mouse_x); }
bool get_mouse_y(CInstance *, int32_t, Value &out) { return put(out, S().mouse_y); }

// Writes reach both copies, so that the next step keeps them.
template <int32_t InputFields::*Field>
bool get_field(CInstance *, int32_t, Value &out)
{
	return put(out, S().step.*Field);
}

template <int32_t InputFields::*Field>
bool set_field(CInstance *, int32_t, const Value &v)
{
	int32_t n = nearest_int32(v.real());
	S().raw.*Field = n;
	S().step.*Field = n;
	return true;
}

template <int Kind>
bool get_button(CInstance *, int32_t, Value &out)
{
	return put(out, Kind == 0 ? S().step.button[0] : S().step.last_button[0]);
}

template <int Kind>
bool set_button(CInstance *, int32_t, const Value &v)
{
	int32_t n = nearest_int32(v.real());
	for (InputFields *f : {&S().raw, &S().step})
		(Kind == 0 ? f->button[0] : f->last_button[0]) = n;
	return true;
}

// keyboard_lastchar reads as the one-character text typed last.
bool get_lastchar(CInstance *, int32_t, Value &out)
{
	InputFields f;
	if (S().step.last_char)
		f.string.assign(1, (char16_t)S().step.last_char);
	out.set_string(keyboard_string_utf8(f));
	return true;
}

bool set_lastchar(CInstance *, int32_t, const Value &v)
{
	std::string text(v.text());
	uint16_t c = 0;
	if (!text.empty()) {
		std::string saved = keyboard_string_utf8(S().step);
		set_keyboard_string(text);
		c = S().step.string.empty() ? 0 : (uint16_t)S().step.string[0];
		set_keyboard_string(saved);
	}
	S().raw.last_char = S().step.last_char = c;
	return true;
}

bool get_string(CInstance *, int32_t, Value &out)
{
	out.set_string(keyboard_string_utf8(S().step));
	return true;
}

bool set_string(CInstance *, int32_t, const Value &v)
{
	set_keyboard_string(std::string(v.text()));
	return true;
}

const BuiltinEntry input_functions[] = {
	{"keyboard_check", fn_keyboard_check, 1},
	{"keyboard_check_pressed", fn_keyboard_check_pressed, 1},
	{"keyboard_check_released", fn_keyboard_check_released, 1},
	{"keyboard_check_direct", fn_keyboard_check_direct, 1},
	{"keyboard_clear", fn_keyboard_clear, 1},
	{"keyboard_key_press", fn_keyboard_key_press, 1},
	{"keyboard_key_release", fn_keyboard_key_release, 1},
	{"keyboard_set_map", fn_keyboard_set_map, 2},
	{"keyboard_get_map", fn_keyboard_get_map, 1},
	{"keyboard_unset_map", fn_keyboard_unset_map, 0},
	{"keyboard_set_numlock", fn_keyboard_set_numlock, 1},
	{"keyboard_get_numlock", fn_keyboard_get_numlock, 0},
	{"mouse_check_button", fn_mouse_check_button, 1},
	{"mouse_check_button_pressed", fn_mouse_check_button_pressed, 1},
	{"mouse_check_button_released", fn_mouse_check_button_released, 1},
	{"mouse_clear", fn_mouse_clear, 1},
	{"mouse_wheel_up", fn_mouse_wheel_up, 0},
	{"mouse_wheel_down", fn_mouse_wheel_down, 0},
	{"io_clear", fn_io_clear, 0},
	{"io_handle", fn_io_handle, 0},
	{"joystick_exists", fn_joystick_exists, 1},
	{"joystick_name", fn_joystick_name, 1},
	{"joystick_axes", fn_joystick_axes, 1},
	{"joystick_buttons", fn_joystick_buttons, 1},
	{"joystick_has_pov", fn_joystick_has_pov, 1},
	{"joystick_direction", fn_joystick_direction, 1},
	{"joystick_check_button", fn_joystick_check_button, 2},
	{"joystick_xpos", fn_joystick_pos<0>, 1},
	{"joystick_ypos", fn_joystick_pos<1>, 1},
	{"joystick_zpos", fn_joystick_pos<2>, 1},
	{"joystick_rpos", fn_joystick_pos<3>, 1},
	{"joystick_upos", fn_joystick_pos<4>, 1},
	{"joystick_vpos", fn_joystick_pos<5>, 1},
	{"joystick_pov", fn_joystick_pov, 1},
	{"device_mouse_check_button", fn_device_mouse_check_button, 2},
	{"device_mouse_check_button_pressed", fn_device_mouse_check_button_pressed, 2},
	{"device_mouse_check_button_released", fn_device_mouse_check_button_released, 2},
	{"device_mouse_x", fn_device_mouse_x, 1},
	{"device_mouse_y", fn_device_mouse_y, 1},
	{"device_mouse_raw_x", fn_device_mouse_raw_x, 1},
	{"device_mouse_raw_y", fn_device_mouse_raw_y, 1},
	{"device_is_keypad_open", fn_zero, 0},
	{"device_get_tilt_x", fn_zero, 0},
	{"device_get_tilt_y", fn_zero, 0},
	{"device_get_tilt_z", fn_zero, 0},
	{"window_mouse_get_x", fn_window_mouse_get_x, 0},
	{"window_mouse_get_y", fn_window_mouse_get_y, 0},
};

} // namespace

void register_input_functions()
{
	ErrorHooks hooks = error_hooks();
	hooks.clear_input = clear_input;
	set_error_hooks(hooks);
	CBuiltinVariableTable &rows = builtin_variables();
	rows.attach("mouse_x", get_mouse_x, nullptr);
	rows.attach("mouse_y", get_mouse_y, nullptr);
	rows.attach("mouse_button", get_button<0>, set_button<0>);
	rows.attach("mouse_lastbutton", get_button<1>, set_button<1>);
	rows.attach("keyboard_key", get_field<&InputFields::key>, set_field<&InputFields::key>);
	rows.attach("keyboard_lastkey", get_field<&InputFields::last_key>, set_field<&InputFields::last_key>);
	rows.attach("keyboard_lastchar", get_lastchar, set_lastchar);
	rows.attach("keyboard_string", get_string, set_string);
	register_functions(input_functions);
}
