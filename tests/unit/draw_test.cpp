// draw_test.cpp: drawing through the headless GL display: sprites at a
// position with origin, scale, rotation, blend colour and alpha; tiled and
// stretched backgrounds; blend modes; the screen kept to its aspect on the
// window; the clear inside the viewport; batching and culling.
#include <gtest/gtest.h>

#include <cmath>

#include "builtin_call.h"
#include "code/errors.h"
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/images.h"
#include "graphics_fixture.h"

namespace {

constexpr uint32_t RED = 0xFFFF0000u, GREEN = 0xFF00FF00u, BLUE = 0xFF0000FFu, WHITE = 0xFFFFFFFFu;

uint32_t page0(int x, int y)
{
	if (x < 32 && y < 32) // the quadrant sprite
		return x < 16 ? (y < 16 ? RED : BLUE) : (y < 16 ? GREEN : WHITE);
	if (x >= 32 && x < 48 && y < 16) // the background: left half red, right half blue
		return x < 40 ? RED : BLUE;
	if (x >= 48 && y < 8)
		return WHITE;
	if (x < 24 && y >= 32 && y < 56) // the trimmed sprite's packed part
		return GREEN;
	return 0;
}

EntrySpec entry(int16_t sx, int16_t sy, int16_t sw, int16_t sh, int16_t tx, int16_t ty, int16_t bw, int16_t bh,
                int16_t page = 0)
{
	EntrySpec e;
	e.source_x = sx, e.source_y = sy, e.source_width = sw, e.source_height = sh;
	e.target_x = tx, e.target_y = ty, e.target_width = sw, e.target_height = sh;
	e.bounding_width = bw, e.bounding_height = bh, e.page = page;
	return e;
}

SpriteSpec sprite(const char *name, int w, int h, int ox, int oy, std::vector<int> frames)
{
	SpriteSpec s;
	s.name = name;
	s.width = w, s.height = h, s.x_origin = ox, s.y_origin = oy;
	s.frames = std::move(frames);
	return s;
}

ImageChunks test_images()
{
	ImageChunks c;
	c.pages.push_back(png_of(64, 64, page0));
	c.pages.push_back(png_of(8, 8, [](int, int) { return WHITE; }));
	c.entries = {entry(0, 0, 32, 32, 0, 0, 32, 32), entry(32, 0, 16, 16, 0, 0, 16, 16), entry(48, 0, 8, 8, 0, 0, 8, 8),
	             entry(0, 32, 24, 24, 4, 4, 32, 32), entry(0, 0, 8, 8, 0, 0, 8, 8, 1)};
	c.sprites = {sprite("spr_quad", 32, 32, 16, 16, {0}), sprite("spr_white", 8, 8, 0, 0, {2}),
	             sprite("spr_trim", 32, 32, 16, 16, {3}), sprite("spr_other", 8, 8, 0, 0, {4}),
	             sprite("spr_three", 32, 32, 0, 0, {0, 2, 3})};
	BackgroundSpec bg;
	bg.name = "bg";
	bg.entry = 1;
	c.backgrounds = {bg};
	return c;
}

class Draw : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(display.ok());
		ASSERT_EQ(load_images(game, test_images()), "");
	}
	uint32_t at(int x, int y) const { return pixels[(size_t)y * w + x]; }
	void read() { pixels = screen_pixels(w, h); }

	HeadlessDisplay display{128, 128, 128, 128};
	GameData game;
	std::vector<uint32_t> pixels;
	int w = 0, h = 0;
};

TEST_F(Draw, SpriteAtPositionWithOrigin)
{
	begin_frame();
	call_builtin("draw_sprite", {0, 0, 50, 50});
	read();
	EXPECT_TRUE(near_rgb(at(35, 35), 255, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(64, 35), 0, 255, 0, 0));
	EXPECT_TRUE(near_rgb(at(35, 64), 0, 0, 255, 0));
	EXPECT_TRUE(near_rgb(at(64, 64), 255, 255, 255, 0));
	EXPECT_TRUE(near_rgb(at(34, 34), 255, 0, 0, 0)); // the frame's first pixel
	EXPECT_TRUE(near_rgb(at(33, 40), 0, 0, 0, 0));   // just outside
	EXPECT_TRUE(near_rgb(at(66, 40), 0, 0, 0, 0));

	// A trimmed frame: 32 x 32 with origin (16, 16), packed part at (4, 4) of 24 x 24.
	begin_frame();
	call_builtin("draw_sprite", {2, 0, 100, 100});
	read();
	EXPECT_TRUE(near_rgb(at(88, 88), 0, 255, 0, 0));
	EXPECT_TRUE(near_rgb(at(111, 111), 0, 255, 0, 0));
	EXPECT_TRUE(near_rgb(at(87, 100), 0, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(112, 100), 0, 0, 0, 0));
	GR_D3D_Finish_Frame();
}

TEST_F(Draw, SpriteScaledRotatedBlendedAndAlpha)
{
	// Scale 2, rotated 90 degrees counter-clockwise about the origin: the red
	// top-left quadrant goes to the bottom left.
	begin_frame();
	call_builtin("draw_sprite_ext", {0, 0, 64, 64, 2, 2, 90, 0xFFFFFF, 1});
	read();
	EXPECT_TRUE(near_rgb(at(50, 78), 255, 0, 0, 0));  // red: bottom left
	EXPECT_TRUE(near_rgb(at(50, 50), 0, 255, 0, 0));  // green: top left
	EXPECT_TRUE(near_rgb(at(78, 78), 0, 0, 255, 0));  // blue: bottom right
	EXPECT_TRUE(near_rgb(at(78, 50), 255, 255, 255, 0));
	EXPECT_TRUE(near_rgb(at(31, 64), 0, 0, 0, 0));    // 32 pixels each way
	EXPECT_TRUE(near_rgb(at(33, 64), 0, 0, 255, 0) || near_rgb(at(33, 64), 255, 0, 0, 0));

	// Blend colour yellow (0x00FFFF) at alpha 0.5 over black: white becomes half
	// yellow, green half green, blue black.
	begin_frame();
	call_builtin("draw_sprite_ext", {0, 0, 64, 64, 1, 1, 0, 0x00FFFF, 0.5});
	read();
	EXPECT_TRUE(near_rgb(at(70, 70), 127, 127, 0));
	EXPECT_TRUE(near_rgb(at(70, 58), 0, 127, 0));
	EXPECT_TRUE(near_rgb(at(58, 70), 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(58, 58), 127, 0, 0));
	GR_D3D_Finish_Frame();
}

TEST_F(Draw, TiledAndStretchedBackgrounds)
{
	begin_frame();
	call_builtin("draw_background_tiled", {0, 4, 0});
	read();
	for (int y : {0, 40, 127}) {
		EXPECT_TRUE(near_rgb(at(6, y), 255, 0, 0, 0)) << y;    // first tile at x = 4
		EXPECT_TRUE(near_rgb(at(14, y), 0, 0, 255, 0)) << y;
		EXPECT_TRUE(near_rgb(at(22, y), 255, 0, 0, 0)) << y;   // the next one
		EXPECT_TRUE(near_rgb(at(2, y), 0, 0, 255, 0)) << y;    // the tile left of the start
		EXPECT_TRUE(near_rgb(at(126, y), 0, 0, 255, 0)) << y;  // 116..131: blue from 124
	}

	begin_frame();
	call_builtin("draw_background_stretched", {0, 0, 0, 64, 32});
	read();
	EXPECT_TRUE(near_rgb(at(10, 10), 255, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(31, 31), 255, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(32, 10), 0, 0, 255, 0));
	EXPECT_TRUE(near_rgb(at(63, 31), 0, 0, 255, 0));
	EXPECT_TRUE(near_rgb(at(64, 10), 0, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(10, 32), 0, 0, 0, 0));
	GR_D3D_Finish_Frame();
}

TEST_F(Draw, SceneToLookAt)
{
	begin_frame(0x403020);
	call_builtin("draw_background_tiled_ext", {0, 0, 0, 1, 1, 0x808080, 0.3});
	call_builtin("draw_sprite", {0, 0, 24, 24});
	call_builtin("draw_sprite_ext", {0, 0, 80, 30, 1.5, 1, 30, 0xFFFFFF, 1});
	call_builtin("draw_sprite_ext", {0, 0, 30, 90, -1, 1, 0, 0x00FFFF, 0.5});
	call_builtin("draw_sprite_general", {0, 0, 8, 8, 24, 24, 64, 64, 1, 1, 0, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 1});
	call_builtin("draw_background_stretched", {0, 96, 96, 32, 8});
	call_builtin("draw_sprite_pos", {0, 0, 90, 100, 120, 95, 125, 125, 85, 120, 1});
	read();
	save_for_viewing(pixels, w, h, "scene.png");
	// The mirrored sprite: red (top left of the frame) now top right, green top left.
	EXPECT_GT(red(at(40, 80)), green(at(40, 80)) + 60);
	EXPECT_GT(green(at(20, 80)), red(at(20, 80)) + 60);
	GR_D3D_Finish_Frame();
}

TEST_F(Draw, BlendModesOnAKnownBackground)
{
	// Background (64, 128, 192); a white sprite blended to (200, 100, 50) at alpha
	// 0.5 (stored as 127/255).
	struct Case
	{
		int mode;
		int r, g, b;
	};
	const double a = 127.0 / 255.0;
	auto mix = [&](double src, double dst, double sf, double df) { return std::min(255.0, src * sf + dst * df); };
	const Case cases[] = {
		{0, (int)std::lround(mix(200, 64, a, 1 - a)), (int)std::lround(mix(100, 128, a, 1 - a)), (int)std::lround(mix(50, 192, a, 1 - a))},
		{7, (int)std::lround(mix(200, 64, a, 1 - a)), (int)std::lround(mix(100, 128, a, 1 - a)), (int)std::lround(mix(50, 192, a, 1 - a))},
		{1, (int)std::lround(mix(200, 64, a, 1)), (int)std::lround(mix(100, 128, a, 1)), (int)std::lround(mix(50, 192, a, 1))},
		{2, (int)std::lround(mix(200, 64, a, 1 - 200 / 255.0)), (int)std::lround(mix(100, 128, a, 1 - 100 / 255.0)),
		 (int)std::lround(mix(50, 192, a, 1 - 50 / 255.0))},
		{3, (int)std::lround(64 * (1 - 200 / 255.0)), (int)std::lround(128 * (1 - 100 / 255.0)),
		 (int)std::lround(192 * (1 - 50 / 255.0))},
	};
	for (const Case &c : cases) {
		begin_frame(0xC08040);
		call_builtin("draw_set_blend_mode", {c.mode});
		call_builtin("draw_sprite_stretched_ext", {1, 0, 10, 10, 20, 20, 0x3264C8, 0.5});
		call_builtin("draw_set_blend_mode", {0});
		read();
		EXPECT_TRUE(near_rgb(at(20, 20), c.r, c.g, c.b)) << "mode " << c.mode;
		EXPECT_TRUE(near_rgb(at(40, 40), 64, 128, 192, 0)) << "mode " << c.mode;
	}
	GR_D3D_Finish_Frame();
	EXPECT_EQ(GR_Settings().blend_src, BLEND_SRCALPHA);
	EXPECT_EQ(GR_Settings().blend_dest, BLEND_INVSRCALPHA);
}

TEST_F(Draw, BatchingSubmissions)
{
	begin_frame();
	GR_Batch_Flush();
	GraphicsStats &stats = GR_Stats();

	// Two sprites from one page: one submission.
	long before = stats.submissions;
	call_builtin("draw_sprite", {0, 0, 40, 40});
	call_builtin("draw_sprite", {1, 0, 80, 40});
	GR_Batch_Flush();
	EXPECT_EQ(stats.submissions - before, 1);

	// Another page in between: three.
	before = stats.submissions;
	call_builtin("draw_sprite", {0, 0, 40, 40});
	call_builtin("draw_sprite", {3, 0, 60, 40});
	call_builtin("draw_sprite", {1, 0, 80, 40});
	GR_Batch_Flush();
	EXPECT_EQ(stats.submissions - before, 3);

	// Strips never share a batch.
	before = stats.submissions;
	for (int i = 0; i < 2; i++) {
		Vertex16 *v = (Vertex16 *)GR_Batch_Alloc(PR_LINESTRIP, nullptr, 16, 3);
		ASSERT_NE(v, nullptr);
		for (int k = 0; k < 3; k++)
			v[k] = {(float)(10 * k), (float)(5 + i), 0, WHITE};
	}
	GR_Batch_Flush();
	EXPECT_EQ(stats.submissions - before, 2);

	// Filling the array exactly joins; one vertex more starts a new batch.
	before = stats.submissions;
	ASSERT_NE(GR_Batch_Alloc(PR_TRIANGLELIST, nullptr, 16, BATCH_VERTICES - 6), nullptr);
	ASSERT_NE(GR_Batch_Alloc(PR_TRIANGLELIST, nullptr, 16, 6), nullptr);
	EXPECT_EQ(GR_Batch_Count(), BATCH_VERTICES);
	EXPECT_EQ(stats.submissions - before, 0);
	ASSERT_NE(GR_Batch_Alloc(PR_TRIANGLELIST, nullptr, 16, 3), nullptr);
	EXPECT_EQ(stats.submissions - before, 1);
	EXPECT_EQ(GR_Batch_Count(), 3);
	GR_Batch_GiveBack(3);
	GR_Batch_Flush();
	EXPECT_EQ(stats.submissions - before, 1);

	// A state change flushes what is pending.
	before = stats.submissions;
	call_builtin("draw_sprite", {0, 0, 40, 40});
	call_builtin("texture_set_interpolation", {1});
	EXPECT_EQ(stats.submissions - before, 1);
	call_builtin("texture_set_interpolation", {0});
	GR_D3D_Finish_Frame();
}

TEST_F(Draw, CullingByTheBoundingRadius)
{
	begin_frame();
	GR_Batch_Flush();
	// 32 x 32 with origin (16, 16): radius 23.
	ASSERT_EQ(sprite_get(0)->bounding_radius, 23);
	call_builtin("draw_sprite", {0, 0, 128 + 1000, 40});
	EXPECT_EQ(GR_Batch_Count(), 0);
	call_builtin("draw_sprite", {0, 0, 128 + 22, 40});
	EXPECT_EQ(GR_Batch_Count(), 6);
	GR_Batch_Flush();
	draw_state().surface_target = 3; // drawing to a surface: no culling
	call_builtin("draw_sprite", {0, 0, 128 + 1000, 40});
	EXPECT_EQ(GR_Batch_Count(), 6);
	draw_state().surface_target = -1;
	GR_Batch_Flush();
	// The scaled forms widen the radius by the scale.
	call_builtin("draw_sprite_ext", {0, 0, 128 + 60, 40, 3, 1, 0, 0xFFFFFF, 1});
	EXPECT_EQ(GR_Batch_Count(), 6);
	GR_D3D_Finish_Frame();
}

TEST_F(Draw, FramesPartsAndNothingToDraw)
{
	begin_frame();
	GR_Batch_Flush();
	call_builtin("draw_sprite_stretched", {0, 0, 10, 10, 0, 20});
	EXPECT_EQ(GR_Batch_Count(), 0);
	call_builtin("draw_sprite_part", {0, 0, 40, 0, 10, 10, 10, 10});
	EXPECT_EQ(GR_Batch_Count(), 0);

	// Frame 7 of a three-frame sprite is frame 1: the white 8 x 8 image.
	begin_frame();
	call_builtin("draw_sprite", {4, 7, 0, 0});
	read();
	EXPECT_TRUE(near_rgb(at(7, 7), 255, 255, 255, 0));
	EXPECT_TRUE(near_rgb(at(8, 8), 0, 0, 0, 0));

	// A part: the green and white right half of the quadrant sprite.
	begin_frame();
	call_builtin("draw_sprite_part", {0, 0, 16, 0, 16, 32, 50, 50});
	read();
	EXPECT_TRUE(near_rgb(at(50, 50), 0, 255, 0, 0));
	EXPECT_TRUE(near_rgb(at(65, 81), 255, 255, 255, 0));
	EXPECT_TRUE(near_rgb(at(66, 60), 0, 0, 0, 0));

	// A missing sprite is an error and draws nothing.
	call_builtin("draw_sprite", {99, 0, 0, 0});
	EXPECT_EQ(error_last().find("Trying to draw non-existing sprite."), error_last().find("Trying"));
	EXPECT_NE(error_last().find("Trying to draw non-existing sprite."), std::string::npos);
	call_builtin("draw_background", {5, 0, 0});
	EXPECT_NE(error_last().find("Trying to draw non-existing background."), std::string::npos);
	GR_D3D_Finish_Frame();
}

TEST_F(Draw, ClearTouchesOnlyTheViewport)
{
	begin_frame(0x000000);
	GR_SetViewport(10, 20, 30, 40);
	call_builtin("draw_clear", {0x0000FF});
	GR_SetViewport(0, 0, 128, 128);
	read();
	EXPECT_TRUE(near_rgb(at(10, 20), 255, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(39, 59), 255, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(9, 30), 0, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(20, 60), 0, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(40, 30), 0, 0, 0, 0));
	GR_D3D_Finish_Frame();
}

} // namespace
