// fn_d3d.cpp: the d3d_ built-ins: 3D mode and its states, primitives with
// normals, shapes, projections, the world-matrix stack, lights and models.
#include <cmath>

#include "code/builtin_args.h"
#include "code/errors.h"
#include "code/families.h"
#include "code/function_table.h"
#include "code/value.h"
#include "graphics/d3d.h"
#include "graphics/draw_state.h"

namespace {

#define REAL(i) arg_real(argc, args, i)
#define F(i) (float)arg_real(argc, args, i)
#define INT(i) (int)real_to_index(arg_real(argc, args, i))
#define FLAG(i) (arg_real(argc, args, i) >= 0.5)
#define COLOUR(i) ((uint32_t)real_to_index(arg_real(argc, args, i)) & 0xFFFFFF)
#define ROUTINE(name)                                                                                         \
	void name([[maybe_unused]] Value &result, CInstance *, CInstance *, [[maybe_unused]] int argc,             \
	          [[maybe_unused]] const Value *args)

constexpr float PI_F = 3.1415927410125732f;

// The arguments from `first` on as an item of the model form.
ModelItem item_of(int code, int argc, const Value *args, int first)
{
	ModelItem item;
	item.code = code;
	for (int k = 0; k < 10; k++)
		item.a[k] = arg_real(argc, args, first + k);
	return item;
}

Box box_of(int argc, const Value *args, int first)
{
	return {F(first), F(first + 1), F(first + 2), F(first + 3), F(first + 4), F(first + 5)};
}

// ---- Mode and states ----

ROUTINE(fn_d3d_start)
{
	if (GR_Settings().mode_3d)
		return;
	GR_Set3DMode(true);
	GR_SetPerspective(true);
	GR_SetZEnable(true);
}

ROUTINE(fn_d3d_end)
{
	if (!GR_Settings().mode_3d)
		return;
	GR_Set3DMode(false);
	GR_SetPerspective(false);
	GR_SetZEnable(false);
}

ROUTINE(fn_d3d_set_perspective) { GR_SetPerspective(FLAG(0)); }
ROUTINE(fn_d3d_set_hidden) { GR_SetZEnable(FLAG(0)); }
ROUTINE(fn_d3d_set_depth) { GR_SetDepth(F(0)); }
ROUTINE(fn_d3d_set_lighting) { GR_SetLighting(FLAG(0)); }
ROUTINE(fn_d3d_set_shading) { GR_SetShading(FLAG(0)); }
ROUTINE(fn_d3d_set_fog) { GR_SetFog(FLAG(0), COLOUR(1), F(2), F(3)); }
// Culling drops the faces wound counter-clockwise.
ROUTINE(fn_d3d_set_culling) { GR_SetCull(FLAG(0) ? 3 : 1); }

// ---- Primitives ----

ROUTINE(fn_d3d_primitive_begin) { primitive_begin(INT(0), -1, true); }
ROUTINE(fn_d3d_primitive_begin_texture) { primitive_begin(INT(0), INT(1), true); }
ROUTINE(fn_d3d_primitive_end) { primitive_end(); }

template <int Code>
ROUTINE(fn_d3d_vertex)
{
	primitive_vertex(model_item_vertex(item_of(Code, argc, args, 0)));
}

// ---- Shapes: box, texture, hrepeat, vrepeat[, closed], steps ----

ROUTINE(fn_d3d_draw_block) { shape_block(box_of(argc, args, 0), INT(6), F(7), F(8)); }
ROUTINE(fn_d3d_draw_cylinder) { shape_cylinder(box_of(argc, args, 0), INT(6), F(7), F(8), FLAG(9), INT(10)); }
ROUTINE(fn_d3d_draw_cone) { shape_cone(box_of(argc, args, 0), INT(6), F(7), F(8), FLAG(9), INT(10)); }
ROUTINE(fn_d3d_draw_ellipsoid) { shape_ellipsoid(box_of(argc, args, 0), INT(6), F(7), F(8), INT(9)); }
ROUTINE(fn_d3d_draw_wall) { shape_wall(box_of(argc, args, 0), INT(6), F(7), F(8)); }
ROUTINE(fn_d3d_draw_floor) { shape_floor(box_of(argc, args, 0), INT(6), F(7), F(8)); }

// ---- Projections ----

void look_at(int argc, const Value *args)
{
	float eye[3] = {F(0), F(1), F(2)}, at[3] = {F(3), F(4), F(5)}, up[3] = {F(6), F(7), F(8)};
	GR_SetTransform(0, Matrix4::look_at_lh(eye, at, up));
}

ROUTINE(fn_d3d_set_projection) { look_at(argc, args); }

ROUTINE(fn_d3d_set_projection_ext)
{
	look_at(argc, args);
	float zn = F(11), zf = F(12);
	if (F(10) != 0 && zn > 0 && zf > zn)
		GR_SetTransform(1, Matrix4::perspective_fov_lh(F(9) * PI_F / 180.0f, F(10), zn, zf));
	draw_state().game_ortho = false;
}

// The view area's matrices for (x, y, w, h, angle) without storing the area.
void area_projection(int argc, const Value *args, bool perspective)
{
	float x = F(0), y = F(1), w = F(2), h = F(3);
	if (w == 0 || h == 0)
		return;
	float cx = x + w / 2, cy = y + h / 2, a = -F(4) * PI_F / 180.0f;
	float up[3] = {std::sin(a), std::cos(a), 0}, at[3] = {cx, cy, 0};
	float eye[3] = {cx, cy, perspective ? -w : -16000.0f};
	GR_SetTransform(0, Matrix4::look_at_lh(eye, at, up));
	GR_SetTransform(1, perspective ? Matrix4::perspective_lh(1, h / w, 1, 32000) : Matrix4::ortho_lh(w, -h, 1, 32000));
}

ROUTINE(fn_d3d_set_projection_ortho)
{
	area_projection(argc, args, false);
	draw_state().game_ortho = true;
}

ROUTINE(fn_d3d_set_projection_perspective)
{
	area_projection(argc, args, true);
	draw_state().game_ortho = false;
}

// ---- World transform ----

Matrix4 rotation(int axis, float degrees)
{
	return matrix_rotation_axis(axis == 0, axis == 1, axis == 2, degrees);
}

ROUTINE(fn_d3d_transform_set_identity) { transform_set(Matrix4::identity()); }
ROUTINE(fn_d3d_transform_set_translation) { transform_set(Matrix4::translation(F(0), F(1), F(2))); }
ROUTINE(fn_d3d_transform_set_scaling) { transform_set(matrix_scaling(F(0), F(1), F(2))); }
template <int Axis>
ROUTINE(fn_d3d_transform_set_rotation)
{
	transform_set(rotation(Axis, F(0)));
}
ROUTINE(fn_d3d_transform_set_rotation_axis) { transform_set(matrix_rotation_axis(F(0), F(1), F(2), F(3))); }
ROUTINE(fn_d3d_transform_add_translation) { transform_add(Matrix4::translation(F(0), F(1), F(2))); }
ROUTINE(fn_d3d_transform_add_scaling) { transform_add(matrix_scaling(F(0), F(1), F(2))); }
template <int Axis>
ROUTINE(fn_d3d_transform_add_rotation)
{
	transform_add(rotation(Axis, F(0)));
}
ROUTINE(fn_d3d_transform_add_rotation_axis) { transform_add(matrix_rotation_axis(F(0), F(1), F(2), F(3))); }
ROUTINE(fn_d3d_transform_stack_clear) { transform_clear(); }
ROUTINE(fn_d3d_transform_stack_empty) { result.set_real(transform_empty() ? 1 : 0); }
ROUTINE(fn_d3d_transform_stack_push) { result.set_real(transform_push() ? 1 : 0); }
ROUTINE(fn_d3d_transform_stack_pop) { result.set_real(transform_pop() ? 1 : 0); }
ROUTINE(fn_d3d_transform_stack_top) { result.set_real(transform_top() ? 1 : 0); }
ROUTINE(fn_d3d_transform_stack_discard) { result.set_real(transform_discard() ? 1 : 0); }

// ---- Lights ----

ROUTINE(fn_d3d_light_define_ambient) { GR_SetAmbient(COLOUR(0)); }

ROUTINE(fn_d3d_light_define_direction)
{
	float v[3] = {F(1), F(2), F(3)};
	GR_DefineLight(INT(0), 1, v, 0, COLOUR(4));
}

ROUTINE(fn_d3d_light_define_point)
{
	float v[3] = {F(1), F(2), F(3)};
	GR_DefineLight(INT(0), 2, v, F(4), COLOUR(5));
}

ROUTINE(fn_d3d_light_enable) { GR_EnableLight(INT(0), FLAG(1)); }

// ---- Models ----

ROUTINE(fn_d3d_model_create) { result.set_real(model_create()); }
ROUTINE(fn_d3d_model_destroy) { model_destroy(INT(0)); }
ROUTINE(fn_d3d_model_clear) { model_clear(INT(0)); }

ROUTINE(fn_d3d_model_save)
{
	std::string error;
	if (!model_save(INT(0), std::string(arg_text(argc, args, 1)), error))
		report_error("Cannot save the model to " + std::string(arg_text(argc, args, 1)) + ": " + error);
}

ROUTINE(fn_d3d_model_load)
{
	std::string error;
	if (!model_load(INT(0), std::string(arg_text(argc, args, 1)), error))
		report_error("Cannot load the model " + std::string(arg_text(argc, args, 1)) + ": " + error);
}

ROUTINE(fn_d3d_model_draw) { model_draw(INT(0), F(1), F(2), F(3), INT(4)); }

template <int Code>
ROUTINE(fn_d3d_model_item)
{
	model_add(INT(0), item_of(Code, argc, args, 1));
}

const BuiltinEntry d3d_functions[] = {
	{"d3d_start", fn_d3d_start, 0},
	{"d3d_end", fn_d3d_end, 0},
	{"d3d_set_perspective", fn_d3d_set_perspective, 1},
	{"d3d_set_hidden", fn_d3d_set_hidden, 1},
	{"d3d_set_depth", fn_d3d_set_depth, 1},
	{"d3d_set_lighting", fn_d3d_set_lighting, 1},
	{"d3d_set_shading", fn_d3d_set_shading, 1},
	{"d3d_set_fog", fn_d3d_set_fog, 4},
	{"d3d_set_culling", fn_d3d_set_culling, 1},
	{"d3d_primitive_begin", fn_d3d_primitive_begin, 1},
	{"d3d_vertex", fn_d3d_vertex<MODEL_VERTEX>, 3},
	{"d3d_vertex_color", fn_d3d_vertex<MODEL_VERTEX_COLOR>, 5},
	{"d3d_primitive_end", fn_d3d_primitive_end, 0},
	{"d3d_primitive_begin_texture", fn_d3d_primitive_begin_texture, 2},
	{"d3d_vertex_texture", fn_d3d_vertex<MODEL_VERTEX_TEXTURE>, 5},
	{"d3d_vertex_texture_color", fn_d3d_vertex<MODEL_VERTEX_TEXTURE_COLOR>, 7},
	{"d3d_vertex_normal", fn_d3d_vertex<MODEL_VERTEX_NORMAL>, 6},
	{"d3d_vertex_normal_color", fn_d3d_vertex<MODEL_VERTEX_NORMAL_COLOR>, 8},
	{"d3d_vertex_normal_texture", fn_d3d_vertex<MODEL_VERTEX_NORMAL_TEXTURE>, 8},
	{"d3d_vertex_normal_texture_color", fn_d3d_vertex<MODEL_VERTEX_NORMAL_TEXTURE_COLOR>, 10},
	{"d3d_draw_block", fn_d3d_draw_block, 9},
	{"d3d_draw_cylinder", fn_d3d_draw_cylinder, 11},
	{"d3d_draw_cone", fn_d3d_draw_cone, 11},
	{"d3d_draw_ellipsoid", fn_d3d_draw_ellipsoid, 10},
	{"d3d_draw_wall", fn_d3d_draw_wall, 9},
	{"d3d_draw_floor", fn_d3d_draw_floor, 9},
	{"d3d_set_projection", fn_d3d_set_projection, 9},
	{"d3d_set_projection_ext", fn_d3d_set_projection_ext, 13},
	{"d3d_set_projection_ortho", fn_d3d_set_projection_ortho, 5},
	{"d3d_set_projection_perspective", fn_d3d_set_projection_perspective, 5},
	{"d3d_transform_set_identity", fn_d3d_transform_set_identity, 0},
	{"d3d_transform_set_translation", fn_d3d_transform_set_translation, 3},
	{"d3d_transform_set_scaling", fn_d3d_transform_set_scaling, 3},
	{"d3d_transform_set_rotation_x", fn_d3d_transform_set_rotation<0>, 1},
	{"d3d_transform_set_rotation_y", fn_d3d_transform_set_rotation<1>, 1},
	{"d3d_transform_set_rotation_z", fn_d3d_transform_set_rotation<2>, 1},
	{"d3d_transform_set_rotation_axis", fn_d3d_transform_set_rotation_axis, 4},
	{"d3d_transform_add_translation", fn_d3d_transform_add_translation, 3},
	{"d3d_transform_add_scaling", fn_d3d_transform_add_scaling, 3},
	{"d3d_transform_add_rotation_x", fn_d3d_transform_add_rotation<0>, 1},
	{"d3d_transform_add_rotation_y", fn_d3d_transform_add_rotation<1>, 1},
	{"d3d_transform_add_rotation_z", fn_d3d_transform_add_rotation<2>, 1},
	{"d3d_transform_add_rotation_axis", fn_d3d_transform_add_rotation_axis, 4},
	{"d3d_transform_stack_clear", fn_d3d_transform_stack_clear, 0},
	{"d3d_transform_stack_empty", fn_d3d_transform_stack_empty, 0},
	{"d3d_transform_stack_push", fn_d3d_transform_stack_push, 0},
	{"d3d_transform_stack_pop", fn_d3d_transform_stack_pop, 0},
	{"d3d_transform_stack_top", fn_d3d_transform_stack_top, 0},
	{"d3d_transform_stack_discard", fn_d3d_transform_stack_discard, 0},
	{"d3d_light_define_ambient", fn_d3d_light_define_ambient, 1},
	{"d3d_light_define_direction", fn_d3d_light_define_direction, 5},
	{"d3d_light_define_point", fn_d3d_light_define_point, 6},
	{"d3d_light_enable", fn_d3d_light_enable, 2},
	{"d3d_model_create", fn_d3d_model_create, 0},
	{"d3d_model_destroy", fn_d3d_model_destroy, 1},
	{"d3d_model_clear", fn_d3d_model_clear, 1},
	{"d3d_model_save", fn_d3d_model_save, 2},
	{"d3d_model_load", fn_d3d_model_load, 2},
	{"d3d_model_draw", fn_d3d_model_draw, 5},
	{"d3d_model_primitive_begin", fn_d3d_model_item<MODEL_BEGIN>, 2},
	{"d3d_model_vertex", fn_d3d_model_item<MODEL_VERTEX>, 4},
	{"d3d_model_vertex_color", fn_d3d_model_item<MODEL_VERTEX_COLOR>, 6},
	{"d3d_model_vertex_texture", fn_d3d_model_item<MODEL_VERTEX_TEXTURE>, 6},
	{"d3d_model_vertex_texture_color", fn_d3d_model_item<MODEL_VERTEX_TEXTURE_COLOR>, 8},
	{"d3d_model_vertex_normal", fn_d3d_model_item<MODEL_VERTEX_NORMAL>, 7},
	{"d3d_model_vertex_normal_color", fn_d3d_model_item<MODEL_VERTEX_NORMAL_COLOR>, 9},
	{"d3d_model_vertex_normal_texture", fn_d3d_model_item<MODEL_VERTEX_NORMAL_TEXTURE>, 9},
	{"d3d_model_vertex_normal_texture_color", fn_d3d_model_item<MODEL_VERTEX_NORMAL_TEXTURE_COLOR>, 11},
	{"d3d_model_primitive_end", fn_d3d_model_item<MODEL_END>, 1},
	{"d3d_model_block", fn_d3d_model_item<MODEL_BLOCK>, 9},
	{"d3d_model_cylinder", fn_d3d_model_item<MODEL_CYLINDER>, 11},
	{"d3d_model_cone", fn_d3d_model_item<MODEL_CONE>, 11},
	{"d3d_model_ellipsoid", fn_d3d_model_item<MODEL_ELLIPSOID>, 10},
	{"d3d_model_wall", fn_d3d_model_item<MODEL_WALL>, 9},
	{"d3d_model_floor", fn_d3d_model_item<MODEL_FLOOR>, 9},
};

} // namespace

void register_d3d_functions() { register_functions(d3d_functions); }
