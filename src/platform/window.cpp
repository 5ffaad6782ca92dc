// window.cpp: the main window and the event pump over SDL.
#include "platform/window.h"

#include "platform/input.h"

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace platform {

namespace {

// The GL driver libraries stay loaded until the process ends: unloading them at
// shut-down leaves the driver's own allocations unreachable (and reported as
// leaks by the sanitizers), while keeping them costs nothing at exit.
void pin_gl_driver()
{
	dl_iterate_phdr(
		[](dl_phdr_info *info, size_t, void *) -> int {
			const char *name = info->dlpi_name;
			if (name && name[0] &&
			    (strstr(name, "dri") || strstr(name, "gallium") || strstr(name, "EGL") || strstr(name, "GL") ||
			     strstr(name, "LLVM") || strstr(name, "glapi")))
				dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
			return 0;
		},
		nullptr);
}

} // namespace

bool init(bool headless, std::string &error)
{
	if (headless)
		SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
	if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
		error = SDL_GetError();
		return false;
	}
	// Joysticks are optional: without the subsystem none is present.
	SDL_InitSubSystem(SDL_INIT_JOYSTICK);
	return true;
}

void shutdown()
{
	close_joysticks();
	SDL_Quit();
}

bool pump_events()
{
	bool keep_running = true;
	SDL_Event event;
	while (SDL_PollEvent(&event)) {
		if (event.type == SDL_QUIT)
			keep_running = false;
		else
			handle_input_event(event);
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
	uint32_t sdl_flags = SDL_WINDOW_SHOWN | SDL_WINDOW_OPENGL;
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
	SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
	SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
	SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
	if (style.borderless)
		sdl_flags |= SDL_WINDOW_BORDERLESS;
	else if (style.resizable)
		sdl_flags |= SDL_WINDOW_RESIZABLE;
	m_window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, sdl_flags);
	if (!m_window) {
		error = SDL_GetError();
		return false;
	}
	pin_gl_driver();
	m_fullscreen = style.borderless;
	set_caption("Zentrix:Workshop");
	SDL_ShowCursor(style.show_cursor ? SDL_ENABLE : SDL_DISABLE);
	return true;
}

void Window::destroy()
{
	if (m_context) {
		SDL_GL_DeleteContext((SDL_GLContext)m_context);
		m_context = nullptr;
	}
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

void Window::set_fullscreen(bool on)
{
	if (m_window && SDL_SetWindowFullscreen(m_window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0)
		m_fullscreen = on;
}

void Window::client_size(int &width, int &height) const
{
	width = height = 0;
	if (m_window)
		SDL_GetWindowSize(m_window, &width, &height);
}

void Window::set_client_size(int width, int height)
{
	if (m_window)
		SDL_SetWindowSize(m_window, width, height);
}

bool Window::create_gl_context(std::string &error)
{
	if (!m_window) {
		error = "there is no window";
		return false;
	}
	if (!m_context) {
		m_context = SDL_GL_CreateContext(m_window);
		if (!m_context) {
			error = SDL_GetError();
			return false;
		}
		pin_gl_driver();
	}
	SDL_GL_MakeCurrent(m_window, (SDL_GLContext)m_context);
	return true;
}

void Window::set_vsync(bool on)
{
	if (m_context)
		SDL_GL_SetSwapInterval(on ? 1 : 0);
}

void Window::swap()
{
	if (m_window && m_context)
		SDL_GL_SwapWindow(m_window);
}

void Window::drawable_size(int &width, int &height) const
{
	width = height = 0;
	if (m_window)
		SDL_GL_GetDrawableSize(m_window, &width, &height);
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
