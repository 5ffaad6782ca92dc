// input.cpp: SDL keyboard, mouse and joystick input: key codes to virtual-key
// codes, typed text to characters, and joystick reading.
#include "platform/input.h"

#include <SDL.h>

namespace platform {

namespace {

InputSink g_sink;
SDL_Joystick *g_joysticks[2] = {};
// The finger held in each touch slot (0: free).
SDL_FingerID g_fingers[128] = {};

struct KeyPair
{
	SDL_Keycode sdl;
	int32_t vk;
};

const KeyPair key_table[] = {
	{SDLK_BACKSPACE, 8}, {SDLK_TAB, 9}, {SDLK_RETURN, 13}, {SDLK_KP_ENTER, 13}, {SDLK_LSHIFT, 16},
	{SDLK_RSHIFT, 16}, {SDLK_LCTRL, 17}, {SDLK_RCTRL, 17}, {SDLK_LALT, 18}, {SDLK_RALT, 18},
	{SDLK_PAUSE, 19}, {SDLK_CAPSLOCK, 20}, {SDLK_ESCAPE, 27}, {SDLK_SPACE, 32}, {SDLK_PAGEUP, 33},
	{SDLK_PAGEDOWN, 34}, {SDLK_END, 35}, {SDLK_HOME, 36}, {SDLK_LEFT, 37}, {SDLK_UP, 38}, {SDLK_RIGHT, 39},
	{SDLK_DOWN, 40}, {SDLK_PRINTSCREEN, 44}, {SDLK_INSERT, 45}, {SDLK_DELETE, 46}, {SDLK_LGUI, 91},
	{SDLK_RGUI, 92}, {SDLK_APPLICATION, 93}, {SDLK_KP_0, 96}, {SDLK_KP_1, 97}, {SDLK_KP_2, 98},
	{SDLK_KP_3, 99}, {SDLK_KP_4, 100}, {SDLK_KP_5, 101}, {SDLK_KP_6, 102}, {SDLK_KP_7, 103},
	{SDLK_KP_8, 104}, {SDLK_KP_9, 105}, {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, 107}, {SDLK_KP_MINUS, 109},
	{SDLK_KP_PERIOD, 110}, {SDLK_KP_DIVIDE, 111}, {SDLK_NUMLOCKCLEAR, 144}, {SDLK_SCROLLLOCK, 145},
	{SDLK_SEMICOLON, 186}, {SDLK_EQUALS, 187}, {SDLK_COMMA, 188}, {SDLK_MINUS, 189}, {SDLK_PERIOD, 190},
	{SDLK_SLASH, 191}, {SDLK_BACKQUOTE, 192}, {SDLK_LEFTBRACKET, 219}, {SDLK_BACKSLASH, 220},
	{SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222},
};

// The characters a key gives that SDL's text input does not carry.
uint32_t control_character(SDL_Keycode key)
{
	switch (key) {
	case SDLK_BACKSPACE: return 8;
	case SDLK_TAB: return 9;
	case SDLK_RETURN:
	case SDLK_KP_ENTER: return 13;
	case SDLK_ESCAPE: return 27;
	default: return 0;
	}
}

// Decodes UTF-8 text into characters for the sink.
void send_text(const char *text)
{
	const uint8_t *p = (const uint8_t *)text;
	while (*p) {
		uint32_t c = *p;
		int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
		c &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : extra == 1 ? 0x1F : 0x7F;
		p++;
		for (int i = 0; i < extra && (*p & 0xC0) == 0x80; i++, p++)
			c = (c << 6) | (*p & 0x3F);
		if (g_sink.character)
			g_sink.character(c);
	}
}

int32_t mouse_button(uint8_t sdl_button)
{
	switch (sdl_button) {
	case SDL_BUTTON_LEFT: return 1;
	case SDL_BUTTON_RIGHT: return 2;
	case SDL_BUTTON_MIDDLE: return 3;
	default: return 0;
	}
}

void handle_key(const SDL_KeyboardEvent &k, bool down)
{
	if (down && k.keysym.sym == SDLK_RETURN && (k.keysym.mod & KMOD_ALT) && g_sink.alt_enter && !k.repeat &&
	    g_sink.alt_enter())
		return;
	int32_t vk = vk_from_sdl_key(k.keysym.sym);
	if (vk != 0 && g_sink.key)
		g_sink.key(vk, down);
	uint32_t c = down ? control_character(k.keysym.sym) : 0;
	if (c && g_sink.character)
		g_sink.character(c);
}

// Touch positions come as fractions of the window with the focus.
void handle_touch(const SDL_TouchFingerEvent &t, bool down)
{
	if (!g_sink.touch)
		return;
	int slot = -1, free_slot = -1;
	for (int i = 0; i < 128; i++) {
		if (g_fingers[i] == t.fingerId + 1)
			slot = i;
		if (free_slot < 0 && g_fingers[i] == 0)
			free_slot = i;
	}
	if (slot < 0) {
		if (!down || free_slot < 0)
			return;
		slot = free_slot;
		g_fingers[slot] = t.fingerId + 1;
	}
	int w = 0, h = 0;
	if (SDL_Window *window = SDL_GetKeyboardFocus())
		SDL_GetWindowSize(window, &w, &h);
	g_sink.touch(slot, down, (int32_t)(t.x * (float)w), (int32_t)(t.y * (float)h));
	if (!down)
		g_fingers[slot] = 0;
}

} // namespace

void set_input_sink(const InputSink &sink) { g_sink = sink; }

int32_t vk_from_sdl_key(int32_t sdl_keycode)
{
	if (sdl_keycode >= SDLK_a && sdl_keycode <= SDLK_z)
		return 'A' + (sdl_keycode - SDLK_a);
	if (sdl_keycode >= SDLK_0 && sdl_keycode <= SDLK_9)
		return '0' + (sdl_keycode - SDLK_0);
	if (sdl_keycode >= SDLK_F1 && sdl_keycode <= SDLK_F12)
		return 112 + (sdl_keycode - SDLK_F1);
	if (sdl_keycode >= SDLK_F13 && sdl_keycode <= SDLK_F24)
		return 124 + (sdl_keycode - SDLK_F13);
	for (const KeyPair &p : key_table)
		if (p.sdl == sdl_keycode)
			return p.vk;
	return 0;
}

void handle_input_event(const SDL_Event &e)
{
	switch (e.type) {
	case SDL_KEYDOWN: handle_key(e.key, true); break;
	case SDL_KEYUP: handle_key(e.key, false); break;
	case SDL_TEXTINPUT: send_text(e.text.text); break;
	case SDL_MOUSEMOTION:
		if (g_sink.mouse_move)
			g_sink.mouse_move(e.motion.x, e.motion.y);
		break;
	case SDL_MOUSEBUTTONDOWN:
	case SDL_MOUSEBUTTONUP: {
		int32_t b = mouse_button(e.button.button);
		if (b && g_sink.mouse_move)
			g_sink.mouse_move(e.button.x, e.button.y);
		if (b && g_sink.button)
			g_sink.button(b, e.type == SDL_MOUSEBUTTONDOWN);
		break;
	}
	case SDL_FINGERDOWN:
	case SDL_FINGERMOTION: handle_touch(e.tfinger, true); break;
	case SDL_FINGERUP: handle_touch(e.tfinger, false); break;
	case SDL_MOUSEWHEEL: {
		int32_t turn = e.wheel.y;
		if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
			turn = -turn;
		if (turn && g_sink.wheel)
			g_sink.wheel(turn);
		break;
	}
	default: break;
	}
}

JoystickReading read_joystick(int index)
{
	JoystickReading r;
	if (index < 0 || index > 1 || !SDL_WasInit(SDL_INIT_JOYSTICK))
		return r;
	SDL_Joystick *&j = g_joysticks[index];
	if (j && !SDL_JoystickGetAttached(j)) {
		SDL_JoystickClose(j);
		j = nullptr;
	}
	if (!j && index < SDL_NumJoysticks())
		j = SDL_JoystickOpen(index);
	if (!j)
		return r;
	SDL_JoystickUpdate();
	r.present = true;
	const char *name = SDL_JoystickName(j);
	r.name = name ? name : "";
	r.axes = SDL_JoystickNumAxes(j);
	r.buttons_count = SDL_JoystickNumButtons(j);
	r.has_pov = SDL_JoystickNumHats(j) > 0;
	for (int a = 0; a < 6 && a < r.axes; a++)
		r.axis[a] = (int32_t)SDL_JoystickGetAxis(j, a) + 32768;
	for (int b = 0; b < 32 && b < r.buttons_count; b++)
		if (SDL_JoystickGetButton(j, b))
			r.buttons |= 1u << b;
	if (r.has_pov) {
		static const struct
		{
			uint8_t hat;
			int32_t degrees;
		} hats[] = {{SDL_HAT_UP, 0},      {SDL_HAT_RIGHTUP, 45},  {SDL_HAT_RIGHT, 90},  {SDL_HAT_RIGHTDOWN, 135},
		            {SDL_HAT_DOWN, 180},  {SDL_HAT_LEFTDOWN, 225}, {SDL_HAT_LEFT, 270}, {SDL_HAT_LEFTUP, 315}};
		uint8_t hat = SDL_JoystickGetHat(j, 0);
		for (auto &h : hats)
			if (h.hat == hat)
				r.pov = h.degrees;
	}
	return r;
}

void close_joysticks()
{
	for (SDL_Joystick *&j : g_joysticks) {
		if (j)
			SDL_JoystickClose(j);
		j = nullptr;
	}
}

} // namespace platform
