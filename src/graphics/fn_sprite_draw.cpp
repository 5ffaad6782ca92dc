// fn_sprite_draw.cpp: the draw_sprite* and draw_background* built-ins and the
// texture handles of sprites and backgrounds.
#include <cmath>

#include "code/builtin_args.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/value.h"
#include "graphics/draw_state.h"
#include "graphics/images.h"
#include "graphics/sprite_draw.h"

namespace {

#define REAL(i) arg_real(argc, args, i)
#define F(i) (float)arg_real(argc, args, i)
#define INT(i) (int)real_to_index((float)arg_real(argc, args, i))
#define COLOUR(i) ((uint32_t)real_to_index(arg_real(argc, args, i)) & 0xFFFFFF)
#define ROUTINE(name) void name(Value &result, CInstance *self, CInstance *, int argc, const Value *args)

const CSprite *sprite_arg(int argc, const Value *args)
{
	const CSprite *s = sprite_get(INT(0));
	if (!s)
		report_error("Trying to draw non-existing sprite.");
	return s;
}

const CBackground *background_arg(int argc, const Value *args)
{
	const CBackground *b = background_get(INT(0));
	if (!b)
		report_error("Trying to draw non-existing background.");
	return b;
}

// A frame below 0 is the calling instance's current frame.
int frame_arg(CInstance *self, int argc, const Value *args)
{
	int frame = INT(1);
	if (frame < 0) {
		const DrawState &d = draw_state();
		frame = d.instance_frame && self ? d.instance_frame(self) : 0;
	}
	return frame;
}

Area room_area()
{
	const DrawState &d = draw_state();
	return {0, 0, (float)d.room_width, (float)d.room_height};
}

double draw_alpha() { return draw_state().alpha_real; }

ROUTINE(fn_draw_sprite)
{
	(void)result;
	if (const CSprite *s = sprite_arg(argc, args))
		sprite_draw(*s, frame_arg(self, argc, args), F(2), F(3));
}

ROUTINE(fn_draw_sprite_ext)
{
	(void)result;
	if (const CSprite *s = sprite_arg(argc, args))
		sprite_draw_ext(*s, frame_arg(self, argc, args), F(2), F(3), F(4), F(5), F(6), COLOUR(7), REAL(8));
}

ROUTINE(fn_draw_sprite_pos)
{
	(void)result;
	if (const CSprite *s = sprite_arg(argc, args)) {
		float corners[8] = {F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9)};
		sprite_draw_pos(*s, frame_arg(self, argc, args), corners, REAL(10));
	}
}

ROUTINE(fn_draw_sprite_stretched)
{
	(void)result;
	if (const CSprite *s = sprite_arg(argc, args))
		sprite_draw_stretched(*s, frame_arg(self, argc, args), F(2), F(3), F(4), F(5), 0xFFFFFF, draw_alpha());
}

ROUTINE(fn_draw_sprite_stretched_ext)
{
	(void)result;
	if (const CSprite *s = sprite_arg(argc, args))
		sprite_draw_stretched(*s, frame_arg(self, argc, args), F(2), F(3), F(4), F(5), COLOUR(6), REAL(7));
}

ROUTINE(fn_draw_sprite_part)
{
	(void)result;
	if (const CSprite *s = sprite_arg(argc, args))
		sprite_draw_part(*s, frame_arg(self, argc, args), F(2), F(3), F(4), F(5), F(6), F(7), 1, 1, 0xFFFFFF,
		                 draw_alpha());
}

ROUTINE(fn_draw_sprite_part_ext)
{
	(void)result;
	if (const CSprite *s = sprite_arg(argc, args))
		sprite_draw_part(*s, frame_arg(self, argc, args), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9),
		                 COLOUR(10), REAL(11));
}

ROUTINE(fn_draw_sprite_general)
{
	(void)result;
	if (const CSprite *s = sprite_arg(argc, args)) {
		uint32_t c[4] = {COLOUR(11), COLOUR(12), COLOUR(13), COLOUR(14)};
		sprite_draw_general(*s, frame_arg(self, argc, args), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), F(10),
		                    c, REAL(15));
	}
}

ROUTINE(fn_draw_sprite_tiled)
{
	(void)result;
	if (const CSprite *s = sprite_arg(argc, args))
		sprite_draw_tiled(*s, frame_arg(self, argc, args), F(2), F(3), 1, 1, true, true, room_area(), 0xFFFFFF,
		                  draw_alpha());
}

ROUTINE(fn_draw_sprite_tiled_ext)
{
	(void)result;
	if (const CSprite *s = sprite_arg(argc, args))
		sprite_draw_tiled(*s, frame_arg(self, argc, args), F(2), F(3), F(4), F(5), true, true, room_area(),
		                  COLOUR(6), REAL(7));
}

ROUTINE(fn_draw_background)
{
	(void)result, (void)self;
	if (const CBackground *b = background_arg(argc, args))
		background_draw(*b, F(1), F(2));
}

ROUTINE(fn_draw_background_ext)
{
	(void)result, (void)self;
	if (const CBackground *b = background_arg(argc, args))
		background_draw_ext(*b, F(1), F(2), F(3), F(4), F(5), COLOUR(6), REAL(7));
}

ROUTINE(fn_draw_background_stretched)
{
	(void)result, (void)self;
	if (const CBackground *b = background_arg(argc, args))
		background_draw_stretched(*b, F(1), F(2), F(3), F(4), 0xFFFFFF, draw_alpha());
}

ROUTINE(fn_draw_background_stretched_ext)
{
	(void)result, (void)self;
	if (const CBackground *b = background_arg(argc, args))
		background_draw_stretched(*b, F(1), F(2), F(3), F(4), COLOUR(5), REAL(6));
}

ROUTINE(fn_draw_background_part)
{
	(void)result, (void)self;
	if (const CBackground *b = background_arg(argc, args))
		background_draw_part(*b, F(1), F(2), F(3), F(4), F(5), F(6), 1, 1, 0xFFFFFF, draw_alpha());
}

ROUTINE(fn_draw_background_part_ext)
{
	(void)result, (void)self;
	if (const CBackground *b = background_arg(argc, args))
		background_draw_part(*b, F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), COLOUR(9), REAL(10));
}

ROUTINE(fn_draw_background_general)
{
	(void)result, (void)self;
	if (const CBackground *b = background_arg(argc, args)) {
		uint32_t c[4] = {COLOUR(10), COLOUR(11), COLOUR(12), COLOUR(13)};
		background_draw_general(*b, F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), c, REAL(14));
	}
}

ROUTINE(fn_draw_background_tiled)
{
	(void)result, (void)self;
	if (const CBackground *b = background_arg(argc, args))
		background_draw_tiled(*b, F(1), F(2), 1, 1, true, true, room_area(), 0xFFFFFF, draw_alpha());
}

ROUTINE(fn_draw_background_tiled_ext)
{
	(void)result, (void)self;
	if (const CBackground *b = background_arg(argc, args))
		background_draw_tiled(*b, F(1), F(2), F(3), F(4), true, true, room_area(), COLOUR(5), REAL(6));
}

ROUTINE(fn_sprite_get_texture)
{
	const CSprite *s = sprite_get(INT(0));
	if (!s) {
		report_error("Trying to get texture from non-existing sprite.");
		result.set_real(-1);
		return;
	}
	int count = s->frame_count();
	if (count <= 0) {
		result.set_real(-1);
		return;
	}
	int frame = wrap_frame(frame_arg(self, argc, args), count);
	result.set_real(!s->entries.empty() ? ENTRY_HANDLE_BASE + s->entries[frame] : s->textures[frame]);
}

ROUTINE(fn_background_get_texture)
{
	(void)self;
	const CBackground *b = background_get(INT(0));
	if (!b) {
		report_error("Trying to get texture from non-existing background.");
		result.set_real(-1);
		return;
	}
	result.set_real(b->entry >= 0 ? ENTRY_HANDLE_BASE + b->entry : b->texture);
}

const BuiltinEntry sprite_draw_functions[] = {
	{"draw_sprite", fn_draw_sprite, 4},
	{"draw_sprite_ext", fn_draw_sprite_ext, 9},
	{"draw_sprite_pos", fn_draw_sprite_pos, 11},
	{"draw_sprite_stretched", fn_draw_sprite_stretched, 6},
	{"draw_sprite_stretched_ext", fn_draw_sprite_stretched_ext, 8},
	{"draw_sprite_part", fn_draw_sprite_part, 8},
	{"draw_sprite_part_ext", fn_draw_sprite_part_ext, 12},
	{"draw_sprite_general", fn_draw_sprite_general, 16},
	{"draw_sprite_tiled", fn_draw_sprite_tiled, 4},
	{"draw_sprite_tiled_ext", fn_draw_sprite_tiled_ext, 8},
	{"draw_background", fn_draw_background, 3},
	{"draw_background_ext", fn_draw_background_ext, 8},
	{"draw_background_stretched", fn_draw_background_stretched, 5},
	{"draw_background_stretched_ext", fn_draw_background_stretched_ext, 7},
	{"draw_background_part", fn_draw_background_part, 7},
	{"draw_background_part_ext", fn_draw_background_part_ext, 11},
	{"draw_background_general", fn_draw_background_general, 15},
	{"draw_background_tiled", fn_draw_background_tiled, 3},
	{"draw_background_tiled_ext", fn_draw_background_tiled_ext, 7},
	{"sprite_get_texture", fn_sprite_get_texture, 2},
	{"background_get_texture", fn_background_get_texture, 1},
};

} // namespace

void register_sprite_draw_functions()
{
	register_functions(sprite_draw_functions);
}
