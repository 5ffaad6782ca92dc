// d3d.cpp: the primitive builder, texture handles, the world-matrix stack and
// the shapes of 3D drawing; each shape is made of primitives with normals and
// texture coordinates repeated hrepeat x vrepeat times.
#include "graphics/d3d.h"

#include <algorithm>
#include <cmath>

#include "graphics/draw_state.h"
#include "graphics/images.h"
#include "graphics/sprite_draw.h"
#include "graphics/texture_table.h"

namespace {

constexpr float PI_F = 3.1415927410125732f;
constexpr size_t STACK_DEPTH = 32;

struct Builder
{
	int kind = -1;
	int texture = -1;
	bool full = false;
	std::vector<Vertex36> vertices;
};

Builder g_builder;
std::vector<Matrix4> g_stack;

Vertex36 vertex(float x, float y, float z, float nx, float ny, float nz, float u, float v)
{
	return {x, y, z, nx, ny, nz, draw_state().colour, u, v};
}

} // namespace

// ---- Primitives ----

bool resolve_texture_handle(int handle, TextureMapping &out)
{
	out = TextureMapping();
	if (handle == -1)
		return true;
	if (texture_exists(handle)) {
		out.texture = texture_device(handle);
		return out.texture != nullptr;
	}
	if (handle < ENTRY_HANDLE_BASE)
		return false;
	FrameImage img;
	if (!entry_image(handle - ENTRY_HANDLE_BASE, img))
		return false;
	// (0, 0)-(1, 1) covers the packed image on its page.
	out.texture = img.texture;
	out.u_mul = (float)img.e.target_width * img.u_scale;
	out.u_add = (float)img.e.source_x * img.u_scale;
	out.v_mul = (float)img.e.target_height * img.v_scale;
	out.v_add = (float)img.e.source_y * img.v_scale;
	return true;
}

void submit_primitive(int kind, int texture, const std::vector<Vertex36> &vertices, bool full)
{
	if (kind < PR_POINTLIST || kind > PR_TRIANGLEFAN || vertices.empty())
		return;
	TextureMapping t;
	if (!resolve_texture_handle(texture, t))
		return;
	int n = (int)std::min<size_t>(vertices.size(), BATCH_VERTICES);
	float z = GR_GetDepth();
	if (full) {
		auto *out = (Vertex36 *)GR_Batch_Alloc(kind, t.texture, 36, n);
		if (!out)
			return;
		for (int i = 0; i < n; i++) {
			out[i] = vertices[(size_t)i];
			out[i].u = vertices[(size_t)i].u * t.u_mul + t.u_add;
			out[i].v = vertices[(size_t)i].v * t.v_mul + t.v_add;
		}
	} else {
		auto *out = (Vertex24 *)GR_Batch_Alloc(kind, t.texture, 24, n);
		if (!out)
			return;
		for (int i = 0; i < n; i++) {
			const Vertex36 &v = vertices[(size_t)i];
			out[i] = {v.x, v.y, z, v.colour, v.u * t.u_mul + t.u_add, v.v * t.v_mul + t.v_add};
		}
	}
}

void primitive_begin(int kind, int texture, bool full)
{
	g_builder.kind = kind;
	g_builder.texture = texture;
	g_builder.full = full;
	g_builder.vertices.clear();
	g_builder.vertices.reserve(PRIMITIVE_MAX_VERTICES);
}

void primitive_vertex(const Vertex36 &v)
{
	if (g_builder.kind >= 0 && g_builder.vertices.size() < (size_t)PRIMITIVE_MAX_VERTICES)
		g_builder.vertices.push_back(v);
}

void primitive_end()
{
	if (g_builder.kind >= 0)
		submit_primitive(g_builder.kind, g_builder.texture, g_builder.vertices, g_builder.full);
	g_builder.kind = -1;
	g_builder.vertices.clear();
}

int primitive_vertex_count() { return (int)g_builder.vertices.size(); }

// ---- Shapes ----

namespace {

// A quad as a strip: a, b along the first edge, then c, d along the opposite.
void quad(const Vertex36 &a, const Vertex36 &b, const Vertex36 &c, const Vertex36 &d, int texture)
{
	submit_primitive(PR_TRIANGLESTRIP, texture, {a, b, c, d}, true);
}

int clamp_steps(int steps) { return std::clamp(steps, 3, 128); }

} // namespace

void shape_block(const Box &b, int texture, float h, float v)
{
	float x1 = b.x1, y1 = b.y1, z1 = b.z1, x2 = b.x2, y2 = b.y2, z2 = b.z2;
	// Top (z1, facing -z) and bottom (z2, facing +z).
	quad(vertex(x1, y1, z1, 0, 0, -1, 0, 0), vertex(x2, y1, z1, 0, 0, -1, h, 0), vertex(x1, y2, z1, 0, 0, -1, 0, v),
	     vertex(x2, y2, z1, 0, 0, -1, h, v), texture);
	quad(vertex(x1, y1, z2, 0, 0, 1, 0, 0), vertex(x1, y2, z2, 0, 0, 1, 0, v), vertex(x2, y1, z2, 0, 0, 1, h, 0),
	     vertex(x2, y2, z2, 0, 0, 1, h, v), texture);
	// The four sides.
	quad(vertex(x1, y1, z1, 0, -1, 0, 0, 0), vertex(x1, y1, z2, 0, -1, 0, 0, v), vertex(x2, y1, z1, 0, -1, 0, h, 0),
	     vertex(x2, y1, z2, 0, -1, 0, h, v), texture);
	quad(vertex(x2, y1, z1, 1, 0, 0, 0, 0), vertex(x2, y1, z2, 1, 0, 0, 0, v), vertex(x2, y2, z1, 1, 0, 0, h, 0),
	     vertex(x2, y2, z2, 1, 0, 0, h, v), texture);
	quad(vertex(x2, y2, z1, 0, 1, 0, 0, 0), vertex(x2, y2, z2, 0, 1, 0, 0, v), vertex(x1, y2, z1, 0, 1, 0, h, 0),
	     vertex(x1, y2, z2, 0, 1, 0, h, v), texture);
	quad(vertex(x1, y2, z1, -1, 0, 0, 0, 0), vertex(x1, y2, z2, -1, 0, 0, 0, v), vertex(x1, y1, z1, -1, 0, 0, h, 0),
	     vertex(x1, y1, z2, -1, 0, 0, h, v), texture);
}

void shape_wall(const Box &b, int texture, float h, float v)
{
	float dx = b.x2 - b.x1, dy = b.y2 - b.y1;
	float len = std::sqrt(dx * dx + dy * dy);
	float nx = len > 0 ? dy / len : 0, ny = len > 0 ? -dx / len : 0;
	quad(vertex(b.x1, b.y1, b.z1, nx, ny, 0, 0, 0), vertex(b.x2, b.y2, b.z1, nx, ny, 0, h, 0),
	     vertex(b.x1, b.y1, b.z2, nx, ny, 0, 0, v), vertex(b.x2, b.y2, b.z2, nx, ny, 0, h, v), texture);
}

void shape_floor(const Box &b, int texture, float h, float v)
{
	// The far edge takes z2, so that a floor can slope.
	quad(vertex(b.x1, b.y1, b.z1, 0, 0, 1, 0, 0), vertex(b.x2, b.y1, b.z1, 0, 0, 1, h, 0),
	     vertex(b.x1, b.y2, b.z2, 0, 0, 1, 0, v), vertex(b.x2, b.y2, b.z2, 0, 0, 1, h, v), texture);
}

namespace {

// The side of a cylinder or cone around the z axis of the box; `apex` closes
// the top to the centre.
void round_side(const Box &b, int texture, float h, float v, int steps, bool apex)
{
	float cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2;
	float rx = std::fabs(b.x2 - b.x1) / 2, ry = std::fabs(b.y2 - b.y1) / 2;
	std::vector<Vertex36> strip;
	strip.reserve((size_t)(steps + 1) * 2);
	for (int i = 0; i <= steps; i++) {
		float a = 2 * PI_F * (float)i / (float)steps;
		float c = std::cos(a), s = std::sin(a);
		float u = h * (float)i / (float)steps;
		strip.push_back(vertex(apex ? cx : cx + c * rx, apex ? cy : cy + s * ry, b.z2, c, s, 0, u, 0));
		strip.push_back(vertex(cx + c * rx, cy + s * ry, b.z1, c, s, 0, u, v));
	}
	submit_primitive(PR_TRIANGLESTRIP, texture, strip, true);
}

void round_cap(const Box &b, int texture, int steps, float z, float nz)
{
	float cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2;
	float rx = std::fabs(b.x2 - b.x1) / 2, ry = std::fabs(b.y2 - b.y1) / 2;
	std::vector<Vertex36> fan;
	fan.push_back(vertex(cx, cy, z, 0, 0, nz, 0.5f, 0.5f));
	for (int i = 0; i <= steps; i++) {
		float a = 2 * PI_F * (float)(nz > 0 ? i : steps - i) / (float)steps;
		float c = std::cos(a), s = std::sin(a);
		fan.push_back(vertex(cx + c * rx, cy + s * ry, z, 0, 0, nz, 0.5f + c / 2, 0.5f + s / 2));
	}
	submit_primitive(PR_TRIANGLEFAN, texture, fan, true);
}

} // namespace

void shape_cylinder(const Box &b, int texture, float h, float v, bool closed, int steps)
{
	steps = clamp_steps(steps);
	round_side(b, texture, h, v, steps, false);
	if (closed) {
		round_cap(b, texture, steps, b.z1, -1);
		round_cap(b, texture, steps, b.z2, 1);
	}
}

void shape_cone(const Box &b, int texture, float h, float v, bool closed, int steps)
{
	steps = clamp_steps(steps);
	round_side(b, texture, h, v, steps, true);
	if (closed)
		round_cap(b, texture, steps, b.z1, -1);
}

void shape_ellipsoid(const Box &b, int texture, float h, float v, int steps)
{
	steps = clamp_steps(steps);
	int rings = std::max(2, steps / 2);
	float cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2, cz = (b.z1 + b.z2) / 2;
	float rx = std::fabs(b.x2 - b.x1) / 2, ry = std::fabs(b.y2 - b.y1) / 2, rz = std::fabs(b.z2 - b.z1) / 2;
	std::vector<Vertex36> strip;
	for (int r = 0; r < rings; r++) {
		strip.clear();
		for (int i = 0; i <= steps; i++) {
			float a = 2 * PI_F * (float)i / (float)steps;
			for (int k = 0; k < 2; k++) {
				float t = PI_F * (float)(r + k) / (float)rings; // 0 at the top (-z)
				float nx = std::cos(a) * std::sin(t), ny = std::sin(a) * std::sin(t), nz = -std::cos(t);
				strip.push_back(vertex(cx + nx * rx, cy + ny * ry, cz + nz * rz, nx, ny, nz,
				                       h * (float)i / (float)steps, v * (float)(r + k) / (float)rings));
			}
		}
		submit_primitive(PR_TRIANGLESTRIP, texture, strip, true);
	}
}

// ---- World transform ----

Matrix4 matrix_scaling(float x, float y, float z)
{
	Matrix4 m;
	m.m[0][0] = x;
	m.m[1][1] = y;
	m.m[2][2] = z;
	return m;
}

Matrix4 matrix_rotation_axis(float x, float y, float z, float degrees)
{
	Matrix4 m;
	float len = std::sqrt(x * x + y * y + z * z);
	if (!(len > 0))
		return m;
	x /= len, y /= len, z /= len;
	// Counter-clockwise on a screen whose y axis points down: the negative
	// angle in the row-vector convention.
	float a = -degrees * PI_F / 180.0f;
	float c = std::cos(a), s = std::sin(a), t = 1 - c;
	m.m[0][0] = t * x * x + c, m.m[0][1] = t * x * y + s * z, m.m[0][2] = t * x * z - s * y;
	m.m[1][0] = t * x * y - s * z, m.m[1][1] = t * y * y + c, m.m[1][2] = t * y * z + s * x;
	m.m[2][0] = t * x * z + s * y, m.m[2][1] = t * y * z - s * x, m.m[2][2] = t * z * z + c;
	return m;
}

void transform_set(const Matrix4 &m) { GR_SetTransform(2, m); }
void transform_add(const Matrix4 &m) { GR_SetTransform(2, GR_GetTransform(2) * m); }

bool transform_push()
{
	if (g_stack.size() >= STACK_DEPTH)
		return false;
	g_stack.push_back(GR_GetTransform(2));
	return true;
}

bool transform_pop()
{
	if (g_stack.empty())
		return false;
	GR_SetTransform(2, g_stack.back());
	g_stack.pop_back();
	return true;
}

bool transform_top()
{
	if (g_stack.empty())
		return false;
	GR_SetTransform(2, g_stack.back());
	return true;
}

bool transform_discard()
{
	if (g_stack.empty())
		return false;
	g_stack.pop_back();
	return true;
}

void transform_clear() { g_stack.clear(); }
bool transform_empty() { return g_stack.empty(); }

void transform_point(float x, float y, float z, float out[3]) { GR_GetTransform(2).transform_point(x, y, z, out); }
