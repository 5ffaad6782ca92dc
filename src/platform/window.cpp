// window.cpp: the main window and the event pump over SDL.
#include "platform/window.h"

#include <SDL.h>

namespace platform {

bool init(bool headless, std::string &error)
{
	if (headless)
		SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
	if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
		error = SDL_GetError();
		return false;
	}
	return true;
}

void shutdown()
{
	SDL_Quit();
}

bool pump_events()
{
	bool keep_running = true;
	SDL_Event event;
	while (SDL_PollEvent(&event)) {
		if (event.type == SDL_QUIT)
			keep_running = false;
	}
	return keep_running;
}

void post_quit()
{
	SDL_Event event = {};
	event.type = SDL_QUIT;
	SDL_PushEvent(&event);
}

Window::~Window()
{
	destroy();
}

bool Window::create(int width, int height, const Style &style, std::string &error)
{
	uint32_t sdl_flags = SDL_WINDOW_SHOWN;
	if (style.borderless)
		sdl_flags |= SDL_WINDOW_BORDERLESS;
	else if (style.resizable)
		sdl_flags |= SDL_WINDOW_RESIZABLE;
	m_window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, sdl_flags);
	if (!m_window) {
		error = SDL_GetError();
		return false;
	}
	set_caption("Zentrix:Workshop");
	SDL_ShowCursor(style.show_cursor ? SDL_ENABLE : SDL_DISABLE);
	return true;
}

void Window::destroy()
{
	if (m_window) {
		SDL_DestroyWindow(m_window);
		m_window = nullptr;
	}
}

void Window::set_caption(const std::string &caption)
{
	m_caption = caption;
	if (m_window)
		SDL_SetWindowTitle(m_window, caption.c_str());
}

void Window::client_size(int &width, int &height) const
{
	width = height = 0;
	if (m_window)
		SDL_GetWindowSize(m_window, &width, &height);
}

void screen_size(int &width, int &height)
{
	SDL_DisplayMode mode;
	if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
		width = mode.w;
		height = mode.h;
	} else {
		width = height = 0;
	}
}

} // namespace platform
