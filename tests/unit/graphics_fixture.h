// graphics_fixture.h: a headless GL display for drawing tests, and a small
// game data file with texture pages, sprites and backgrounds loaded into the
// image tables.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/game_data.h"
#include "data/write_images.h"
#include "platform/window.h"

// The window and display live for one test.
class HeadlessDisplay
{
public:
	HeadlessDisplay(int window_w, int window_h, int screen_w, int screen_h, uint32_t flags = 0);
	~HeadlessDisplay();
	bool ok() const { return m_ok; }

private:
	platform::Window m_window;
	bool m_ok = false;
};

// Loads a game made of a header and the given image chunks through the main
// walk. Returns the walk's error text (empty on success).
std::string load_images(GameData &game, const ImageChunks &chunks);

// An image of w x h pixels filled by a function of (x, y) -> 0xAARRGGBB.
template <typename Fn>
std::vector<uint8_t> png_of(int w, int h, Fn fn);

std::vector<uint8_t> png_pixels(const std::vector<uint32_t> &pixels, int w, int h);

// Opens a frame on the screen texture, cleared to the colour (0xBBGGRR).
void begin_frame(uint32_t clear = 0);
// Finishes the frame's drawing and reads the screen texture back.
std::vector<uint32_t> screen_pixels(int &w, int &h);

// Writes the pixels as PNG into $ZENTRIX_SHOTS when it is set, to look at.
void save_for_viewing(const std::vector<uint32_t> &pixels, int w, int h, const char *name);

// Channels of a 0xAARRGGBB pixel.
inline int red(uint32_t p) { return (p >> 16) & 0xFF; }
inline int green(uint32_t p) { return (p >> 8) & 0xFF; }
inline int blue(uint32_t p) { return p & 0xFF; }

// True when every channel is within tol of (r, g, b).
::testing::AssertionResult near_rgb(uint32_t p, int r, int g, int b, int tol = 2);

template <typename Fn>
std::vector<uint8_t> png_of(int w, int h, Fn fn)
{
	std::vector<uint32_t> pixels((size_t)w * h);
	for (int y = 0; y < h; y++)
		for (int x = 0; x < w; x++)
			pixels[(size_t)y * w + x] = fn(x, y);
	return png_pixels(pixels, w, h);
}
