// collision.cpp: bounding boxes from the mask sprite, position, scale and
// angle, and the tests of an instance against a point, a rectangle, an
// ellipse, a line or another instance, by box and per pixel.
#include "world/collision.h"

#include <algorithm>
#include <cmath>

#include "graphics/images.h"
#include "world/instances.h"
#include "world/motion.h"
#include "world/spatial_index.h"

namespace {

// Round to nearest (ties to even), held inside the 32-bit range; NaN gives 0.
int32_t box_int(double v)
{
	if (std::isnan(v))
		return 0;
	v = std::nearbyint(v);
	return (int32_t)std::clamp(v, -2147483647.0, 2147483647.0);
}

bool unrotated(const CInstance &i) { return std::fabs(i.image_angle) < SNAP_TOLERANCE; }

// The mask sprite when it can collide at all: it exists and has an image.
const CSprite *shape_of(const CInstance &i)
{
	const CSprite *s = mask_sprite(i);
	return s && s->frame_count() >= 1 ? s : nullptr;
}

// The mask of the instance's current frame, or null when the sprite has none
// of the right size.
const std::vector<uint8_t> *frame_mask(const CSprite &s, float image_index)
{
	int count = (int)s.masks.size();
	if (count == 0)
		return nullptr;
	double t = std::trunc((double)image_index);
	if (!std::isfinite(t))
		t = 0;
	double m = std::fmod(t, (double)count);
	if (m < 0)
		m += count;
	const std::vector<uint8_t> &mask = s.masks[(size_t)m];
	return mask.size() >= (size_t)s.width * (size_t)s.height ? &mask : nullptr;
}

// The mask byte at mask coordinates; 0 outside the mask (NaN included).
uint8_t mask_byte(const CSprite &s, const std::vector<uint8_t> &mask, double mx, double my)
{
	if (!(mx >= 0 && mx < s.width && my >= 0 && my < s.height))
		return 0;
	return mask[(size_t)my * (size_t)s.width + (size_t)mx];
}

// How one instance maps room pixels into its mask.
struct Mapping
{
	const CInstance *instance;
	const CSprite *sprite;
	const std::vector<uint8_t> *mask;
	double x, y;     // the instance's rounded position
	double sx, sy, ox, oy;
	double cos_a, sin_a; // of minus the angle
	bool plain;      // scales 1 and no rotation
	bool level;      // no rotation

	Mapping(const CInstance &i, const CSprite &s)
	    : instance(&i), sprite(&s), mask(frame_mask(s, i.image_index)), x(std::nearbyint(i.x)),
	      y(std::nearbyint(i.y)), sx(i.image_xscale), sy(i.image_yscale), ox(s.x_origin), oy(s.y_origin)
	{
		float a = -i.image_angle * ANGLE_FACTOR;
		cos_a = std::cos(a);
		sin_a = std::sin(a);
		level = unrotated(i);
		plain = level && sx == 1 && sy == 1;
	}

	// The rotated form, floored (point, rectangle, ellipse and line tests).
	void rotated(double px, double py, double &mx, double &my) const
	{
		double dx = px - x, dy = py - y;
		mx = std::floor((dx * cos_a + dy * sin_a) / sx + ox);
		my = std::floor((dy * cos_a - dx * sin_a) / sy + oy);
	}

	// A solid pixel for the shape tests: mask byte exactly 1.
	bool shape_pixel(double px, double py, bool force_rotated) const
	{
		if (!mask)
			return true;
		double mx, my;
		if (plain && !force_rotated) {
			mx = px - x + ox;
			my = py - y + oy;
		} else {
			rotated(px, py, mx, my);
		}
		return mask_byte(*sprite, *mask, mx, my) == 1;
	}

	// A solid pixel for the instances test: offsets scaled and truncated; a
	// sprite without masks is solid over its whole rectangle.
	bool instance_pixel(double px, double py) const
	{
		double dx = px - x, dy = py - y, mx, my;
		if (plain) {
			mx = dx + ox;
			my = dy + oy;
		} else if (level) {
			mx = std::trunc(dx * (1 / sx) + ox);
			my = std::trunc(dy * (1 / sy) + oy);
		} else {
			mx = std::trunc((dy * sin_a + dx * cos_a) * (1 / sx) + ox);
			my = std::trunc((dy * cos_a - dx * sin_a) * (1 / sy) + oy);
		}
		if (!mask)
			return mx >= 0 && mx < sprite->width && my >= 0 && my < sprite->height;
		return mask_byte(*sprite, *mask, mx, my) != 0;
	}
};

struct Rounded
{
	double x1, y1, x2, y2; // corners rounded, ordered
};

Rounded rounded(float x1, float y1, float x2, float y2)
{
	return {std::nearbyint((double)std::min(x1, x2)), std::nearbyint((double)std::min(y1, y2)),
	        std::nearbyint((double)std::max(x1, x2)), std::nearbyint((double)std::max(y1, y2))};
}

// The box test shared by the rectangle, ellipse and line tests; leaves the
// sprite in `s`.
bool shape_box_hits(CInstance &i, float x1, float y1, float x2, float y2, const CSprite *&s)
{
	s = i.marked ? nullptr : shape_of(i);
	if (!s)
		return false;
	refresh_bbox(i);
	return std::min(x1, x2) < (double)i.bbox_right + 1 && std::max(x1, x2) >= (double)i.bbox_left &&
	       std::min(y1, y2) < (double)i.bbox_bottom + 1 && std::max(y1, y2) >= (double)i.bbox_top;
}

// Calls test(px, py) over the overlap of the box and the rounded rectangle,
// x outer, y inner; true at the first pixel it accepts.
template <typename Test>
bool scan_overlap(const CInstance &i, const Rounded &r, Test test)
{
	double left = std::max((double)i.bbox_left, r.x1), right = std::min((double)i.bbox_right, r.x2);
	double top = std::max((double)i.bbox_top, r.y1), bottom = std::min((double)i.bbox_bottom, r.y2);
	for (double px = left; px <= right; px++)
		for (double py = top; py <= bottom; py++)
			if (test(px, py))
				return true;
	return false;
}

// Inside the ellipse of centre (cx, cy) and half axes (a, b); an axis of 0
// holds only its centre line.
bool in_ellipse(double px, double py, double cx, double cy, double a, double b)
{
	auto term = [](double d, double half) { return half == 0 ? (d == 0 ? 0.0 : 2.0) : (d / half) * (d / half); };
	return term(px - cx, a) + term(py - cy, b) <= 1;
}

void note_shape_change(CInstance &i) { spatial_index().note_shape_change(i); }

int32_t image_count(int32_t sprite)
{
	const CSprite *s = sprite_get(sprite);
	return s ? s->frame_count() : 0;
}

bool sprite_present(int32_t sprite) { return sprite_get(sprite) != nullptr; }

} // namespace

void install_collision()
{
	// Hooks already set (ours, or a test's stand-in boxes) are kept.
	InstanceHooks hooks = instance_hooks();
	if (hooks.update_bbox && hooks.shape_changed)
		return;
	if (!hooks.update_bbox)
		hooks.update_bbox = compute_bbox;
	if (!hooks.shape_changed)
		hooks.shape_changed = note_shape_change;
	if (!hooks.sprite_image_count)
		hooks.sprite_image_count = image_count;
	if (!hooks.sprite_exists)
		hooks.sprite_exists = sprite_present;
	set_instance_hooks(hooks);
	// Shapes may have changed unseen while the hooks were away.
	spatial_index().invalidate();
}

CSprite *mask_sprite(const CInstance &i)
{
	return sprite_get(i.mask_index >= 0 ? i.mask_index : i.sprite_index);
}

void compute_bbox(CInstance &i)
{
	i.bbox_dirty = false;
	const CSprite *s = mask_sprite(i);
	if (!s) {
		i.mask_precise = false;
		i.bbox_left = i.bbox_top = i.bbox_right = i.bbox_bottom = NO_BOX;
		return;
	}
	float L = (float)s->bbox_left, T = (float)s->bbox_top, R = (float)s->bbox_right, B = (float)s->bbox_bottom;
	float ox = (float)s->x_origin, oy = (float)s->y_origin;
	float sx = i.image_xscale, sy = i.image_yscale;
	if (i.image_angle == 0) {
		i.bbox_left = box_int(sx * (L - ox) + i.x);
		i.bbox_right = box_int(sx * (R - ox + 1) + i.x - 1);
		i.bbox_top = box_int(sy * (T - oy) + i.y);
		i.bbox_bottom = box_int(sy * (B - oy + 1) + i.y - 1);
		if (i.bbox_left > i.bbox_right)
			std::swap(i.bbox_left, i.bbox_right);
		if (i.bbox_top > i.bbox_bottom)
			std::swap(i.bbox_top, i.bbox_bottom);
	} else {
		float a1 = (std::min(L, R) - ox) * sx, a2 = (std::max(L, R) - ox + 1) * sx - 1;
		float b1 = (std::min(T, B) - oy) * sy, b2 = (std::max(T, B) - oy + 1) * sy - 1;
		float r = i.image_angle * ANGLE_FACTOR;
		float c = std::cos(r), sn = std::sin(r);
		i.bbox_left = box_int(i.x + std::min(c * a1, c * a2) + std::min(sn * b1, sn * b2));
		i.bbox_right = box_int(i.x + std::max(c * a1, c * a2) + std::max(sn * b1, sn * b2));
		i.bbox_top = box_int(i.y + std::min(c * b1, c * b2) - std::max(sn * a1, sn * a2));
		i.bbox_bottom = box_int(i.y + std::max(c * b1, c * b2) - std::min(sn * a1, sn * a2));
	}
	i.mask_precise = s->precise;
}

void refresh_bbox(CInstance &i)
{
	if (i.bbox_dirty)
		compute_bbox(i);
}

bool point_hits(CInstance &i, float px, float py, bool precise)
{
	const CSprite *s = i.marked ? nullptr : shape_of(i);
	if (!s)
		return false;
	refresh_bbox(i);
	if (!(i.bbox_left <= px && px < (double)i.bbox_right + 1 && i.bbox_top <= py && py < (double)i.bbox_bottom + 1))
		return false;
	if (!precise || !s->precise)
		return true;
	Mapping m(i, *s);
	if (!m.mask)
		return true;
	double dx = std::nearbyint(px) - m.x, dy = std::nearbyint(py) - m.y, mx, my;
	if (m.level) {
		mx = std::floor(dx / m.sx + m.ox);
		my = std::floor(dy / m.sy + m.oy);
	} else {
		m.rotated(std::nearbyint(px), std::nearbyint(py), mx, my);
	}
	return mask_byte(*s, *m.mask, mx, my) != 0;
}

bool rectangle_hits(CInstance &i, float x1, float y1, float x2, float y2, bool precise)
{
	const CSprite *s;
	if (!shape_box_hits(i, x1, y1, x2, y2, s))
		return false;
	if (!precise || !i.mask_precise)
		return true;
	Mapping m(i, *s);
	return scan_overlap(i, rounded(x1, y1, x2, y2), [&](double px, double py) { return m.shape_pixel(px, py, false); });
}

bool ellipse_hits(CInstance &i, float x1, float y1, float x2, float y2, bool precise)
{
	const CSprite *s;
	if (!shape_box_hits(i, x1, y1, x2, y2, s))
		return false;
	Rounded r = rounded(x1, y1, x2, y2);
	if (r.x1 == r.x2 || r.y1 == r.y2)
		return rectangle_hits(i, x1, y1, x2, y2, precise);
	// Whole-number centre and half axes, as integer division gives them.
	double cx = std::trunc((r.x1 + r.x2) / 2), cy = std::trunc((r.y1 + r.y2) / 2);
	double a = std::trunc((r.x2 - r.x1) / 2), b = std::trunc((r.y2 - r.y1) / 2);
	bool centre_lines = (cx >= i.bbox_left && cx <= i.bbox_right) || (cy >= i.bbox_top && cy <= i.bbox_bottom);
	if (!centre_lines) {
		bool corner = false;
		for (double px : {(double)i.bbox_left, (double)i.bbox_right})
			for (double py : {(double)i.bbox_top, (double)i.bbox_bottom})
				corner = corner || in_ellipse(px, py, cx, cy, a, b);
		if (!corner)
			return false;
	}
	if (!precise || !i.mask_precise)
		return true;
	Mapping m(i, *s);
	return scan_overlap(i, r, [&](double px, double py) {
		return in_ellipse(px, py, cx, cy, a, b) && m.shape_pixel(px, py, false);
	});
}

bool line_hits(CInstance &i, float x1, float y1, float x2, float y2, bool precise)
{
	const CSprite *s;
	if (!shape_box_hits(i, x1, y1, x2, y2, s))
		return false;
	double xa = x1, ya = y1, xb = x2, yb = y2;
	if (xb < xa) {
		std::swap(xa, xb);
		std::swap(ya, yb);
	}
	double left = i.bbox_left, right = (double)i.bbox_right + 1;
	auto y_at = [&](double x) { return ya + (x - xa) * (yb - ya) / (xb - xa); };
	double cxa = xa, cya = ya, cxb = xb, cyb = yb;
	if (xb != xa) {
		if (cxa < left) {
			cya = y_at(left);
			cxa = left;
		}
		if (cxb > right) {
			cyb = y_at(right);
			cxb = right;
		}
	}
	double top = i.bbox_top, bottom_edge = (double)i.bbox_bottom + 1;
	if ((cya < top && cyb < top) || (cya >= bottom_edge && cyb >= bottom_edge))
		return false;
	if (!precise || !i.mask_precise)
		return true;
	double X1 = std::nearbyint(cxa), Y1 = std::nearbyint(cya), X2 = std::nearbyint(cxb), Y2 = std::nearbyint(cyb);
	if (X1 == X2 || Y1 == Y2)
		return rectangle_hits(i, (float)X1, (float)Y1, (float)X2, (float)Y2, true);
	Mapping m(i, *s);
	double dx = X2 - X1, dy = Y2 - Y1;
	if (std::fabs(dx) < std::fabs(dy)) {
		double lx = Y1 < Y2 ? X1 : X2, ly = std::min(Y1, Y2);
		double from = std::max(ly, top), to = std::min(std::max(Y1, Y2), (double)i.bbox_bottom);
		for (double py = from; py <= to; py++)
			if (m.shape_pixel(lx + (py - ly) * dx / dy, py, true))
				return true;
	} else {
		double from = std::max(X1, left), to = std::min(X2, (double)i.bbox_right);
		for (double px = from; px <= to; px++)
			if (m.shape_pixel(px, Y1 + (px - X1) * dy / dx, true))
				return true;
	}
	return false;
}

bool instances_collide(CInstance &a, CInstance &b, bool precise)
{
	if (&a == &b || a.marked || b.marked)
		return false;
	const CSprite *sa = shape_of(a), *sb = shape_of(b);
	if (!sa || !sb)
		return false;
	refresh_bbox(a);
	refresh_bbox(b);
	if (!(b.bbox_left <= a.bbox_right && b.bbox_right >= a.bbox_left && b.bbox_top <= a.bbox_bottom &&
	      b.bbox_bottom >= a.bbox_top))
		return false;
	if (!precise || (!sa->precise && !sb->precise))
		return true;
	Mapping ma(a, *sa), mb(b, *sb);
	double left = std::max(a.bbox_left, b.bbox_left), right = std::min(a.bbox_right, b.bbox_right);
	double top = std::max(a.bbox_top, b.bbox_top), bottom = std::min(a.bbox_bottom, b.bbox_bottom);
	for (double px = left; px <= right; px++)
		for (double py = top; py <= bottom; py++)
			if (ma.instance_pixel(px, py) && mb.instance_pixel(px, py))
				return true;
	return false;
}
