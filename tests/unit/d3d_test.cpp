// d3d_test.cpp: primitives built vertex by vertex (plain, coloured, textured
// through a page entry, the 1001-vertex limit), the world-matrix stack, lights,
// fog, shading, shapes, and models with their file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "builtin_call.h"
#include "code/errors.h"
#include "graphics/d3d.h"
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/images.h"
#include "graphics_fixture.h"
#include "test_util.h"

namespace {

constexpr uint32_t RED = 0xFFFF0000u, GREEN = 0xFF00FF00u, BLUE = 0xFF0000FFu, WHITE = 0xFFFFFFFFu;

// A 32 x 32 page holding a 16 x 16 sprite at (16, 0): left half red, right blue.
ImageChunks d3d_images()
{
	ImageChunks c;
	c.pages.push_back(png_of(32, 32, [](int x, int y) { return y < 16 && x >= 16 ? (x < 24 ? RED : BLUE) : GREEN; }));
	EntrySpec e;
	e.source_x = 16;
	e.source_width = e.target_width = e.bounding_width = 16;
	e.source_height = e.target_height = e.bounding_height = 16;
	c.entries = {e};
	SpriteSpec s;
	s.name = "spr";
	s.width = s.height = 16;
	s.frames = {0};
	c.sprites = {s};
	return c;
}

class D3D : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(display.ok());
		ASSERT_EQ(load_images(game, d3d_images()), "");
		models_clear_all();
		transform_clear();
	}
	void TearDown() override
	{
		call_builtin("d3d_end");
		call_builtin("d3d_set_lighting", {0});
		call_builtin("d3d_set_fog", {0, 0, 0, 1});
		call_builtin("d3d_set_shading", {1});
		call_builtin("d3d_transform_set_identity");
	}
	uint32_t at(int x, int y) const { return pixels[(size_t)y * w + x]; }
	void read() { pixels = screen_pixels(w, h); }
	// A quad from (x1, y1) to (x2, y2) of 36-byte vertices with a normal.
	void quad(float x1, float y1, float x2, float y2, float nz, uint32_t colour)
	{
		call_builtin("d3d_primitive_begin", {PR_TRIANGLESTRIP});
		for (auto [x, y] : {std::pair{x1, y1}, {x2, y1}, {x1, y2}, {x2, y2}})
			call_builtin("d3d_vertex_normal_color", {x, y, 0, 0, 0, nz, (double)colour, 1});
		call_builtin("d3d_primitive_end");
	}

	HeadlessDisplay display{64, 64, 64, 64};
	GameData game;
	std::vector<uint32_t> pixels;
	int w = 0, h = 0;
};

} // namespace

TEST_F(D3D, PrimitivesVertexByVertex)
{
	begin_frame();
	// A coloured triangle list: two triangles making the square (0,0)-(16,16).
	call_builtin("draw_primitive_begin", {PR_TRIANGLELIST});
	for (auto [x, y] : {std::pair{0, 0}, {16, 0}, {16, 16}, {16, 16}, {0, 16}, {0, 0}})
		call_builtin("draw_vertex_color", {x, y, 0xFF0000, 1}); // blue
	call_builtin("draw_primitive_end");
	// The sprite's texture handle: (0, 0)-(1, 1) covers the packed image only.
	double texture = call_builtin("sprite_get_texture", {0, 0}).real();
	call_builtin("draw_set_color", {0xFFFFFF}); // the texture is modulated by the draw colour
	call_builtin("draw_primitive_begin_texture", {PR_TRIANGLESTRIP, texture});
	for (auto [x, y] : {std::pair{32, 0}, {64, 0}, {32, 32}, {64, 32}})
		call_builtin("draw_vertex_texture", {x, y, (x - 32) / 32.0, y / 32.0});
	call_builtin("draw_primitive_end");
	// An unknown texture handle and a kind outside 1-6 draw nothing.
	for (double t : {12345.0, -1.0}) {
		call_builtin("draw_primitive_begin_texture", {t == -1 ? 9 : PR_TRIANGLESTRIP, t});
		for (auto [x, y] : {std::pair{0, 40}, {16, 40}, {0, 56}, {16, 56}})
			call_builtin("draw_vertex", {x, y});
		call_builtin("draw_primitive_end");
	}
	read();
	save_for_viewing(pixels, w, h, "d3d_primitives.png");
	EXPECT_EQ(at(8, 8), BLUE);
	EXPECT_EQ(at(36, 16), RED);
	EXPECT_EQ(at(60, 16), BLUE);
	EXPECT_EQ(at(8, 48), 0xFF000000u);
	call_builtin("draw_set_color", {0});

	// Vertices past 1001 are ignored.
	call_builtin("draw_primitive_begin", {PR_POINTLIST});
	for (int i = 0; i < 1500; i++)
		call_builtin("draw_vertex", {0, 0});
	EXPECT_EQ(primitive_vertex_count(), PRIMITIVE_MAX_VERTICES);
	call_builtin("draw_primitive_end");
	GR_D3D_Finish_Frame();
}

TEST_F(D3D, WorldTransformStack)
{
	float p[3];
	call_builtin("d3d_transform_set_translation", {10, 0, 0});
	call_builtin("d3d_transform_add_rotation_z", {90}); // counter-clockwise on screen
	transform_point(0, 0, 0, p);
	EXPECT_NEAR(p[0], 0, 1e-4);
	EXPECT_NEAR(p[1], -10, 1e-4);
	EXPECT_EQ(call_builtin("d3d_transform_stack_empty").real(), 1);
	EXPECT_EQ(call_builtin("d3d_transform_stack_push").real(), 1);
	call_builtin("d3d_transform_set_scaling", {2, 3, 4});
	transform_point(1, 1, 1, p);
	EXPECT_FLOAT_EQ(p[1], 3);
	EXPECT_EQ(call_builtin("d3d_transform_stack_top").real(), 1);
	transform_point(0, 0, 0, p);
	EXPECT_NEAR(p[1], -10, 1e-4);
	EXPECT_EQ(call_builtin("d3d_transform_stack_empty").real(), 0);
	EXPECT_EQ(call_builtin("d3d_transform_stack_pop").real(), 1);
	EXPECT_EQ(call_builtin("d3d_transform_stack_pop").real(), 0);
	EXPECT_EQ(call_builtin("d3d_transform_stack_discard").real(), 0);
	for (int i = 0; i < 40; i++)
		call_builtin("d3d_transform_stack_push");
	EXPECT_EQ(call_builtin("d3d_transform_stack_push").real(), 0); // the stack has its limit
	call_builtin("d3d_transform_stack_clear");
	EXPECT_EQ(call_builtin("d3d_transform_stack_empty").real(), 1);
}

// A white directional light shining into the screen lights a face turned to
// the viewer fully and one turned away only with the ambient colour; fog mixes
// by the distance from the eye; flat shading takes the first vertex's colour.
TEST_F(D3D, LightsFogAndShading)
{
	begin_frame();
	call_builtin("d3d_set_lighting", {1});
	call_builtin("d3d_light_define_ambient", {0x404040});
	call_builtin("d3d_light_define_direction", {0, 0, 0, 1, 0xFFFFFF});
	call_builtin("d3d_light_enable", {0, 1});
	quad(0, 0, 16, 16, -1, 0x0000FF); // red, facing the viewer
	quad(16, 0, 32, 16, 1, 0x0000FF); // red, facing away
	call_builtin("d3d_light_enable", {0, 0});
	quad(32, 0, 48, 16, -1, 0x0000FF); // the light off: ambient only
	call_builtin("d3d_set_lighting", {0});

	// The eye of 2D drawing stands 16000 before z = 0: half way from 0 to 32000.
	call_builtin("d3d_set_fog", {1, 0xFF0000, 0, 32000});
	quad(0, 32, 16, 48, -1, 0xFFFFFF);
	call_builtin("d3d_set_fog", {0, 0, 0, 1});

	call_builtin("d3d_set_shading", {0});
	call_builtin("d3d_primitive_begin", {PR_TRIANGLELIST});
	call_builtin("d3d_vertex_color", {32, 32, 0, 0x00FF00, 1});
	call_builtin("d3d_vertex_color", {64, 32, 0, 0x0000FF, 1});
	call_builtin("d3d_vertex_color", {32, 64, 0, 0xFF0000, 1});
	call_builtin("d3d_primitive_end");
	read();
	save_for_viewing(pixels, w, h, "d3d_lights.png");
	EXPECT_TRUE(near_rgb(at(8, 8), 255, 0, 0));
	EXPECT_TRUE(near_rgb(at(24, 8), 64, 0, 0));
	EXPECT_TRUE(near_rgb(at(40, 8), 64, 0, 0));
	EXPECT_TRUE(near_rgb(at(8, 40), 127, 127, 255, 3)); // white half way to blue
	EXPECT_TRUE(near_rgb(at(36, 36), 0, 255, 0));
	EXPECT_TRUE(near_rgb(at(40, 45), 0, 255, 0));
	GR_D3D_Finish_Frame();
}

TEST_F(D3D, ShapesAndProjections)
{
	begin_frame();
	call_builtin("draw_set_color", {0x00FF00});
	call_builtin("d3d_draw_floor", {0, 0, 0, 16, 16, 0, -1, 1, 1});
	call_builtin("d3d_draw_wall", {20, 8, -10, 40, 8, 10, -1, 1, 1}); // edge on: nothing to see
	call_builtin("d3d_draw_cylinder", {32, 32, -8, 64, 64, 8, -1, 1, 1, 1, 24});
	read();
	save_for_viewing(pixels, w, h, "d3d_shapes.png");
	EXPECT_TRUE(near_rgb(at(8, 8), 0, 255, 0));
	EXPECT_TRUE(near_rgb(at(48, 48), 0, 255, 0));
	EXPECT_TRUE(near_rgb(at(33, 33), 0, 0, 0)); // outside the circle
	EXPECT_TRUE(near_rgb(at(30, 8), 0, 0, 0));
	call_builtin("draw_set_color", {0});

	// The ortho projection of a region turns culling off; the others turn it back on.
	call_builtin("d3d_set_projection_ortho", {0, 0, 32, 32, 0});
	EXPECT_TRUE(draw_state().game_ortho);
	call_builtin("d3d_set_projection_perspective", {0, 0, 32, 32, 0});
	EXPECT_FALSE(draw_state().game_ortho);
	call_builtin("d3d_start");
	EXPECT_TRUE(GR_Settings().mode_3d && GR_Settings().perspective && GR_Settings().zenable);
	call_builtin("d3d_end");
	EXPECT_FALSE(GR_Settings().mode_3d || GR_Settings().perspective || GR_Settings().zenable);
	GR_D3D_Finish_Frame();
}

TEST_F(D3D, ModelsDrawSaveAndLoad)
{
	int m = (int)call_builtin("d3d_model_create").real();
	call_builtin("d3d_model_primitive_begin", {m, PR_TRIANGLESTRIP});
	for (auto [x, y] : {std::pair{0, 0}, {16, 0}, {0, 16}, {16, 16}})
		call_builtin("d3d_model_vertex_color", {m, x, y, 0, 0xFFFFFF, 1});
	call_builtin("d3d_model_primitive_end", {m});
	call_builtin("d3d_model_block", {m, 40, 40, -4, 48, 48, 4, 1, 1});

	std::string path = ::testing::TempDir() + "model.d3d";
	call_builtin("d3d_model_save", {m, Value(path.c_str())});
	int copy = (int)call_builtin("d3d_model_create").real();
	call_builtin("d3d_model_load", {copy, Value(path.c_str())});
	EXPECT_FALSE(error_occurred());

	begin_frame();
	call_builtin("draw_set_color", {0xFF0000});
	call_builtin("d3d_model_draw", {copy, 8, 8, 0, -1}); // moved by (8, 8)
	read();
	EXPECT_EQ(at(4, 4), 0xFF000000u);
	EXPECT_EQ(at(12, 12), WHITE);
	EXPECT_EQ(at(52, 52), BLUE); // the block in the draw colour
	GR_D3D_Finish_Frame();
	call_builtin("draw_set_color", {0});

	// Damaged files are refused with the reason and leave the model as it was.
	for (const char *text : {"99\n0\n", "100\n2\n0 4 0 0 0 0 0 0 0 0 0\n", "100\n1\n77 0 0 0 0 0 0 0 0 0 0\n",
	                         "100\n1\n2 nan 0 0 0 0 0 0 0 0 0\n"}) {
		std::ofstream(path) << text;
		clear_error_state();
		call_builtin("d3d_model_load", {copy, Value(path.c_str())});
		EXPECT_TRUE(error_occurred()) << text;
	}
	clear_error_state();
	std::remove(path.c_str());
}
