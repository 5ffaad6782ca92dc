// input_view_test.cpp: the mouse in room coordinates through the views of a
// room, checked against the drawing of those views (so it needs the display).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "graphics/graphics.h"
#include "graphics/matrix.h"
#include "graphics/room_draw.h"
#include "graphics_fixture.h"
#include "input/input.h"
#include "run/rooms.h"

// The mouse lands on what is drawn under it: a room point drawn through a
// view (the view's camera, its port on the screen by the port scale) maps back
// to itself, for rotated views too, and the port under the point picks the view.
TEST(InputViews, TheMouseMapsBackToTheRoomPointDrawnUnderIt)
{
	HeadlessDisplay display(200, 100, 200, 100);
	ASSERT_TRUE(display.ok());
	CRoom room;
	room.record.views_enabled = true;
	room.record.views.resize(8);
	// Ports span 400 x 200 on a 200 x 100 screen: a port scale of 1/2.
	auto set_view = [&](int k, float angle, int32_t xview, int32_t xport) {
		RoomView &v = room.record.views[(size_t)k];
		v.visible = true;
		v.angle = angle;
		v.xview = xview;
		v.yview = 40;
		v.wview = v.hview = 100;
		v.xport = xport;
		v.wport = v.hport = 200;
	};
	struct Case
	{
		float angle0, angle1;
	};
	const Case cases[] = {{0, 0}, {30, -90}, {90, 180}, {-45, 12.5f}};
	for (const Case &c : cases) {
		set_view(0, c.angle0, 0, 0);
		set_view(1, c.angle1, 500, 200);
		views_follow(room);
		for (int k = 0; k < 2; k++) {
			const RoomView &v = room.record.views[(size_t)k];
			GR_SetViewArea((float)v.xview, (float)v.yview, (float)v.wview, (float)v.hview, v.angle);
			Matrix4 m = GR_GetTransform(0) * GR_GetTransform(1);
			const float points[][2] = {{v.xview + 50.0f, 90}, {v.xview + 20.0f, 60}, {v.xview + 85.0f, 110}};
			for (auto &rp : points) {
				float ndc[3];
				m.transform_point(rp[0], rp[1], 0, ndc);
				// The view's viewport on the screen, as the draw pass sets it.
				double sx = v.xport / 2 + (ndc[0] + 1) / 2 * (v.wport / 2);
				double sy = v.yport / 2 + (1 - ndc[1]) / 2 * (v.hport / 2);
				float x, y;
				screen_to_room(room, (int32_t)std::lround(sx), (int32_t)std::lround(sy), x, y);
				SCOPED_TRACE("view " + std::to_string(k) + " at angle " + std::to_string(v.angle) + ", point " +
				             std::to_string(rp[0]) + "," + std::to_string(rp[1]));
				// One screen pixel is half a room pixel here.
				EXPECT_NEAR(x, rp[0], 0.75);
				EXPECT_NEAR(y, rp[1], 0.75);
			}
		}
	}
}
