// ds_grid_test.cpp: grids: cells, rectangles, disks, regions of grids,
// statistics, searches, resizing and shuffling.
#include <gmock/gmock.h>

#include <algorithm>
#include <vector>

#include "ds_fixture.h"

namespace {

// The grid's reals row by row, for compact expectations.
std::vector<double> cells(const Value &g)
{
	std::vector<double> out;
	int w = (int)call_builtin("ds_grid_width", {g}).real(), h = (int)call_builtin("ds_grid_height", {g}).real();
	for (int y = 0; y < h; y++)
		for (int x = 0; x < w; x++)
			out.push_back(call_builtin("ds_grid_get", {g, x, y}).real());
	return out;
}

} // namespace

TEST_F(DsTest, GridCellsAndTheirOperations)
{
	Value g = call_builtin("ds_grid_create", {3, 2});
	EXPECT_EQ(cells(g), std::vector<double>(6, 0.0));
	call_builtin("ds_grid_set", {g, 1, 1, 5});
	call_builtin("ds_grid_add", {g, 1, 1, 2});
	call_builtin("ds_grid_multiply", {g, 1, 1, 3});
	EXPECT_EQ(real_of(call_builtin("ds_grid_get", {g, 1, 1})), 21);
	// Outside the grid: ignored, and reads give 0.
	call_builtin("ds_grid_set", {g, 3, 0, 9});
	call_builtin("ds_grid_set", {g, -1, 0, 9});
	EXPECT_EQ(real_of(call_builtin("ds_grid_get", {g, 3, 0})), 0);
	EXPECT_EQ(cells(g), (std::vector<double>{0, 0, 0, 0, 21, 0}));
	// A string added to a real replaces it; multiplying by a string does nothing.
	call_builtin("ds_grid_add", {g, 0, 0, S("ab")});
	call_builtin("ds_grid_multiply", {g, 1, 1, S("x")});
	EXPECT_EQ(text_of(call_builtin("ds_grid_get", {g, 0, 0})), "ab");
	EXPECT_EQ(real_of(call_builtin("ds_grid_get", {g, 1, 1})), 21);
	call_builtin("ds_grid_multiply", {g, 0, 0, 2});
	EXPECT_EQ(text_of(call_builtin("ds_grid_get", {g, 0, 0})), "ab");
	// Strings join whole, however long.
	std::string longer(3000, 'z');
	call_builtin("ds_grid_add", {g, 0, 0, S(longer.c_str())});
	EXPECT_EQ(text_of(call_builtin("ds_grid_get", {g, 0, 0})), "ab" + longer);
	// A real added to a string replaces it.
	call_builtin("ds_grid_add", {g, 0, 0, 4});
	EXPECT_EQ(real_of(call_builtin("ds_grid_get", {g, 0, 0})), 4);
	call_builtin("ds_grid_clear", {g, 7});
	EXPECT_EQ(cells(g), std::vector<double>(6, 7.0));
}

TEST_F(DsTest, GridRegionsTakeCornersInAnyOrderAndClip)
{
	struct Case
	{
		double x1, y1, x2, y2;
		std::vector<double> expect; // 4 × 3, row by row
	};
	const Case cases[] = {
		{1, 0, 2, 1, {0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0}},
		{2, 1, 1, 0, {0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0}},
		{-5, 2, 0, 9, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
		{3, 0, 99, 0, {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
		{4, 0, 9, 9, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
		{-2e9, -2e9, 2e9, 2e9, std::vector<double>(12, 1.0)},
	};
	for (const Case &c : cases) {
		Value g = call_builtin("ds_grid_create", {4, 3});
		call_builtin("ds_grid_set_region", {g, c.x1, c.y1, c.x2, c.y2, 1});
		EXPECT_EQ(cells(g), c.expect) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
		call_builtin("ds_grid_destroy", {g});
	}
	Value g = call_builtin("ds_grid_create", {4, 3});
	call_builtin("ds_grid_set_region", {g, 0, 0, 3, 2, 2});
	call_builtin("ds_grid_add_region", {g, 0, 0, 1, 0, 3});
	call_builtin("ds_grid_multiply_region", {g, 1, 0, 1, 2, 10});
	EXPECT_EQ(cells(g), (std::vector<double>{5, 50, 2, 2, 2, 20, 2, 2, 2, 20, 2, 2}));
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_sum", {g, 0, 0, 3, 2})), 111);
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_max", {g, 3, 2, 0, 0})), 50);
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_min", {g, 0, 0, 3, 2})), 2);
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_mean", {g, 0, 0, 1, 1})), 19.25);
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_mean", {g, 10, 10, 20, 20})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_max", {g, 10, 10, 20, 20})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_exists", {g, 0, 0, 3, 2, 20})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_x", {g, 0, 0, 3, 2, 20})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_y", {g, 0, 0, 3, 2, 20})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_exists", {g, 2, 0, 3, 2, 20})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_x", {g, 2, 0, 3, 2, 20})), -1);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_exists", {g, 0, 0, 3, 2, S("20")})), 0);
}

TEST_F(DsTest, GridDisks)
{
	Value g = call_builtin("ds_grid_create", {5, 5});
	call_builtin("ds_grid_set_disk", {g, 2, 2, 1, 1});
	EXPECT_EQ(cells(g), (std::vector<double>{0, 0, 0, 0, 0, //
	                                        0, 0, 1, 0, 0, //
	                                        0, 1, 1, 1, 0, //
	                                        0, 0, 1, 0, 0, //
	                                        0, 0, 0, 0, 0}));
	call_builtin("ds_grid_add_disk", {g, 0, 0, 1.5, 2});
	EXPECT_EQ(cells(g), (std::vector<double>{2, 2, 0, 0, 0, //
	                                        2, 2, 1, 0, 0, //
	                                        0, 1, 1, 1, 0, //
	                                        0, 0, 1, 0, 0, //
	                                        0, 0, 0, 0, 0}));
	call_builtin("ds_grid_multiply_disk", {g, 2, 2, 0, 5});
	EXPECT_EQ(real_of(call_builtin("ds_grid_get", {g, 2, 2})), 5);
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_disk_sum", {g, 2, 2, 1})), 9);
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_disk_max", {g, 2, 2, 1})), 5);
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_disk_min", {g, 0, 0, 1})), 2);
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_disk_mean", {g, 2, 2, 1})), 9.0 / 5.0);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_disk_exists", {g, 4, 4, 2, 5})), 0);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_disk_exists", {g, 4, 4, 3, 5})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_disk_x", {g, 3, 1, 1, 1})), 2);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_disk_y", {g, 3, 1, 1, 1})), 1);
	EXPECT_EQ(real_of(call_builtin("ds_grid_value_disk_x", {g, 3, 1, 1, 9})), -1);
	// A negative, huge or undefined radius is harmless.
	call_builtin("ds_grid_set_disk", {g, 2, 2, -1, 9});
	call_builtin("ds_grid_set_disk", {g, 2, 2, NAN, 9});
	EXPECT_EQ(real_of(call_builtin("ds_grid_get_disk_sum", {g, 2, 2, 1e300})), 17);
}

TEST_F(DsTest, GridRegionsOfGrids)
{
	Value a = call_builtin("ds_grid_create", {3, 3});
	for (int x = 0; x < 3; x++)
		for (int y = 0; y < 3; y++)
			call_builtin("ds_grid_set", {a, x, y, 1 + x + 3 * y});
	Value b = call_builtin("ds_grid_create", {3, 3});
	call_builtin("ds_grid_set_grid_region", {b, a, 1, 1, 2, 2, 0, 0});
	EXPECT_EQ(cells(b), (std::vector<double>{5, 6, 0, 8, 9, 0, 0, 0, 0}));
	call_builtin("ds_grid_add_grid_region", {b, a, 0, 0, 0, 0, 2, 2});
	call_builtin("ds_grid_multiply_grid_region", {b, a, 1, 0, 1, 0, 0, 0});
	EXPECT_EQ(cells(b), (std::vector<double>{10, 6, 0, 8, 9, 0, 0, 0, 1}));
	// Overlapping regions of one grid read the cells as they were.
	call_builtin("ds_grid_set_grid_region", {a, a, 0, 0, 1, 2, 1, 0});
	EXPECT_EQ(cells(a), (std::vector<double>{1, 1, 2, 4, 4, 5, 7, 7, 8}));
	// The given corner lands on (xpos, ypos) even where the source clips it.
	Value c = call_builtin("ds_grid_create", {3, 3});
	call_builtin("ds_grid_set_grid_region", {c, b, -1, -1, 0, 0, 0, 0});
	EXPECT_EQ(cells(c), (std::vector<double>{0, 0, 0, 0, 10, 0, 0, 0, 0}));
}

TEST_F(DsTest, GridSizesResizeCopyAndShuffle)
{
	Value g = call_builtin("ds_grid_create", {2, 2});
	call_builtin("ds_grid_set", {g, 0, 0, 1});
	call_builtin("ds_grid_set", {g, 1, 1, S("d")});
	call_builtin("ds_grid_resize", {g, 3, 1});
	EXPECT_EQ(real_of(call_builtin("ds_grid_width", {g})), 3);
	EXPECT_EQ(real_of(call_builtin("ds_grid_height", {g})), 1);
	EXPECT_EQ(cells(g), (std::vector<double>{1, 0, 0}));
	{
		ConsoleCapture capture;
		EXPECT_EQ(real_of(call_builtin("ds_grid_create", {-1, 4})), -1);
		call_builtin("ds_grid_resize", {g, 100000, 100000});
		EXPECT_THAT(capture.text(), ::testing::HasSubstr("ds_grid_resize: the size 100000 x 100000 is not allowed"));
	}
	EXPECT_EQ(real_of(call_builtin("ds_grid_width", {g})), 3);
	Value empty = call_builtin("ds_grid_create", {0, 5});
	EXPECT_EQ(real_of(call_builtin("ds_grid_get", {empty, 0, 0})), 0);
	call_builtin("ds_grid_shuffle", {empty});
	call_builtin("ds_grid_copy", {empty, g});
	EXPECT_EQ(cells(empty), (std::vector<double>{1, 0, 0}));

	Value s = call_builtin("ds_grid_create", {4, 4});
	for (int i = 0; i < 16; i++)
		call_builtin("ds_grid_set", {s, i % 4, i / 4, i});
	call_builtin("ds_grid_shuffle", {s});
	std::vector<double> got = cells(s), sorted = got;
	std::sort(sorted.begin(), sorted.end());
	for (int i = 0; i < 16; i++)
		EXPECT_EQ(sorted[(size_t)i], i);
	EXPECT_NE(got, sorted);
}
