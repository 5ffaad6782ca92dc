// image_draw.cpp: the geometry of drawn frames: every form turns a frame into
// quads of two triangles (6 vertices of the textured layout) in the batch, at
// the current depth, all in 32-bit floats.
#include "graphics/sprite_draw.h"

#include <algorithm>
#include <cmath>

#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/texture_table.h"

namespace {

constexpr float PI_F = 3.1415927f;

struct Point
{
	float x, y;
};

// Corners in the order top-left, top-right, bottom-right, bottom-left.
void emit_quad(TextureD3D *texture, const Point p[4], float uL, float vT, float uR, float vB, const uint32_t c[4])
{
	Vertex24 *v = (Vertex24 *)GR_Batch_Alloc(PR_TRIANGLELIST, texture, 24, 6);
	if (!v)
		return;
	float z = GR_GetDepth();
	const float u[4] = {uL, uR, uR, uL}, w[4] = {vT, vT, vB, vB};
	static const int order[6] = {0, 1, 2, 2, 3, 0};
	for (int i = 0; i < 6; i++) {
		int k = order[i];
		v[i] = {p[k].x, p[k].y, z, c[k], u[k], w[k]};
	}
}

void emit_quad(TextureD3D *texture, const Point p[4], float uL, float vT, float uR, float vB, uint32_t colour)
{
	const uint32_t c[4] = {colour, colour, colour, colour};
	emit_quad(texture, p, uL, vT, uR, vB, c);
}

// The local rectangle l, t, r, b placed at (x, y), rotated by a (radians) when
// abs(a) reaches the limit.
void place(float x, float y, float l, float t, float r, float b, float a, float limit, Point out[4])
{
	const Point local[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
	if (std::fabs(a) < limit) {
		for (int i = 0; i < 4; i++)
			out[i] = {x + local[i].x, y + local[i].y};
		return;
	}
	float s = std::sin(a), c = std::cos(a);
	for (int i = 0; i < 4; i++)
		out[i] = {x + c * local[i].x + s * local[i].y, y - s * local[i].x + c * local[i].y};
}

float radians(float degrees) { return degrees * PI_F / 180.0f; }

} // namespace

bool entry_image(int entry_index, FrameImage &out)
{
	const TexturePageEntry *e = entry_get(entry_index);
	if (!e)
		return false;
	int id = entry_texture(*e);
	const TextureSlot *slot = texture_slot(id);
	if (!slot)
		return false;
	out.e = *e;
	out.texture = texture_device(id);
	out.u_scale = slot->u_scale;
	out.v_scale = slot->v_scale;
	return out.texture != nullptr;
}

bool texture_image(int texture_id, FrameImage &out)
{
	const TextureSlot *slot = texture_slot(texture_id);
	if (!slot)
		return false;
	int16_t w = (int16_t)std::min<int>(slot->width, 32767), h = (int16_t)std::min<int>(slot->height, 32767);
	out.e = TexturePageEntry{0, 0, w, h, 0, 0, w, h, w, h, 0, 0};
	out.texture = texture_device(texture_id);
	out.u_scale = slot->u_scale;
	out.v_scale = slot->v_scale;
	return out.texture != nullptr;
}

int wrap_frame(int frame, int count)
{
	if (count <= 0)
		return 0;
	int f = frame % count;
	return f < 0 ? f + count : f;
}

void image_draw(const FrameImage &img, float x, float y, float ox, float oy, uint32_t colour)
{
	const TexturePageEntry &e = img.e;
	float left = x - ox + e.target_x, top = y - oy + e.target_y;
	Point p[4] = {{left, top}, {left + e.target_width, top}, {left + e.target_width, top + e.target_height},
	              {left, top + e.target_height}};
	emit_quad(img.texture, p, e.source_x * img.u_scale, e.source_y * img.v_scale,
	          (e.source_x + e.source_width) * img.u_scale, (e.source_y + e.source_height) * img.v_scale, colour);
}

void image_draw_ext(const FrameImage &img, float x, float y, float ox, float oy, float sx, float sy, float rot,
                    uint32_t colour)
{
	const TexturePageEntry &e = img.e;
	float l = (e.target_x - ox) * sx, t = (e.target_y - oy) * sy;
	float r = l + sx * e.target_width, b = t + sy * e.target_height;
	Point p[4];
	place(x, y, l, t, r, b, radians(rot), 0.001f, p);
	emit_quad(img.texture, p, e.source_x * img.u_scale, e.source_y * img.v_scale,
	          (e.source_x + e.source_width) * img.u_scale, (e.source_y + e.source_height) * img.v_scale, colour);
}

void image_draw_pos(const FrameImage &img, const float corners[8], uint32_t colour)
{
	const TexturePageEntry &e = img.e;
	Point p[4] = {{corners[0], corners[1]}, {corners[2], corners[3]}, {corners[4], corners[5]}, {corners[6], corners[7]}};
	emit_quad(img.texture, p, e.source_x * img.u_scale, e.source_y * img.v_scale,
	          (e.source_x + e.source_width) * img.u_scale, (e.source_y + e.source_height) * img.v_scale, colour);
}

void image_draw_part(const FrameImage &img, float left, float top, float width, float height, float x, float y,
                     float sx, float sy, float rot, uint32_t colour)
{
	const TexturePageEntry &e = img.e;
	if (e.target_x > left) {
		x += std::trunc((e.target_x - left) * sx);
		width -= e.target_x - left;
		left = 0;
	} else {
		left -= e.target_x;
	}
	if (e.target_y > top) {
		y += std::trunc((e.target_y - top) * sy);
		height -= e.target_y - top;
		top = 0;
	} else {
		top -= e.target_y;
	}
	// Clipped to the frame from the region's start, so that a region reaching
	// past the frame never shows the neighbouring images of the page.
	width = std::min<float>(width, e.target_width - left);
	height = std::min<float>(height, e.target_height - top);
	if (width <= 0 || height <= 0)
		return;
	Point p[4];
	place(x, y, 0, 0, width * sx, height * sy, radians(rot), 0.001f, p);
	float fx = (float)e.source_width / e.target_width, fy = (float)e.source_height / e.target_height;
	float uL = (e.source_x + fx * left) * img.u_scale, vT = (e.source_y + fy * top) * img.v_scale;
	emit_quad(img.texture, p, uL, vT, uL + fx * width * img.u_scale, vT + fy * height * img.v_scale, colour);
}

void image_draw_general(const FrameImage &img, float left, float top, float width, float height, float x, float y,
                        float sx, float sy, float rot, const uint32_t colours[4])
{
	const TexturePageEntry &e = img.e;
	if (e.target_x > left) {
		x += std::trunc(e.target_x - left);
		width -= e.target_x - left;
		left = 0;
	} else {
		left -= e.target_x;
	}
	if (e.target_y > top) {
		y += std::trunc(e.target_y - top);
		height -= e.target_y - top;
		top = 0;
	} else {
		top -= e.target_y;
	}
	// Clipped to the frame from the region's start, so that a region reaching
	// past the frame never shows the neighbouring images of the page.
	width = std::min<float>(width, e.target_width - left);
	height = std::min<float>(height, e.target_height - top);
	if (width <= 0 || height <= 0)
		return;
	Point p[4];
	place(x, y, 0, 0, width * sx, height * sy, radians(rot), 0.01f, p);
	emit_quad(img.texture, p, (e.source_x + left) * img.u_scale, (e.source_y + top) * img.v_scale,
	          (e.source_x + left + width) * img.u_scale, (e.source_y + top + height) * img.v_scale, colours);
}

namespace {

// The first column (or row) of a tiling: one frame width left of the first
// tile that reaches into the area.
float tile_start(float start, float step, float frame_size, float area_start, float area_size)
{
	float m = std::fmod(start, step);
	if (m > 0)
		m -= step;
	// Whole steps at once, so that a far-away start costs no long loop.
	if (m + step < area_start)
		m += std::ceil((area_start - step - m) / step) * step;
	if (m >= area_start + area_size)
		m -= std::floor((m - area_start - area_size) / step + 1) * step;
	return m - frame_size;
}

} // namespace

void image_draw_tiled(const FrameImage &img, float x, float y, float ox, float oy, float sx, float sy, bool htile,
                      bool vtile, const Area &area, uint32_t colour)
{
	const TexturePageEntry &e = img.e;
	float tw = std::trunc(sx * e.bounding_width), th = std::trunc(sy * e.bounding_height);
	if (tw <= 0 || th <= 0)
		return;
	float x0 = std::trunc((e.target_x - ox) * sx) + std::trunc(x);
	if (!std::isfinite(x0) || !std::isfinite(y))
		return;
	if (htile)
		x0 = tile_start(x0, tw, e.bounding_width, area.left, area.width);
	float uL = e.source_x * img.u_scale, uR = uL + (e.source_width - 0.5f) * img.u_scale;
	float vT = e.source_y * img.v_scale, vB = (e.source_y + e.source_height) * img.v_scale;
	float qw = e.target_width * sx, qh = e.target_height * sy;
	for (; x0 < area.left + area.width; x0 += tw) {
		float y0 = std::trunc((e.target_y - oy) * sy) + std::trunc(y);
		if (vtile)
			y0 = tile_start(y0, th, e.bounding_height, area.top, area.height);
		for (; y0 < area.top + area.height; y0 += th) {
			Point p[4] = {{x0, y0}, {x0 + qw, y0}, {x0 + qw, y0 + qh}, {x0, y0 + qh}};
			emit_quad(img.texture, p, uL, vT, uR, vB, colour);
			if (!vtile)
				break;
		}
		if (!htile)
			break;
	}
}
