// draw_state.h: the drawing state of game code: the draw colour and alpha, the
// view rectangle being drawn (for culling), the surface target and the
// game-ortho flag.
#pragma once

#include <cstdint>

class CInstance;

// floor(image_index) of the instance.
int default_instance_frame(CInstance *self);

struct DrawState
{
	// Kept converted (0xAARRGGBB) with the draw alpha in the top byte: black,
	// alpha 1 at start.
	uint32_t colour = 0xFF000000u;
	uint8_t alpha = 255;
	double alpha_real = 1.0;
	// The area of the room being drawn.
	int view_left = 0, view_top = 0, view_right = 640, view_bottom = 480;
	int room_width = 640, room_height = 480; // the tiled forms cover the room
	int surface_target = -1;   // -1: the screen
	bool game_ortho = false;   // set by d3d_set_projection_ortho: no culling
	// The calling instance's floor(image_index), for frame arguments below 0.
	int (*instance_frame)(CInstance *self) = default_instance_frame;
};

DrawState &draw_state();

// The white of the draw alpha: 0x00FFFFFF with the alpha byte on top.
inline uint32_t white_with_draw_alpha(const DrawState &s) { return 0x00FFFFFFu | ((uint32_t)s.alpha << 24); }
