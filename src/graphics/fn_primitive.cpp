// fn_primitive.cpp: the draw_primitive_* and draw_vertex* built-ins: a
// primitive of up to 1001 vertices at the current depth, with or without a
// texture handle.
#include "code/builtin_args.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/value.h"
#include "graphics/d3d.h"
#include "graphics/draw_state.h"

namespace {

#define F(i) (float)arg_real(argc, args, i)
#define INT(i) (int)real_to_index(arg_real(argc, args, i))
#define COLOUR(i) ((uint32_t)real_to_index(arg_real(argc, args, i)) & 0xFFFFFF)
#define ROUTINE(name) \
	void name(Value &, CInstance *, CInstance *, [[maybe_unused]] int argc, [[maybe_unused]] const Value *args)

Vertex36 at(float x, float y, uint32_t colour, float u, float v) { return {x, y, 0, 0, 0, 0, colour, u, v}; }

ROUTINE(fn_draw_primitive_begin) { primitive_begin(INT(0), -1, false); }
ROUTINE(fn_draw_primitive_begin_texture) { primitive_begin(INT(0), INT(1), false); }
ROUTINE(fn_draw_primitive_end) { primitive_end(); }
ROUTINE(fn_draw_vertex) { primitive_vertex(at(F(0), F(1), draw_state().colour, 0, 0)); }

ROUTINE(fn_draw_vertex_color)
{
	primitive_vertex(at(F(0), F(1), GR_Colour(COLOUR(2), arg_real(argc, args, 3)), 0, 0));
}

ROUTINE(fn_draw_vertex_texture) { primitive_vertex(at(F(0), F(1), draw_state().colour, F(2), F(3))); }

ROUTINE(fn_draw_vertex_texture_color)
{
	primitive_vertex(at(F(0), F(1), GR_Colour(COLOUR(4), arg_real(argc, args, 5)), F(2), F(3)));
}

const BuiltinEntry primitive_functions[] = {
	{"draw_primitive_begin", fn_draw_primitive_begin, 1},
	{"draw_primitive_begin_texture", fn_draw_primitive_begin_texture, 2},
	{"draw_primitive_end", fn_draw_primitive_end, 0},
	{"draw_vertex", fn_draw_vertex, 2},
	{"draw_vertex_color", fn_draw_vertex_color, 4},
	{"draw_vertex_texture", fn_draw_vertex_texture, 4},
	{"draw_vertex_texture_color", fn_draw_vertex_texture_color, 6},
};

} // namespace

void register_primitive_functions() { register_functions(primitive_functions); }
