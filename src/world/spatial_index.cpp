// spatial_index.cpp: the uniform grid of instance boxes. The cell size follows
// the boxes' mean size; the grid covers the boxes as they were at the build,
// and boxes that later leave it are filed in its edge cells. Boxes spanning
// too many cells, and those of instances without a shape, stay out of the
// cells: the first are always candidates, the second never collide. A cell
// keeps each box beside its instance and entry's slot, so a query reads the
// cells it covers and nothing else. Every change of a box reaches the
// index through note_shape_change (the instances' shape hook); a change of a
// sprite's own box or origin must invalidate the index.
#include "world/spatial_index.h"

#include <algorithm>

#include "world/collision.h"
#include "world/instances.h"

namespace {

// A box wider or taller than this many cells goes to the list of big boxes.
constexpr int64_t BIG_SPAN = 16;

bool has_shape(CInstance &i)
{
	const CSprite *s = mask_sprite(i);
	return s != nullptr && i.bbox_left != NO_BOX;
}

BoxArea box_of(CInstance &i)
{
	refresh_bbox(i);
	return {i.bbox_left, i.bbox_top, i.bbox_right, i.bbox_bottom};
}

int64_t floor_div(int64_t a, int64_t b)
{
	int64_t q = a / b;
	return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

SpatialIndex &spatial_index()
{
	static SpatialIndex index;
	return index;
}

void SpatialIndex::note_shape_change(CInstance &instance)
{
	m_geometry++;
	if (!m_room)
		return;
	// A game that moves instances but never asks: rebuild instead of growing.
	if (m_moved.size() > 2 * m_entries.size() + 64) {
		m_room = nullptr;
		m_moved.clear();
		return;
	}
	int32_t slot = slot_of(instance);
	if (slot >= 0)
		m_moved.push_back(slot);
}

int32_t SpatialIndex::slot_of(const CInstance &instance) const
{
	int32_t slot = instance.index_slot;
	return slot >= 0 && (size_t)slot < m_entries.size() && m_entries[(size_t)slot].instance == &instance ? slot : -1;
}

void SpatialIndex::cell_range(const BoxArea &a, int32_t &x0, int32_t &y0, int32_t &x1, int32_t &y1) const
{
	auto cell = [&](int64_t v, int64_t origin, int32_t count) {
		return (int32_t)std::clamp<int64_t>(floor_div(v - origin, m_cell), 0, count - 1);
	};
	x0 = cell(a.left, m_origin_x, m_cols);
	x1 = cell(a.right, m_origin_x, m_cols);
	y0 = cell(a.top, m_origin_y, m_rows);
	y1 = cell(a.bottom, m_origin_y, m_rows);
}

void SpatialIndex::file(int32_t slot)
{
	Entry &e = m_entries[slot];
	e.x0 = -1;
	e.big = false;
	CInstance &i = *e.instance;
	BoxArea a = box_of(i);
	if (!has_shape(i))
		return;
	if (a.right - a.left >= BIG_SPAN * m_cell || a.bottom - a.top >= BIG_SPAN * m_cell) {
		e.big = true;
		m_big.push_back(slot);
		return;
	}
	cell_range(a, e.x0, e.y0, e.x1, e.y1);
	CellItem item{&i, slot, i.bbox_left, i.bbox_top, i.bbox_right, i.bbox_bottom};
	for (int32_t y = e.y0; y <= e.y1; y++)
		for (int32_t x = e.x0; x <= e.x1; x++)
			m_cells[(size_t)y * m_cols + x].push_back(item);
}

void SpatialIndex::unfile(int32_t slot)
{
	Entry &e = m_entries[slot];
	if (e.big) {
		auto it = std::find(m_big.begin(), m_big.end(), slot);
		if (it != m_big.end()) {
			*it = m_big.back();
			m_big.pop_back();
		}
	}
	if (e.x0 >= 0)
		for (int32_t y = e.y0; y <= e.y1; y++)
			for (int32_t x = e.x0; x <= e.x1; x++) {
				std::vector<CellItem> &cell = m_cells[(size_t)y * m_cols + x];
				auto it = std::find_if(cell.begin(), cell.end(), [slot](const CellItem &c) { return c.slot == slot; });
				if (it != cell.end()) {
					*it = cell.back();
					cell.pop_back();
				}
			}
	e.x0 = -1;
	e.big = false;
}

void SpatialIndex::rebuild(RoomInstances *room)
{
	m_room = room;
	m_list_version = instance_list_version();
	m_moved.clear();
	m_entries.clear();
	m_big.clear();
	int64_t left = 0, top = 0, right = 0, bottom = 0, extent = 0, shaped = 0;
	for (CInstance *i = room->active.head; i; i = i->next) {
		uint32_t rank = (uint32_t)m_entries.size();
		m_entries.push_back({i, -1, 0, 0, 0, false, rank});
		BoxArea a = box_of(*i);
		if (!has_shape(*i))
			continue;
		left = shaped ? std::min(left, a.left) : a.left;
		top = shaped ? std::min(top, a.top) : a.top;
		right = shaped ? std::max(right, a.right) : a.right;
		bottom = shaped ? std::max(bottom, a.bottom) : a.bottom;
		extent += std::max(a.right - a.left, a.bottom - a.top) + 1;
		shaped++;
	}
	// Cells about four times the mean box, grown until the grid has at most about
	// four cells per instance.
	m_cell = 8;
	if (shaped)
		while (m_cell < 4 * extent / shaped && m_cell < ((int64_t)1 << 40))
			m_cell *= 2;
	int64_t limit = 4 * shaped + 64;
	auto count = [&](int64_t span) { return floor_div(span, m_cell) + 1; };
	while (count(right - left) * count(bottom - top) > limit)
		m_cell *= 2;
	m_origin_x = left;
	m_origin_y = top;
	m_cols = (int32_t)count(right - left);
	m_rows = (int32_t)count(bottom - top);
	m_cells.assign((size_t)m_cols * m_rows, {});
	for (int32_t slot = 0; slot < (int32_t)m_entries.size(); slot++) {
		m_entries[slot].instance->index_slot = slot;
		file(slot);
	}
}

void SpatialIndex::sync(RoomInstances *room)
{
	if (!room) {
		m_room = nullptr;
		return;
	}
	if (room != m_room || instance_list_version() != m_list_version) {
		rebuild(room);
		return;
	}
	for (int32_t slot : m_moved) {
		Entry &e = m_entries[slot];
		CInstance &i = *e.instance;
		BoxArea a = box_of(i);
		int32_t x0 = -1, y0 = 0, x1 = 0, y1 = 0;
		bool small = has_shape(i) && a.right - a.left < BIG_SPAN * m_cell && a.bottom - a.top < BIG_SPAN * m_cell;
		if (small)
			cell_range(a, x0, y0, x1, y1);
		if (!small || e.big || e.x0 != x0 || e.y0 != y0 || e.x1 != x1 || e.y1 != y1) {
			unfile(slot);
			file(slot);
			continue;
		}
		// Still in the same cells: the copies of the box are brought up to date.
		for (int32_t y = y0; y <= y1; y++)
			for (int32_t x = x0; x <= x1; x++)
				for (CellItem &c : m_cells[(size_t)y * m_cols + x])
					if (c.slot == slot)
						c = {&i, slot, i.bbox_left, i.bbox_top, i.bbox_right, i.bbox_bottom};
	}
	m_moved.clear();
}

void SpatialIndex::candidates(const BoxArea &area, std::vector<CInstance *> &out)
{
	if (!m_room)
		return;
	for (int32_t slot : m_big)
		out.push_back(m_entries[slot].instance);
	int32_t x0, y0, x1, y1;
	cell_range(area, x0, y0, x1, y1);
	// A box filed in several cells is taken only in the first cell of the
	// query that holds it: the query's first row or column, or the cell where
	// the box itself begins.
	for (int32_t y = y0; y <= y1; y++) {
		int64_t row_top = m_origin_y + (int64_t)y * m_cell;
		for (int32_t x = x0; x <= x1; x++) {
			int64_t column_left = m_origin_x + (int64_t)x * m_cell;
			for (const CellItem &c : m_cells[(size_t)y * m_cols + x])
				if (c.left <= area.right && c.right >= area.left && c.top <= area.bottom && c.bottom >= area.top &&
				    (x == x0 || c.left >= column_left) && (y == y0 || c.top >= row_top))
					out.push_back(c.instance);
		}
	}
}

uint32_t SpatialIndex::rank(const CInstance &instance) const
{
	int32_t slot = slot_of(instance);
	return slot >= 0 ? m_entries[(size_t)slot].rank : UINT32_MAX;
}
