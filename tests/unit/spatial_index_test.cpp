// spatial_index_test.cpp: the grid of boxes against a plain walk of the room
// while instances move a few at a time (filed in place, or beside a full cell),
// crowd into one cell, leave the grid far behind, lose and regain their shape,
// and are created and destroyed.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "collision_fixture.h"
#include "world/spatial_index.h"

namespace {

bool box_meets(CInstance &i, const BoxArea &a)
{
	refresh_bbox(i);
	return mask_sprite(i) && i.bbox_left != NO_BOX && i.bbox_left <= a.right && i.bbox_right >= a.left &&
	       i.bbox_top <= a.bottom && i.bbox_bottom >= a.top;
}

} // namespace

TEST_F(CollisionFixture, IndexFollowsFewMovesCrowdsAndFarBoxes)
{
	std::mt19937 rng(19);
	auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
	int small = object(block(6)), medium = object(block(20)), huge = object(block(400)), shapeless = object(-1);
	int kinds[] = {small, small, small, medium, shapeless};
	auto spawn = [&] { make(kinds[rng() % 5], uniform(0, 400), uniform(0, 400)); };
	for (int n = 0; n < 300; n++)
		spawn();
	// A crowd in one spot: moves into it find its cell full, moves out of it
	// leave room there.
	for (int n = 0; n < 20; n++)
		make(small, 200 + uniform(0, 3), 200 + uniform(0, 3));
	make(huge, 50, 50);
	// Where moved instances go: near by, all into one spot, or far outside.
	auto move = [&](CInstance &i) {
		switch (rng() % 6) {
		case 0:
		case 1: set_instance_position(i, i.x + uniform(-30, 30), i.y + uniform(-30, 30)); break;
		case 2: set_instance_position(i, 200 + uniform(0, 3), 200 + uniform(0, 3)); break;
		case 3: set_instance_position(i, uniform(-1e7f, 1e7f), uniform(-1e9f, 1e9f)); break;
		case 4: set_instance_position(i, uniform(0, 400), uniform(0, 400)); break;
		default: set_instance_sprite(i, i.sprite_index >= 0 ? -1 : object_table().find(small)->sprite_index);
		}
	};
	for (int round = 0; round < 60; round++) {
		std::vector<CInstance *> all = live_active_instances();
		// A few at a time, so that they are filed one by one.
		for (int k = 0; k < 8; k++)
			move(*all[rng() % all.size()]);
		if (round % 15 == 14) {
			for (int k = 0; k < 10; k++)
				all[rng() % all.size()]->marked = true;
			remove_marked(*room);
			for (int k = 0; k < 10; k++)
				spawn();
			all = live_active_instances();
		}
		for (int q = 0; q < 25; q++) {
			float x = uniform(-100, 500), y = uniform(-100, 500), w = uniform(0, 60), h = uniform(0, 60);
			BoxArea area{(int64_t)x, (int64_t)y, (int64_t)(x + w), (int64_t)(y + h)};
			if (q % 5 == 0) // far outside the grid, or over all of it
				area = q % 10 ? BoxArea{-20000000, -2000000000, 20000000, 2000000000}
				              : BoxArea{(int64_t)(x * 1e5f), (int64_t)(y * 1e6f), (int64_t)(x * 1e5f) + 1000000,
				                        (int64_t)(y * 1e6f) + 1000000000};
			std::vector<CInstance *> found = sorted_candidates(area);
			ASSERT_EQ(std::adjacent_find(found.begin(), found.end()), found.end()) << "an instance twice";
			for (CInstance *i : all) {
				bool listed = std::binary_search(found.begin(), found.end(), i);
				if (box_meets(*i, area))
					ASSERT_TRUE(listed) << "round " << round << " instance " << i->id << " at " << i->x << "," << i->y;
				else if (listed)
					ASSERT_EQ(i->object_index, huge) << "only boxes too big for cells come unasked";
			}
		}
	}
	EXPECT_GT(spatial_index().size(), 300u);
}
