// ds_grid.h: CDS_Grid, a width × height array of values stored column by column,
// with operations on single cells, rectangles, disks and regions of other grids.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "code/value.h"
#include "ds/ds_compare.h"

// The most cells a grid may hold.
constexpr int64_t DS_GRID_MAX_CELLS = (int64_t)1 << 26;

enum DsGridStat
{
	DS_STAT_SUM,
	DS_STAT_MIN,
	DS_STAT_MAX,
	DS_STAT_MEAN,
};

// The cells of a rectangle, already clipped to the grid (empty when x0 > x1 or
// y0 > y1).
struct DsRect
{
	int x0, y0, x1, y1;
	bool empty() const { return x0 > x1 || y0 > y1; }
};

struct DsCellPos
{
	int x = -1, y = -1;
	bool found() const { return x >= 0; }
};

class CDS_Grid
{
public:
	virtual ~CDS_Grid() = default;

	int width() const { return m_width; }
	int height() const { return m_height; }
	static bool size_allowed(int64_t w, int64_t h) { return w >= 0 && h >= 0 && w * h <= DS_GRID_MAX_CELLS; }
	// Keeps the cells inside both sizes; new cells are the real 0. The size
	// must be allowed.
	void resize(int w, int h);
	void copy_from(const CDS_Grid &source);
	void fill(const Value &v);

	bool contains(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
	// The cell, or null outside the grid.
	const Value *get(int64_t x, int64_t y) const;
	// Outside the grid nothing happens.
	void apply(int64_t x, int64_t y, const Value &v, DsCellOp op);

	// The rectangle between two corners in any order, clipped to the grid.
	DsRect rect(int64_t x1, int64_t y1, int64_t x2, int64_t y2) const;
	void apply_rect(const DsRect &r, const Value &v, DsCellOp op);
	// The cells within distance r of (xm, ym).
	void apply_disk(double xm, double ym, double r, const Value &v, DsCellOp op);
	// The source's rectangle (corners in any order) applied cell by cell with
	// its lowest corner at (xpos, ypos); source and target may be one grid.
	void apply_grid_region(const CDS_Grid &source, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t xpos,
	                       int64_t ypos, DsCellOp op);

	// Statistics of the reals of the cells (a string cell counts as 0); an
	// empty area gives 0.
	double rect_stat(const DsRect &r, DsGridStat stat) const;
	double disk_stat(double xm, double ym, double r, DsGridStat stat) const;
	// The first cell comparing equal, x outer and y inner.
	DsCellPos rect_find(const DsRect &r, const Value &v) const;
	DsCellPos disk_find(double xm, double ym, double r, const Value &v) const;

	// (w × h) × 8 swaps of two cells drawn from the game's random generator.
	void shuffle();

	std::string write() const;
	bool read(std::string_view text, std::string &error);

private:
	Value &cell(int x, int y) { return m_cells[(size_t)x * (size_t)m_height + (size_t)y]; }
	const Value &cell(int x, int y) const { return m_cells[(size_t)x * (size_t)m_height + (size_t)y]; }
	// The bounding box of a disk, clipped; empty for a bad radius.
	DsRect disk_box(double xm, double ym, double r) const;
	template <typename F> void for_disk(double xm, double ym, double r, F &&f) const;

	int m_width = 0;
	int m_height = 0;
	std::vector<Value> m_cells; // column by column
};
