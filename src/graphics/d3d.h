// d3d.h: the 3D drawing of game code: the primitive builder shared by the
// draw_primitive_* and d3d_primitive_* functions, texture handles resolved to
// a device texture and coordinates, the world-matrix stack, the shapes
// (block, cylinder, cone, ellipsoid, wall, floor) and models.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/graphics.h"

constexpr int PRIMITIVE_MAX_VERTICES = 1001;

// ---- Primitive builder ----
// Starts a primitive of a kind (1-6) with a texture handle (-1: none). `full`
// selects the 36-byte layout with normals (d3d_) over the 24-byte one.
void primitive_begin(int kind, int texture, bool full);
// Appends a vertex; past PRIMITIVE_MAX_VERTICES, or with no primitive begun,
// it is ignored. Texture coordinates are as game code gives them.
void primitive_vertex(const Vertex36 &v);
// Submits the collected vertices (nothing for a kind outside 1-6 or a bad
// texture handle) and forgets them.
void primitive_end();
int primitive_vertex_count();

// The texture of a handle and the mapping of the game's texture coordinates
// onto it: u' = u * u_mul + u_add. False for a handle that is neither -1, a
// valid texture id nor a valid entry reference.
struct TextureMapping
{
	TextureD3D *texture = nullptr;
	float u_mul = 1, u_add = 0, v_mul = 1, v_add = 0;
};
bool resolve_texture_handle(int handle, TextureMapping &out);

// Sends vertices as one primitive with the handle's texture.
void submit_primitive(int kind, int texture, const std::vector<Vertex36> &vertices, bool full);

// ---- Shapes: drawn in the draw colour and alpha with normals ----
struct Box
{
	float x1, y1, z1, x2, y2, z2;
};
void shape_block(const Box &b, int texture, float hrepeat, float vrepeat);
void shape_cylinder(const Box &b, int texture, float hrepeat, float vrepeat, bool closed, int steps);
void shape_cone(const Box &b, int texture, float hrepeat, float vrepeat, bool closed, int steps);
void shape_ellipsoid(const Box &b, int texture, float hrepeat, float vrepeat, int steps);
void shape_wall(const Box &b, int texture, float hrepeat, float vrepeat);
void shape_floor(const Box &b, int texture, float hrepeat, float vrepeat);

// ---- World transform ----
// Rotations are in degrees, counter-clockwise as seen on the screen.
Matrix4 matrix_scaling(float x, float y, float z);
Matrix4 matrix_rotation_axis(float x, float y, float z, float degrees);
void transform_set(const Matrix4 &m);
void transform_add(const Matrix4 &m); // after the current transform
bool transform_push();
bool transform_pop();     // restores the top and removes it
bool transform_top();     // restores the top and keeps it
bool transform_discard(); // removes the top
void transform_clear();
bool transform_empty();
// World transform of a point (for tests and game code).
void transform_point(float x, float y, float z, float out[3]);

// ---- Models: the lines of the model file format ----
enum ModelCode
{
	MODEL_BEGIN, MODEL_END, MODEL_VERTEX, MODEL_VERTEX_COLOR, MODEL_VERTEX_TEXTURE, MODEL_VERTEX_TEXTURE_COLOR,
	MODEL_VERTEX_NORMAL, MODEL_VERTEX_NORMAL_COLOR, MODEL_VERTEX_NORMAL_TEXTURE, MODEL_VERTEX_NORMAL_TEXTURE_COLOR,
	MODEL_BLOCK, MODEL_CYLINDER, MODEL_CONE, MODEL_ELLIPSOID, MODEL_WALL, MODEL_FLOOR, MODEL_CODE_COUNT
};
struct ModelItem
{
	int code = 0;
	double a[10] = {};
};
// A vertex item as a vertex (the draw colour where the item gives none), and
// an item carried out: begin and end with the texture handle, vertices, shapes.
Vertex36 model_item_vertex(const ModelItem &item);
void model_item_apply(const ModelItem &item, int texture);
int model_create();
bool model_exists(int index);
void model_destroy(int index);
void model_clear(int index);
bool model_add(int index, const ModelItem &item);
// Draws the model moved by (x, y, z) with the texture handle.
void model_draw(int index, float x, float y, float z, int texture);
// The text format: "100", the number of lines, then one line per item of its
// code and ten numbers. Load refuses damaged files with the reason.
bool model_save(int index, const std::string &path, std::string &error);
bool model_load(int index, const std::string &path, std::string &error);
void models_clear_all();
