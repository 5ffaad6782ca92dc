// tiles_test.cpp: the tile_* built-ins over the room's tile list, and drawing
// a tile as a region of its background.
#include <gtest/gtest.h>

#include "builtin_call.h"
#include "code/errors.h"
#include "graphics/graphics.h"
#include "graphics/images.h"
#include "graphics/tiles.h"
#include "graphics_fixture.h"

namespace {

// One background: 16 x 16, left half red, right half blue.
ImageChunks tile_images()
{
	ImageChunks c;
	c.pages.push_back(png_of(16, 16, [](int x, int) { return x < 8 ? 0xFFFF0000u : 0xFF0000FFu; }));
	EntrySpec e;
	e.source_width = e.target_width = e.bounding_width = 16;
	e.source_height = e.target_height = e.bounding_height = 16;
	c.entries = {e};
	BackgroundSpec b;
	b.name = "bg";
	c.backgrounds = {b};
	return c;
}

double add(double x, double y, double depth, double left = 0, double top = 0, double w = 16, double h = 16)
{
	return call_builtin("tile_add", {0, left, top, w, h, x, y, depth}).real();
}

class Tiles : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(display.ok());
		ASSERT_EQ(load_images(game, tile_images()), "");
		room_tiles() = TileList();
		room_tiles().last_id = 10000000;
	}
	HeadlessDisplay display{64, 64, 64, 64};
	GameData game;
};

} // namespace

TEST_F(Tiles, AddFindAndDelete)
{
	EXPECT_EQ(call_builtin("tile_add", {3, 0, 0, 16, 16, 0, 0, 0}).real(), -1);
	EXPECT_NE(error_last().find("Background does not exist."), std::string::npos);

	double a = add(0, 0, 10), b = add(16, 0, -5), c = add(32, 0, 10);
	EXPECT_EQ(a, 10000001);
	EXPECT_EQ(b, 10000002);
	EXPECT_EQ(call_builtin("tile_get_blend", {a}).real(), 0xFFFFFF);
	EXPECT_EQ(call_builtin("tile_get_alpha", {a}).real(), 1);
	EXPECT_EQ(call_builtin("tile_get_visible", {a}).real(), 1);

	// Find: left and top edges in, right and bottom out; foreground means depth < 0.
	EXPECT_EQ(call_builtin("tile_find", {16, 0, 0}).real(), -1);
	EXPECT_EQ(call_builtin("tile_find", {15.5, 15.5, 0}).real(), a);
	EXPECT_EQ(call_builtin("tile_find", {16, 0, 1}).real(), b);
	EXPECT_EQ(call_builtin("tile_find", {40, 3, 0}).real(), c);
	EXPECT_EQ(call_builtin("tile_layer_find", {10, 32, 0}).real(), c);
	EXPECT_EQ(call_builtin("tile_layer_find", {10, 48, 0}).real(), -1);

	// Delete keeps the order of the others.
	call_builtin("tile_delete", {b});
	EXPECT_EQ(call_builtin("tile_exists", {b}).real(), 0);
	ASSERT_EQ(room_tiles().tiles.size(), 2u);
	EXPECT_EQ(room_tiles().tiles[0].id, a);
	EXPECT_EQ(room_tiles().tiles[1].id, c);
	call_builtin("tile_delete", {b});
	EXPECT_NE(error_last().find("Tile does not exist."), std::string::npos);
	clear_error_state();

	// Delete at a point: edges included, by depth sign.
	call_builtin("tile_delete_at", {16, 16, 1}); // foreground: depth <= 0; both are 10
	EXPECT_EQ(room_tiles().tiles.size(), 2u);
	call_builtin("tile_delete_at", {16, 16, 0}); // the corner of a, the left edge of nothing else
	ASSERT_EQ(room_tiles().tiles.size(), 1u);
	EXPECT_EQ(room_tiles().tiles[0].id, c);
}

TEST_F(Tiles, LayersAndFields)
{
	double a = add(0, 0, 100), b = add(16, 0, 100), c = add(0, 32, 50);
	call_builtin("tile_layer_hide", {100});
	EXPECT_EQ(call_builtin("tile_get_visible", {a}).real(), 0);
	EXPECT_EQ(call_builtin("tile_get_visible", {c}).real(), 1);
	call_builtin("tile_layer_show", {100});
	EXPECT_EQ(call_builtin("tile_get_visible", {b}).real(), 1);
	call_builtin("tile_layer_shift", {100, 5, -2});
	EXPECT_EQ(call_builtin("tile_get_x", {b}).real(), 21);
	EXPECT_EQ(call_builtin("tile_get_y", {b}).real(), -2);
	call_builtin("tile_layer_depth", {100, 60});
	EXPECT_EQ(call_builtin("tile_get_depth", {a}).real(), 60);
	call_builtin("tile_layer_delete_at", {60, 21, 0});
	EXPECT_EQ(call_builtin("tile_exists", {b}).real(), 0);
	call_builtin("tile_layer_delete", {60});
	EXPECT_EQ(call_builtin("tile_exists", {a}).real(), 0);
	EXPECT_EQ(call_builtin("tile_exists", {c}).real(), 1);

	call_builtin("tile_set_scale", {c, 2, 0.5});
	call_builtin("tile_set_region", {c, 1, 2, 3, 4});
	call_builtin("tile_set_blend", {c, 0x123456});
	call_builtin("tile_set_alpha", {c, 0.25});
	call_builtin("tile_set_position", {c, 7, 8});
	EXPECT_EQ(call_builtin("tile_get_xscale", {c}).real(), 2);
	EXPECT_EQ(call_builtin("tile_get_yscale", {c}).real(), 0.5);
	EXPECT_EQ(call_builtin("tile_get_left", {c}).real(), 1);
	EXPECT_EQ(call_builtin("tile_get_height", {c}).real(), 4);
	EXPECT_EQ(call_builtin("tile_get_blend", {c}).real(), 0x123456);
	EXPECT_EQ(call_builtin("tile_get_alpha", {c}).real(), 0.25);
	EXPECT_EQ(call_builtin("tile_get_x", {c}).real(), 7);
	EXPECT_EQ(call_builtin("tile_get_background", {c}).real(), 0);
	call_builtin("tile_get_x", {12345});
	EXPECT_NE(error_last().find("Tile does not exist."), std::string::npos);
	clear_error_state();
}

TEST_F(Tiles, DrawnAsARegionOfTheBackground)
{
	// The right half (blue) of the background, scaled 2 x 1.
	double t = add(10, 20, 0, 8, 0, 8, 16);
	call_builtin("tile_set_scale", {t, 2, 1});
	begin_frame();
	tile_draw(*room_tiles().find((int32_t)t));
	int w = 0, h = 0;
	std::vector<uint32_t> px = screen_pixels(w, h);
	auto at = [&](int x, int y) { return px[(size_t)y * w + x]; };
	EXPECT_TRUE(near_rgb(at(10, 20), 0, 0, 255, 0));
	EXPECT_TRUE(near_rgb(at(25, 35), 0, 0, 255, 0));
	EXPECT_TRUE(near_rgb(at(26, 30), 0, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(9, 30), 0, 0, 0, 0));
	EXPECT_TRUE(near_rgb(at(15, 36), 0, 0, 0, 0));

	// A hidden tile draws nothing.
	call_builtin("tile_set_visible", {t, 0});
	GR_Batch_Flush();
	tile_draw(*room_tiles().find((int32_t)t));
	EXPECT_EQ(GR_Batch_Count(), 0);
	GR_D3D_Finish_Frame();
}
