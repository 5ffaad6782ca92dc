// window.h: the main window and the event pump over SDL. The only SDL code of
// the engine lives in platform/.
#pragma once

#include <cstdint>
#include <string>

struct SDL_Window;

namespace platform {

// Starts SDL's video and event subsystems. Headless selects the offscreen video
// driver, which needs no display. Returns false with the reason on failure.
bool init(bool headless, std::string &error);
void shutdown();

// Drains every waiting event without blocking. Returns false when a quit request
// (a window close, or the process being asked to end) was among them.
bool pump_events();

// Posts a quit request, which the next pump_events sees.
void post_quit();

class Window
{
public:
	Window() = default;
	~Window();
	Window(const Window &) = delete;
	Window &operator=(const Window &) = delete;

	struct Style
	{
		bool borderless = false; // full screen games: a pop-up without a frame
		bool resizable = false;
		bool show_cursor = false;
	};

	// Creates the window centred on the primary screen with the given client size;
	// false with the reason on failure.
	bool create(int width, int height, const Style &style, std::string &error);
	void destroy();
	bool exists() const { return m_window != nullptr; }

	// The caption, kept as UTF-8.
	void set_caption(const std::string &caption);
	const std::string &caption() const { return m_caption; }

	void client_size(int &width, int &height) const;
	// Gives the client area a new size, keeping the window's place.
	void set_client_size(int width, int height);

	// Switches between the window and the whole screen (Alt+Enter).
	void set_fullscreen(bool on);
	bool fullscreen() const { return m_fullscreen; }

	// The OpenGL 3.3 core context of the window, made current; false with the
	// reason on failure. The drawing layer loads its functions from it.
	bool create_gl_context(std::string &error);
	bool has_gl_context() const { return m_context != nullptr; }
	// Waits for the vertical blank when presenting (when the driver can).
	void set_vsync(bool on);
	// Shows the back buffer.
	void swap();
	// The size of the window's drawable area in pixels.
	void drawable_size(int &width, int &height) const;

private:
	SDL_Window *m_window = nullptr;
	void *m_context = nullptr;
	std::string m_caption;
	bool m_fullscreen = false;
};

// The size of the primary screen.
void screen_size(int &width, int &height);

} // namespace platform
