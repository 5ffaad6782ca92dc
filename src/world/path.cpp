// path.cpp: the computed polyline of a path (straight segments, or quadratic
// spans between the midpoints of the control legs, subdivided to the path's
// precision), its lengths, and the point at a position by arc length.
#include "world/path.h"

#include <algorithm>
#include <cmath>

namespace {

// Spans whose control leg is at most this long (squared, 4 pixels) are not
// refined further.
constexpr float FLAT_LEG_SQUARED = 16.0f;

PathCurvePoint mid(const PathCurvePoint &a, const PathCurvePoint &b)
{
	return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.speed + b.speed) / 2, 0};
}

float leg_squared(const PathCurvePoint &a, const PathCurvePoint &b)
{
	float dx = b.x - a.x, dy = b.y - a.y;
	return dx * dx + dy * dy;
}

PathCurvePoint curve_point(const PathPoint &p) { return {p.x, p.y, p.speed, 0}; }

// Emits the inner points of the quadratic span from s through control k to e:
// the point at its middle, with the halves before and after it refined while
// their legs are longer than 4 pixels and the depth lasts. Depth is at most
// PATH_PRECISION_MAX, so a span gives at most 255 points.
void subdivide(int32_t depth, PathCurvePoint s, PathCurvePoint k, const PathCurvePoint &e,
               std::vector<PathCurvePoint> &out)
{
	while (depth > 0) {
		PathCurvePoint m = {(s.x + 2 * k.x + e.x) / 4, (s.y + 2 * k.y + e.y) / 4,
		                    (s.speed + 2 * k.speed + e.speed) / 4, 0};
		if (leg_squared(s, k) > FLAT_LEG_SQUARED)
			subdivide(depth - 1, s, mid(s, k), m, out);
		out.push_back(m);
		if (!(leg_squared(k, e) > FLAT_LEG_SQUARED))
			return;
		depth--;
		s = m;
		k = mid(k, e);
	}
}

void smooth_curve(const CPath &path, std::vector<PathCurvePoint> &out)
{
	const std::vector<PathPoint> &p = path.points;
	size_t n = p.size();
	if (!path.closed)
		out.push_back(curve_point(p[0]));
	size_t last = path.closed ? n : n - 2;
	for (size_t i = 1; (path.closed || n >= 2) && i <= last; i++) {
		PathCurvePoint u = curve_point(p[(i - 1) % n]), v = curve_point(p[i % n]), w = curve_point(p[(i + 1) % n]);
		PathCurvePoint start = mid(u, v);
		out.push_back(start);
		subdivide(path.precision, start, v, mid(v, w), out);
	}
	if (path.closed)
		out.push_back(out.front());
	else if (n >= 2)
		out.push_back(curve_point(p[n - 1]));
}

} // namespace

void CPath::recompute()
{
	if (kind != 1)
		kind = 0;
	precision = std::clamp(precision, 0, PATH_PRECISION_MAX);
	curve.clear();
	if (!points.empty()) {
		if (kind == 1) {
			smooth_curve(*this, curve);
		} else {
			for (const PathPoint &p : points)
				curve.push_back(curve_point(p));
			if (closed)
				curve.push_back(curve.front());
		}
	}
	float total = 0;
	for (size_t i = 0; i < curve.size(); i++) {
		if (i > 0) {
			float sum = leg_squared(curve[i - 1], curve[i]);
			total += std::sqrt(sum);
		}
		curve[i].length = total;
	}
	length = total;
}

PathPoint CPath::point_at(float position) const
{
	const std::vector<PathCurvePoint> &c = curve;
	if (c.empty())
		return {0, 0, 100};
	auto point = [](const PathCurvePoint &p) { return PathPoint{p.x, p.y, p.speed}; };
	if (c.size() == 1 || length == 0 || !(position > 0))
		return point(c.front());
	if (position >= 1)
		return point(c.back());
	float d = length * position;
	// The first segment whose end lies beyond d; lengths never decrease.
	auto end = std::upper_bound(c.begin() + 1, c.end(), d,
	                            [](float value, const PathCurvePoint &p) { return value < p.length; });
	if (end == c.end())
		end = c.end() - 1;
	const PathCurvePoint &a = *(end - 1), &b = *end;
	float span = b.length - a.length;
	if (!(span > 0))
		return point(a);
	float t = (d - a.length) / span;
	return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.speed + (b.speed - a.speed) * t};
}

std::unique_ptr<CPath> make_path(const PathRecord &record)
{
	auto p = std::make_unique<CPath>();
	p->name = record.name;
	p->points = record.points;
	// A kind other than 1 is straight; a precision beyond 8 is 8 (a file's
	// larger value would ask for 2^precision points per span).
	p->kind = record.kind == 1 ? 1 : 0;
	p->closed = record.closed;
	p->precision = (int32_t)std::min<uint32_t>(record.precision, PATH_PRECISION_MAX);
	p->recompute();
	return p;
}

std::vector<std::unique_ptr<CPath>> &path_table()
{
	static std::vector<std::unique_ptr<CPath>> table;
	return table;
}

CPath *find_path(int32_t index)
{
	std::vector<std::unique_ptr<CPath>> &t = path_table();
	if (index < 0 || (size_t)index >= t.size())
		return nullptr;
	return t[(size_t)index].get();
}
