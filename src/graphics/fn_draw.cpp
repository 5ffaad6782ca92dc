// fn_draw.cpp: the built-ins of the draw colour and alpha, clearing, blend
// modes, texture settings and handles, and saving the screen.
#include <cmath>
#include <string>

#include "code/builtin_args.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/value.h"
#include "graphics/bitmap.h"
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/images.h"
#include "graphics/texture_table.h"
#include "platform/window.h"

namespace {

#define REAL(i) arg_real(argc, args, i)
#define INT(i) (int)real_to_index((float)arg_real(argc, args, i))
#define ROUTINE(name) void name(Value &result, CInstance *self, CInstance *, int argc, const Value *args)

uint32_t colour_arg(int argc, const Value *args, int i) { return (uint32_t)real_to_index(REAL(i)) & 0xFFFFFF; }

ROUTINE(fn_draw_set_color)
{
	(void)result, (void)self;
	DrawState &d = draw_state();
	d.colour = GR_Colour(colour_arg(argc, args, 0), 0) | ((uint32_t)d.alpha << 24);
}

ROUTINE(fn_draw_get_color)
{
	(void)self, (void)argc, (void)args;
	uint32_t c = draw_state().colour;
	result.set_real((double)(((c >> 16) & 0xFF) | ((c & 0xFF) << 16) | (c & 0xFF00)));
}

ROUTINE(fn_draw_set_alpha)
{
	(void)result, (void)self;
	DrawState &d = draw_state();
	double a = REAL(0);
	a = std::isnan(a) ? 0 : std::fmin(std::fmax(a, 0.0), 1.0);
	d.alpha_real = a;
	d.alpha = GR_AlphaByte(a);
	d.colour = (d.colour & 0xFFFFFF) | ((uint32_t)d.alpha << 24);
}

ROUTINE(fn_draw_get_alpha)
{
	(void)self, (void)argc, (void)args;
	result.set_real(draw_state().alpha_real);
}

ROUTINE(fn_draw_clear)
{
	(void)result, (void)self;
	GR_Clear(colour_arg(argc, args, 0) | 0xFF000000u, 1);
}

ROUTINE(fn_draw_clear_alpha)
{
	(void)result, (void)self;
	GR_Clear(colour_arg(argc, args, 0) | ((uint32_t)GR_AlphaByte(REAL(1)) << 24), 1);
}

ROUTINE(fn_draw_set_blend_mode)
{
	(void)result, (void)self;
	GR_SetBlendMode(INT(0));
}

ROUTINE(fn_draw_set_blend_mode_ext)
{
	(void)result, (void)self;
	GR_SetBlendModeExt(INT(0), INT(1));
}

ROUTINE(fn_draw_enable_alphablend)
{
	(void)result, (void)self;
	if (argc != 1) {
		report_error("Illegal argument count");
		return;
	}
	if (args[0].is_string()) {
		report_error("Illegal argument type: true/false expected");
		return;
	}
	GR_SetAlphaBlend((int)std::trunc(args[0].real()) != 0);
}

ROUTINE(fn_draw_texture_flush)
{
	(void)result, (void)self, (void)argc, (void)args;
	GR_Batch_Flush();
}

ROUTINE(fn_texture_set_interpolation) { (void)result, (void)self; GR_SetInterpolation(REAL(0) >= 0.5); }
ROUTINE(fn_texture_set_blending) { (void)result, (void)self; GR_SetTextureBlending(REAL(0) >= 0.5); }
ROUTINE(fn_texture_set_repeat) { (void)result, (void)self; GR_SetTextureRepeat(REAL(0) >= 0.5); }
ROUTINE(fn_texture_get_interpolation) { (void)self, (void)argc, (void)args; result.set_real(GR_Settings().interpolate); }
ROUTINE(fn_texture_get_blending) { (void)self, (void)argc, (void)args; result.set_real(GR_Settings().texture_blending); }
ROUTINE(fn_texture_get_repeat) { (void)self, (void)argc, (void)args; result.set_real(GR_Settings().texture_repeat); }
ROUTINE(fn_texture_exists) { (void)self; result.set_real(texture_exists(INT(0))); }
ROUTINE(fn_texture_get_width) { (void)self; result.set_real(texture_extent_width(INT(0))); }
ROUTINE(fn_texture_get_height) { (void)self; result.set_real(texture_extent_height(INT(0))); }

// Saves a rectangle of the screen as PNG; nothing is written when it lies
// wholly outside the screen.
void save_screen(const std::string &file, int x, int y, int w, int h)
{
	std::vector<uint32_t> pixels;
	int rw = 0, rh = 0;
	if (!GR_ReadScreen(x, y, w, h, pixels, rw, rh))
		return;
	std::string error;
	if (!write_png_file(file, pixels.data(), rw, rh, error))
		report_error(error);
}

ROUTINE(fn_screen_save)
{
	(void)result, (void)self;
	save_screen(std::string(arg_text(argc, args, 0)), 0, 0, GR_ScreenWidth(), GR_ScreenHeight());
}

ROUTINE(fn_screen_save_part)
{
	(void)result, (void)self;
	save_screen(std::string(arg_text(argc, args, 0)), INT(1), INT(2), INT(3), INT(4));
}

ROUTINE(fn_draw_getpixel)
{
	(void)self;
	std::vector<uint32_t> pixels;
	int w = 0, h = 0;
	if (!GR_ReadScreen(INT(0), INT(1), 1, 1, pixels, w, h))
		return;
	uint32_t c = pixels[0];
	result.set_real((double)(((c >> 16) & 0xFF) | ((c & 0xFF) << 16) | (c & 0xFF00)));
}

ROUTINE(fn_display_get_width)
{
	(void)self, (void)argc, (void)args;
	int w = 0, h = 0;
	platform::screen_size(w, h);
	result.set_real(w);
}

ROUTINE(fn_display_get_height)
{
	(void)self, (void)argc, (void)args;
	int w = 0, h = 0;
	platform::screen_size(w, h);
	result.set_real(h);
}

ROUTINE(fn_display_reset)
{
	(void)result, (void)self;
	GR_SetVsync(REAL(1) >= 1);
	GR_RequestReset();
}

const BuiltinEntry draw_functions[] = {
	{"draw_set_color", fn_draw_set_color, 1},
	{"draw_set_colour", fn_draw_set_color, 1},
	{"draw_get_color", fn_draw_get_color, 0},
	{"draw_get_colour", fn_draw_get_color, 0},
	{"draw_set_alpha", fn_draw_set_alpha, 1},
	{"draw_get_alpha", fn_draw_get_alpha, 0},
	{"draw_clear", fn_draw_clear, 1},
	{"draw_clear_alpha", fn_draw_clear_alpha, 2},
	{"draw_set_blend_mode", fn_draw_set_blend_mode, 1},
	{"draw_set_blend_mode_ext", fn_draw_set_blend_mode_ext, 2},
	{"draw_enable_alphablend", fn_draw_enable_alphablend, -1},
	{"draw_texture_flush", fn_draw_texture_flush, 0},
	{"draw_getpixel", fn_draw_getpixel, 2},
	{"texture_set_interpolation", fn_texture_set_interpolation, 1},
	{"texture_set_blending", fn_texture_set_blending, 1},
	{"texture_set_repeat", fn_texture_set_repeat, 1},
	{"texture_get_interpolation", fn_texture_get_interpolation, 0},
	{"texture_get_blending", fn_texture_get_blending, 0},
	{"texture_get_repeat", fn_texture_get_repeat, 0},
	{"texture_exists", fn_texture_exists, 1},
	{"texture_get_width", fn_texture_get_width, 1},
	{"texture_get_height", fn_texture_get_height, 1},
	{"screen_save", fn_screen_save, 1},
	{"screen_save_part", fn_screen_save_part, 5},
	{"display_get_width", fn_display_get_width, 0},
	{"display_get_height", fn_display_get_height, 0},
	{"display_reset", fn_display_reset, 2},
};

} // namespace

void register_draw_functions()
{
	register_functions(draw_functions);
}
