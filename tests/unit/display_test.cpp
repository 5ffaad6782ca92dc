// display_test.cpp: the display layer: the screen kept to its aspect on the
// window, the draw colour and alpha, the state mirrors, the view area maths,
// the target stack, screen_save and the --screenshot option.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "builtin_call.h"
#include "code/errors.h"
#include "common/file_util.h"
#include "data/game_data.h"
#include "data/writer.h"
#include "graphics/bitmap.h"
#include "graphics/display_state.h"
#include "graphics/draw_state.h"
#include "graphics/display_size.h"
#include "graphics/graphics.h"
#include "graphics_fixture.h"
#include "test_util.h"

namespace {

CBitmap32 read_png(const std::string &path)
{
	std::vector<uint8_t> bytes;
	std::string error;
	CBitmap32 b;
	EXPECT_TRUE(read_file(path, bytes, error)) << error;
	EXPECT_TRUE(b.decode_png(bytes.data(), bytes.size(), error)) << error;
	return b;
}


} // namespace

TEST(Display, KeepAspectLetterboxes)
{
	// A 640 x 480 game in a 1280 x 800 window: 1066.67 x 800, 106.67 pixels of
	// window colour on each side.
	HeadlessDisplay display(1280, 800, 640, 480, DISPLAY_KEEP_ASPECT);
	ASSERT_TRUE(display.ok());
	GR_SetWindowColour(0x00FF00); // green around the picture
	begin_frame(0x0000FF);
	GR_D3D_Finish_Frame();
	EXPECT_NEAR(GR_Stats().dest_left, 106.6667f, 0.01f);
	EXPECT_NEAR(GR_Stats().dest_right, 1173.3333f, 0.01f);
	std::vector<uint32_t> window;
	int w = 0, h = 0;
	ASSERT_TRUE(GR_ReadPixels(0, 0, 1280, 800, window, w, h));
	ASSERT_EQ(w, 1280);
	CBitmap32 shot(w, h, window);
	save_for_viewing(window, w, h, "letterbox.png");
	for (int y : {0, 400, 799}) {
		EXPECT_TRUE(near_rgb(shot.at(105, y), 0, 255, 0, 0)) << y;
		EXPECT_TRUE(near_rgb(shot.at(108, y), 255, 0, 0, 0)) << y;
		EXPECT_TRUE(near_rgb(shot.at(1172, y), 255, 0, 0, 0)) << y;
		EXPECT_TRUE(near_rgb(shot.at(1174, y), 0, 255, 0, 0)) << y;
	}

	// Without the flag the picture fills the window.
	GR_D3D_Shutdown();
}

TEST(Display, StretchesWithoutKeepAspect)
{
	HeadlessDisplay display(200, 100, 64, 48);
	ASSERT_TRUE(display.ok());
	begin_frame(0x0000FF);
	GR_D3D_Finish_Frame();
	std::vector<uint32_t> window;
	int w = 0, h = 0;
	ASSERT_TRUE(GR_ReadPixels(0, 0, 200, 100, window, w, h));
	EXPECT_TRUE(near_rgb(window[0], 255, 0, 0, 0));
	EXPECT_TRUE(near_rgb(window[(size_t)99 * 200 + 199], 255, 0, 0, 0));
	EXPECT_EQ(GR_Stats().dest_left, 0.0f);
	EXPECT_EQ(GR_Stats().dest_right, 200.0f);
}

TEST(Display, DrawColourAndAlpha)
{
	draw_state() = DrawState();
	// Black with alpha 1 at start.
	EXPECT_EQ(draw_state().colour, 0xFF000000u);
	EXPECT_EQ(call_builtin("draw_get_color").real(), 0);
	EXPECT_EQ(call_builtin("draw_get_alpha").real(), 1);

	struct Case
	{
		double alpha;
		uint8_t stored;
	};
	for (Case c : {Case{1.5, 255}, Case{-1, 0}, Case{0.999, 254}, Case{0.5, 127}}) {
		call_builtin("draw_set_alpha", {c.alpha});
		EXPECT_EQ(draw_state().alpha, c.stored) << c.alpha;
		EXPECT_EQ(draw_state().colour >> 24, c.stored) << c.alpha;
	}
	// The colour keeps the alpha; it is stored as the device wants it.
	call_builtin("draw_set_color", {0x123456});
	EXPECT_EQ(draw_state().colour, 0x7F563412u);
	EXPECT_EQ(call_builtin("draw_get_color").real(), 0x123456);
	EXPECT_EQ(GR_Colour(0x123456, 2.0), 0xFF563412u);
	EXPECT_EQ(GR_Colour(0x123456, -0.5), 0x00563412u);
	draw_state() = DrawState();
}

TEST(Display, StateMirrorsAndBlendModes)
{
	HeadlessDisplay display(64, 64, 64, 64);
	ASSERT_TRUE(display.ok());
	// The defaults as the settings restore leaves them.
	EXPECT_EQ(GR_RenderStateValue(RS_ALPHAREF), 0x80u);
	EXPECT_EQ(GR_RenderStateValue(RS_ALPHABLENDENABLE), 1u);
	EXPECT_EQ(GR_RenderStateValue(RS_SRCBLEND), (uint32_t)BLEND_SRCALPHA);

	struct Case
	{
		int mode, src, dest;
	};
	for (Case c : {Case{0, 5, 6}, Case{1, 5, 2}, Case{2, 5, 4}, Case{3, 1, 4}, Case{7, 5, 6}, Case{-2, 5, 6}}) {
		call_builtin("draw_set_blend_mode", {c.mode});
		EXPECT_EQ(GR_RenderStateValue(RS_SRCBLEND), (uint32_t)c.src) << c.mode;
		EXPECT_EQ(GR_RenderStateValue(RS_DESTBLEND), (uint32_t)c.dest) << c.mode;
	}
	// Factors outside 2..17 become zero.
	call_builtin("draw_set_blend_mode_ext", {40, 0});
	EXPECT_EQ(GR_RenderStateValue(RS_SRCBLEND), (uint32_t)BLEND_ZERO);
	EXPECT_EQ(GR_RenderStateValue(RS_DESTBLEND), (uint32_t)BLEND_ZERO);
	EXPECT_EQ(GR_Settings().blend_src, 40);

	// Wrong uses of draw_enable_alphablend are reported and change nothing.
	call_builtin("draw_enable_alphablend", {S("yes")});
	EXPECT_NE(error_last().find("Illegal argument type: true/false expected"), std::string::npos);
	call_builtin("draw_enable_alphablend", {1, 2});
	EXPECT_NE(error_last().find("Illegal argument count"), std::string::npos);
	EXPECT_EQ(GR_RenderStateValue(RS_ALPHABLENDENABLE), 1u);
	call_builtin("draw_enable_alphablend", {0.7});
	EXPECT_EQ(GR_RenderStateValue(RS_ALPHABLENDENABLE), 0u);
}

TEST(Display, ViewAreaMapsTheRectangleOntoTheTarget)
{
	HeadlessDisplay display(64, 64, 64, 64);
	ASSERT_TRUE(display.ok());
	GR_SetViewArea(100, 50, 200, 100, 0);
	Matrix4 m = GR_GetTransform(0) * GR_GetTransform(1);
	float p[3];
	m.transform_point(100, 50, 0, p);       // top left of the area
	EXPECT_NEAR(p[0], -1 - 1.0f / 640, 1e-4);
	EXPECT_NEAR(p[1], 1 + 1.0f / 480, 1e-4);
	m.transform_point(300, 150, 0, p);      // bottom right
	EXPECT_NEAR(p[0], 1 - 1.0f / 640, 1e-4);
	EXPECT_NEAR(p[1], -1 + 1.0f / 480, 1e-4);

	// Rotated by 90 degrees the picture turns counter-clockwise: the area's top
	// edge comes to the screen's left edge.
	GR_SetViewArea(0, 0, 100, 100, 90);
	m = GR_GetTransform(0) * GR_GetTransform(1);
	m.transform_point(50, 0, 0, p);
	EXPECT_NEAR(p[0], -1 - 1.0f / 640, 1e-4);
	EXPECT_NEAR(p[1], 0 + 1.0f / 480, 1e-4);
}

TEST(Display, TargetStackAndReadBackClipping)
{
	HeadlessDisplay display(64, 64, 64, 64);
	ASSERT_TRUE(display.ok());
	TextureD3D *t = GR_Texture_CreateTarget(16, 8);
	ASSERT_NE(t, nullptr);
	ASSERT_TRUE(GR_PushTarget());
	ASSERT_TRUE(GR_SetTarget(t));
	GR_Clear(0xFF00FF00u, 1);
	std::vector<uint32_t> px;
	int w = 0, h = 0;
	// Clipped to the target: negative corner and too wide.
	ASSERT_TRUE(GR_ReadPixels(-4, -2, 100, 100, px, w, h));
	EXPECT_EQ(w, 16);
	EXPECT_EQ(h, 8);
	EXPECT_TRUE(near_rgb(px[0], 0, 255, 0, 0));
	EXPECT_FALSE(GR_ReadPixels(20, 0, 5, 5, px, w, h));
	EXPECT_TRUE(GR_PopTarget());
	EXPECT_FALSE(GR_PopTarget());
	// Eight places; a ninth push is refused.
	for (int i = 0; i < 8; i++)
		EXPECT_TRUE(GR_PushTarget());
	EXPECT_FALSE(GR_PushTarget());
	GR_Texture_Free(t);
}

// A reset after a window change makes the screen again at the pending size,
// keeps the settings and leaves no frame or target behind.
TEST(Display, ResetRemakesTheScreenAtThePendingSize)
{
	HeadlessDisplay display(64, 64, 64, 64);
	ASSERT_TRUE(display.ok());
	call_builtin("draw_set_blend_mode", {1});
	GR_SetPendingSize(32, 16);
	GR_BeginFrame();
	EXPECT_EQ(GR_ScreenWidth(), 32);
	EXPECT_EQ(GR_ScreenHeight(), 16);
	EXPECT_EQ(GR_Settings().blend_dest, BLEND_ONE);
	GR_Clear(0xFF0000FFu, 1);
	int w = 0, h = 0;
	std::vector<uint32_t> px = screen_pixels(w, h);
	EXPECT_EQ(w, 32);
	EXPECT_EQ(h, 16);
	EXPECT_TRUE(near_rgb(px[(size_t)w * h - 1], 255, 0, 0, 0));
	GR_D3D_Finish_Frame();
	// A reset without a pending size keeps the size.
	call_builtin("display_reset", {0, 0});
	GR_BeginFrame();
	EXPECT_EQ(GR_ScreenWidth(), 32);
	GR_D3D_Finish_Frame();
	call_builtin("draw_set_blend_mode", {0});
}

TEST(Display, ScreenSaveWritesThePicture)
{
	HeadlessDisplay display(64, 64, 32, 16);
	ASSERT_TRUE(display.ok());
	TempDir dir;
	begin_frame(0x0000FF);
	GR_SetViewport(8, 0, 8, 16);
	GR_Clear(0xFFFF0000u, 1); // blue stripe
	GR_SetViewport(0, 0, 32, 16);
	call_builtin("screen_save", {S(dir.file("all.png").c_str())});
	call_builtin("screen_save_part", {S(dir.file("part.png").c_str()), 6, 2, 4, 100});
	call_builtin("screen_save_part", {S(dir.file("none.png").c_str()), 40, 0, 4, 4});
	GR_D3D_Finish_Frame();
	CBitmap32 all = read_png(dir.file("all.png"));
	ASSERT_EQ(all.width(), 32);
	ASSERT_EQ(all.height(), 16);
	EXPECT_TRUE(near_rgb(all.at(0, 0), 255, 0, 0, 0));
	EXPECT_TRUE(near_rgb(all.at(8, 15), 0, 0, 255, 0));
	CBitmap32 part = read_png(dir.file("part.png"));
	ASSERT_EQ(part.width(), 4);
	ASSERT_EQ(part.height(), 14);
	EXPECT_TRUE(near_rgb(part.at(1, 0), 255, 0, 0, 0));
	EXPECT_TRUE(near_rgb(part.at(2, 13), 0, 0, 255, 0));
	EXPECT_FALSE(std::filesystem::exists(dir.file("none.png")));
}

TEST(Display, ScreenshotOptionWritesTheLastFrame)
{
	DataFileWriter w;
	GameHeader h;
	h.major_version = 8;
	h.window_width = 40;
	h.window_height = 30;
	write_header(w, h, "Shot", "Default");
	TempDir dir;
	dir.write("shot.win", w.build());
	ProgramResult r = run_program(ZENTRIX_BIN, {"-game", dir.file("shot.win"), "--headless", "--unpaced", "--frames",
	                                            "2", "--screenshot", dir.file("shot.png")});
	ASSERT_EQ(r.exit_code, 0) << r.err;
	CBitmap32 shot = read_png(dir.file("shot.png"));
	EXPECT_EQ(shot.width(), 40);
	EXPECT_EQ(shot.height(), 30);
	EXPECT_TRUE(near_rgb(shot.at(20, 15), 0, 0, 0, 0));

	// A file that cannot be written is reported.
	r = run_program(ZENTRIX_BIN, {"-game", dir.file("shot.win"), "--headless", "--unpaced", "--frames", "1",
	                              "--screenshot", dir.file("no/such/dir/shot.png")});
	EXPECT_NE(r.err.find("[write_png_file] File " + dir.file("no/such/dir/shot.png") + " could not be opened for writing"),
	          std::string::npos)
		<< r.err;
}

TEST(Display, WindowAndScreenFollowANewSize)
{
	HeadlessDisplay display(640, 480, 640, 480);
	ASSERT_TRUE(display.ok());
	GR_SetWindowSize(320, 200);
	EXPECT_EQ(GR_ScreenWidth(), 320);
	EXPECT_EQ(GR_ScreenHeight(), 200);
	int w = 0, h = 0;
	GR_WindowSize(w, h);
	EXPECT_EQ(w, 320);
	EXPECT_EQ(h, 200);
	// Asked for while a frame is open, the screen changes at the next frame.
	begin_frame(0x0000FF);
	GR_SetWindowSize(100, 80);
	EXPECT_EQ(GR_ScreenWidth(), 320);
	GR_D3D_Finish_Frame();
	begin_frame(0x0000FF);
	EXPECT_EQ(GR_ScreenWidth(), 100);
	std::vector<uint32_t> pixels = screen_pixels(w, h);
	EXPECT_EQ(w, 100);
	EXPECT_EQ(h, 80);
	GR_D3D_Finish_Frame();
}

TEST(Display, FullScreenWindowKeepsItsSize)
{
	HeadlessDisplay display(640, 480, 640, 480, DISPLAY_FULLSCREEN);
	ASSERT_TRUE(display.ok());
	GR_SetWindowSize(320, 200);
	EXPECT_EQ(GR_ScreenWidth(), 320);
	int w = 0, h = 0;
	GR_WindowSize(w, h);
	EXPECT_EQ(w, 640);
	EXPECT_EQ(h, 480);
}
