// graphics_fixture.cpp: the headless display and image loading of the drawing tests.

#include "graphics_fixture.h"

#include <cstdlib>

#include "code/errors.h"
#include "data/walk.h"
#include "data/writer.h"
#include "graphics/bitmap.h"
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/images.h"
#include "graphics/texture_table.h"
#include "graphics/tiles.h"

// The leak checker crashes when it stops the GL driver's threads at exit: it is
// off in the executable that holds the rendering tests.
extern "C" const char *__asan_default_options() { return "detect_leaks=0"; }

HeadlessDisplay::HeadlessDisplay(int window_w, int window_h, int screen_w, int screen_h, uint32_t flags)
{
	std::string error;
	if (!platform::init(true, error)) {
		ADD_FAILURE() << error;
		return;
	}
	if (!m_window.create(window_w, window_h, {}, error)) {
		ADD_FAILURE() << error;
		return;
	}
	m_ok = GR_D3D_Init(m_window, screen_w, screen_h, flags);
	EXPECT_TRUE(m_ok);
	draw_state() = DrawState();
	draw_state().view_right = draw_state().room_width = screen_w;
	draw_state().view_bottom = draw_state().room_height = screen_h;
	room_tiles() = TileList();
	clear_error_state();
}

HeadlessDisplay::~HeadlessDisplay()
{
	clear_images();
	texture_clear_all();
	GR_D3D_Shutdown();
	m_window.destroy();
	platform::shutdown();
}

std::string load_images(GameData &game, const ImageChunks &chunks)
{
	DataFileWriter w;
	GameHeader h;
	h.major_version = 8;
	write_header(w, h, "Images", "Default");
	write_image_chunks(w, chunks);
	game.block.bytes = w.build();
	LoadResult first = first_pass(game);
	if (!first.ok)
		return first.error;
	LoadResult r = main_walk(game);
	return r.ok ? std::string() : (r.error.empty() ? "failed" : r.error);
}

std::vector<uint8_t> png_pixels(const std::vector<uint32_t> &pixels, int w, int h)
{
	return encode_png(pixels.data(), w, h);
}

void begin_frame(uint32_t clear)
{
	GR_BeginFrame();
	GR_Clear(clear | 0xFF000000u, 7);
}

std::vector<uint32_t> screen_pixels(int &w, int &h)
{
	std::vector<uint32_t> out;
	GR_Batch_Flush();
	EXPECT_TRUE(GR_ReadScreen(0, 0, GR_ScreenWidth(), GR_ScreenHeight(), out, w, h));
	return out;
}

::testing::AssertionResult near_rgb(uint32_t p, int r, int g, int b, int tol)
{
	if (std::abs(red(p) - r) <= tol && std::abs(green(p) - g) <= tol && std::abs(blue(p) - b) <= tol)
		return ::testing::AssertionSuccess();
	return ::testing::AssertionFailure() << "pixel (" << red(p) << ", " << green(p) << ", " << blue(p)
	                                     << ") is not near (" << r << ", " << g << ", " << b << ")";
}

void save_for_viewing(const std::vector<uint32_t> &pixels, int w, int h, const char *name)
{
	if (const char *dir = std::getenv("ZENTRIX_SHOTS")) {
		std::string error;
		write_png_file(std::string(dir) + "/" + name, pixels.data(), w, h, error);
	}
}
