// ds_grid_region.cpp: grid operations over rectangles, disks and regions of
// another grid: set/add/multiply, statistics and value searches.
#include <algorithm>
#include <cmath>
#include <vector>

#include "ds/ds_grid.h"

namespace {

int clamp_to(int64_t v, int64_t lo, int64_t hi) { return (int)std::min(std::max(v, lo), hi); }

// A real coordinate bound clipped to lo-1 .. hi+1, so it fits an int.
int64_t clip_real(double v, int64_t lo, int64_t hi)
{
	if (v < (double)(lo - 1))
		return lo - 1;
	if (v > (double)(hi + 1))
		return hi + 1;
	return (int64_t)v;
}

// Folds cell reals into one statistic.
struct StatFold
{
	DsGridStat stat;
	double acc = 0;
	int64_t count = 0;

	void take(double v)
	{
		if (count == 0 && stat != DS_STAT_SUM && stat != DS_STAT_MEAN)
			acc = v;
		else if (stat == DS_STAT_MIN)
			acc = std::min(acc, v);
		else if (stat == DS_STAT_MAX)
			acc = std::max(acc, v);
		else
			acc += v;
		count++;
	}
	double result() const
	{
		if (stat == DS_STAT_MEAN)
			return count ? acc / (double)count : 0.0;
		return acc;
	}
};

} // namespace

DsRect CDS_Grid::rect(int64_t x1, int64_t y1, int64_t x2, int64_t y2) const
{
	DsRect r;
	r.x0 = clamp_to(std::min(x1, x2), 0, m_width);
	r.x1 = clamp_to(std::max(x1, x2), -1, (int64_t)m_width - 1);
	r.y0 = clamp_to(std::min(y1, y2), 0, m_height);
	r.y1 = clamp_to(std::max(y1, y2), -1, (int64_t)m_height - 1);
	return r;
}

void CDS_Grid::apply_rect(const DsRect &r, const Value &v, DsCellOp op)
{
	for (int x = r.x0; x <= r.x1; x++)
		for (int y = r.y0; y <= r.y1; y++)
			ds_cell_apply(cell(x, y), v, op);
}

DsRect CDS_Grid::disk_box(double xm, double ym, double r) const
{
	DsRect box{0, 0, -1, -1};
	if (!std::isfinite(xm) || !std::isfinite(ym) || !std::isfinite(r) || r < 0)
		return box;
	box.x0 = (int)std::max<int64_t>(0, clip_real(std::floor(xm - r), 0, m_width));
	box.x1 = (int)std::min<int64_t>((int64_t)m_width - 1, clip_real(std::ceil(xm + r), 0, m_width));
	box.y0 = (int)std::max<int64_t>(0, clip_real(std::floor(ym - r), 0, m_height));
	box.y1 = (int)std::min<int64_t>((int64_t)m_height - 1, clip_real(std::ceil(ym + r), 0, m_height));
	return box;
}

template <typename F> void CDS_Grid::for_disk(double xm, double ym, double r, F &&f) const
{
	DsRect box = disk_box(xm, ym, r);
	double r2 = r * r;
	for (int x = box.x0; x <= box.x1; x++) {
		for (int y = box.y0; y <= box.y1; y++) {
			double dx = x - xm, dy = y - ym;
			if (dx * dx + dy * dy <= r2 && !f(x, y))
				return;
		}
	}
}

void CDS_Grid::apply_disk(double xm, double ym, double r, const Value &v, DsCellOp op)
{
	for_disk(xm, ym, r, [&](int x, int y) {
		ds_cell_apply(cell(x, y), v, op);
		return true;
	});
}

void CDS_Grid::apply_grid_region(const CDS_Grid &source, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                                 int64_t xpos, int64_t ypos, DsCellOp op)
{
	DsRect r = source.rect(x1, y1, x2, y2);
	if (r.empty())
		return;
	// The corner of the rectangle as given lands on (xpos, ypos), even where the
	// source clips it.
	int64_t dx = xpos - std::min(x1, x2), dy = ypos - std::min(y1, y2);
	// Taken first, so an overlapping region of the same grid reads its old cells.
	std::vector<Value> taken;
	taken.reserve((size_t)(r.x1 - r.x0 + 1) * (size_t)(r.y1 - r.y0 + 1));
	for (int x = r.x0; x <= r.x1; x++)
		for (int y = r.y0; y <= r.y1; y++)
			taken.push_back(source.cell(x, y));
	size_t i = 0;
	for (int x = r.x0; x <= r.x1; x++)
		for (int y = r.y0; y <= r.y1; y++)
			apply(x + dx, y + dy, taken[i++], op);
}

double CDS_Grid::rect_stat(const DsRect &r, DsGridStat stat) const
{
	StatFold fold{stat};
	for (int x = r.x0; x <= r.x1; x++)
		for (int y = r.y0; y <= r.y1; y++)
			fold.take(cell(x, y).real());
	return fold.result();
}

double CDS_Grid::disk_stat(double xm, double ym, double r, DsGridStat stat) const
{
	StatFold fold{stat};
	for_disk(xm, ym, r, [&](int x, int y) {
		fold.take(cell(x, y).real());
		return true;
	});
	return fold.result();
}

DsCellPos CDS_Grid::rect_find(const DsRect &r, const Value &v) const
{
	for (int x = r.x0; x <= r.x1; x++)
		for (int y = r.y0; y <= r.y1; y++)
			if (ds_compare(cell(x, y), v) == 0)
				return {x, y};
	return {};
}

DsCellPos CDS_Grid::disk_find(double xm, double ym, double r, const Value &v) const
{
	DsCellPos found;
	for_disk(xm, ym, r, [&](int x, int y) {
		if (ds_compare(cell(x, y), v) != 0)
			return true;
		found = {x, y};
		return false;
	});
	return found;
}
