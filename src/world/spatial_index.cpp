// spatial_index.cpp: the uniform grid of instance boxes. The cell size follows
// the boxes' mean size. When many boxes moved, all are filed afresh: the grid
// is fitted to them and the cells filled by a counting sort, each cell's boxes
// side by side in one array; a few moves are filed one by one, into the room a
// cell has left or a chain beside it when it is full. Boxes that leave the grid
// are filed in its edge cells. Boxes spanning too many cells, and those of
// instances without a shape, stay out of the cells: the first are always
// candidates, the second never collide. Every change of a box reaches the index
// through note_shape_change (the instances' shape hook); a change of a sprite's
// own box or origin must invalidate the index.
#include "world/spatial_index.h"

#include <algorithm>

#include "world/collision.h"
#include "world/instances.h"

namespace {

// A box wider or taller than this many cells goes to the list of big boxes.
constexpr int64_t BIG_SPAN = 16;

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
	int32_t slot = slot_of(instance);
	if (slot >= 0 && !m_entries[(size_t)slot].moved) {
		m_entries[(size_t)slot].moved = true;
		m_moved.push_back(slot);
	}
}

int32_t SpatialIndex::slot_of(const CInstance &instance) const
{
	int32_t slot = instance.index_slot;
	return slot >= 0 && (size_t)slot < m_entries.size() && m_entries[(size_t)slot].instance == &instance ? slot : -1;
}

void SpatialIndex::cell_range(const BoxArea &a, int32_t &x0, int32_t &y0, int32_t &x1, int32_t &y1) const
{
	// Cells are a power of two wide: the shift floors like a division would.
	auto cell = [&](int64_t v, int64_t origin, int32_t count) {
		return (int32_t)std::clamp<int64_t>((v - origin) >> m_shift, 0, count - 1);
	};
	x0 = cell(a.left, m_origin_x, m_cols);
	x1 = cell(a.right, m_origin_x, m_cols);
	y0 = cell(a.top, m_origin_y, m_rows);
	y1 = cell(a.bottom, m_origin_y, m_rows);
}

namespace {

// The instance's box brought up to date, with the instance, or a null instance
// when it has no shape.
template <typename Item>
Item item_of(CInstance &i)
{
	refresh_bbox(i);
	bool shaped = mask_sprite(i) != nullptr && i.bbox_left != NO_BOX;
	return {i.bbox_left, i.bbox_top, i.bbox_right, i.bbox_bottom, shaped ? &i : nullptr};
}

BoxArea area_of(int32_t left, int32_t top, int32_t right, int32_t bottom) { return {left, top, right, bottom}; }

} // namespace

void SpatialIndex::classify(int32_t slot, const CellItem &box)
{
	Entry &e = m_entries[(size_t)slot];
	e.x0 = -1;
	e.big = false;
	if (!box.instance)
		return;
	if ((int64_t)box.right - box.left >= BIG_SPAN * m_cell || (int64_t)box.bottom - box.top >= BIG_SPAN * m_cell) {
		e.big = true;
		m_big.push_back(slot);
		return;
	}
	cell_range(area_of(box.left, box.top, box.right, box.bottom), e.x0, e.y0, e.x1, e.y1);
}

void SpatialIndex::fit_grid()
{
	int64_t left = 0, top = 0, right = 0, bottom = 0, extent = 0, shaped = 0;
	for (const CellItem &b : m_staged) {
		if (!b.instance)
			continue;
		left = shaped ? std::min<int64_t>(left, b.left) : b.left;
		top = shaped ? std::min<int64_t>(top, b.top) : b.top;
		right = shaped ? std::max<int64_t>(right, b.right) : b.right;
		bottom = shaped ? std::max<int64_t>(bottom, b.bottom) : b.bottom;
		extent += std::max((int64_t)b.right - b.left, (int64_t)b.bottom - b.top) + 1;
		shaped++;
	}
	// Cells about four times the mean box, grown until the grid has at most about
	// four cells per instance.
	m_shift = 3;
	if (shaped)
		while (((int64_t)1 << m_shift) < 4 * extent / shaped && m_shift < 40)
			m_shift++;
	int64_t limit = 4 * shaped + 64;
	auto count = [&](int64_t span) { return (span >> m_shift) + 1; };
	while (count(right - left) * count(bottom - top) > limit)
		m_shift++;
	m_cell = (int64_t)1 << m_shift;
	m_origin_x = left;
	m_origin_y = top;
	m_cols = (int32_t)count(right - left);
	m_rows = (int32_t)count(bottom - top);
}

void SpatialIndex::file_all()
{
	for (int32_t slot : m_moved)
		m_entries[(size_t)slot].moved = false;
	m_moved.clear();
	m_staged.resize(m_entries.size());
	for (size_t slot = 0; slot < m_entries.size(); slot++)
		m_staged[slot] = item_of<CellItem>(*m_entries[slot].instance);
	fit_grid();
	m_big.clear();
	m_spilled.clear();
	m_cells.assign((size_t)m_cols * m_rows + 1, {0, 0, -1});
	// Counted, then each cell given its stretch of the array, then filled.
	for (int32_t slot = 0; slot < (int32_t)m_entries.size(); slot++) {
		classify(slot, m_staged[(size_t)slot]);
		const Entry &e = m_entries[(size_t)slot];
		if (e.x0 >= 0)
			for (int32_t y = e.y0; y <= e.y1; y++)
				for (int32_t x = e.x0; x <= e.x1; x++)
					m_cells[(size_t)y * m_cols + x].count++;
	}
	uint32_t total = 0;
	for (Cell &c : m_cells) {
		c.start = total;
		total += c.count;
		c.count = 0;
	}
	m_items.resize(total);
	for (size_t slot = 0; slot < m_entries.size(); slot++) {
		const Entry &e = m_entries[slot];
		if (e.x0 >= 0)
			for (int32_t y = e.y0; y <= e.y1; y++)
				for (int32_t x = e.x0; x <= e.x1; x++) {
					Cell &c = m_cells[(size_t)y * m_cols + x];
					m_items[c.start + c.count++] = m_staged[slot];
				}
	}
}

void SpatialIndex::add_to_cell(size_t cell, const CellItem &item)
{
	Cell &c = m_cells[cell];
	if (c.start + c.count < m_cells[cell + 1].start) {
		m_items[c.start + c.count++] = item;
		return;
	}
	m_spilled.push_back({item, c.spill});
	c.spill = (int32_t)m_spilled.size() - 1;
}

void SpatialIndex::remove_from_cell(size_t cell, const CInstance *instance)
{
	Cell &c = m_cells[cell];
	for (uint32_t k = c.start; k < c.start + c.count; k++) {
		if (m_items[k].instance != instance)
			continue;
		// The hole is filled from the chain when there is one, so that the chain
		// only holds what the cell's stretch cannot.
		if (c.spill >= 0) {
			m_items[k] = m_spilled[(size_t)c.spill].item;
			c.spill = m_spilled[(size_t)c.spill].next;
		} else {
			m_items[k] = m_items[c.start + --c.count];
		}
		return;
	}
	for (int32_t *link = &c.spill; *link >= 0; link = &m_spilled[(size_t)*link].next)
		if (m_spilled[(size_t)*link].item.instance == instance) {
			*link = m_spilled[(size_t)*link].next;
			return;
		}
}

SpatialIndex::CellItem *SpatialIndex::find_in_cell(size_t cell, const CInstance *instance)
{
	Cell &c = m_cells[cell];
	for (uint32_t k = c.start; k < c.start + c.count; k++)
		if (m_items[k].instance == instance)
			return &m_items[k];
	for (int32_t s = c.spill; s >= 0; s = m_spilled[(size_t)s].next)
		if (m_spilled[(size_t)s].item.instance == instance)
			return &m_spilled[(size_t)s].item;
	return nullptr;
}

void SpatialIndex::file(int32_t slot)
{
	CellItem item = item_of<CellItem>(*m_entries[(size_t)slot].instance);
	classify(slot, item);
	const Entry &e = m_entries[(size_t)slot];
	if (e.x0 >= 0)
		for (int32_t y = e.y0; y <= e.y1; y++)
			for (int32_t x = e.x0; x <= e.x1; x++)
				add_to_cell((size_t)y * m_cols + x, item);
}

void SpatialIndex::unfile(int32_t slot)
{
	Entry &e = m_entries[(size_t)slot];
	if (e.big) {
		auto it = std::find(m_big.begin(), m_big.end(), slot);
		if (it != m_big.end()) {
			*it = m_big.back();
			m_big.pop_back();
		}
	}
	if (e.x0 >= 0)
		for (int32_t y = e.y0; y <= e.y1; y++)
			for (int32_t x = e.x0; x <= e.x1; x++)
				remove_from_cell((size_t)y * m_cols + x, e.instance);
	e.x0 = -1;
	e.big = false;
}

void SpatialIndex::refile(int32_t slot)
{
	Entry &e = m_entries[(size_t)slot];
	CellItem item = item_of<CellItem>(*e.instance);
	int32_t x0 = -1, y0 = 0, x1 = 0, y1 = 0;
	bool small = item.instance && (int64_t)item.right - item.left < BIG_SPAN * m_cell &&
	             (int64_t)item.bottom - item.top < BIG_SPAN * m_cell;
	if (small)
		cell_range(area_of(item.left, item.top, item.right, item.bottom), x0, y0, x1, y1);
	if (!small || e.big || e.x0 != x0 || e.y0 != y0 || e.x1 != x1 || e.y1 != y1) {
		unfile(slot);
		file(slot);
		return;
	}
	// Still in the same cells: the copies of the box are brought up to date.
	for (int32_t y = y0; y <= y1; y++)
		for (int32_t x = x0; x <= x1; x++)
			if (CellItem *copy = find_in_cell((size_t)y * m_cols + x, e.instance))
				*copy = item;
}

void SpatialIndex::rebuild(RoomInstances *room)
{
	m_room = room;
	m_list_version = instance_list_version();
	m_moved.clear();
	m_entries.clear();
	for (CInstance *i = room->active.head; i; i = i->next) {
		i->index_slot = (int32_t)m_entries.size();
		m_entries.push_back({i, -1, 0, 0, 0, false, false});
	}
	file_all();
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
	if (m_moved.empty())
		return;
	// Filing everything costs about as much as re-filing a quarter one by one,
	// and gives back a grid fitted to the boxes with no chains.
	if (m_moved.size() >= m_entries.size() / 4 || m_spilled.size() > m_entries.size() / 4 + 64) {
		file_all();
		return;
	}
	for (int32_t slot : m_moved) {
		m_entries[(size_t)slot].moved = false;
		refile(slot);
	}
	m_moved.clear();
}

namespace {

// The box meets the area and begins in this cell or its row or column is the
// area's first: without branches, whose outcome is a toss-up box by box.
template <typename Item>
bool taken(const Item &c, const BoxArea &area, bool first_column, bool first_row, int64_t column_left,
           int64_t row_top)
{
	return (c.left <= area.right) & (c.right >= area.left) & (c.top <= area.bottom) & (c.bottom >= area.top) &
	       (first_column | (c.left >= column_left)) & (first_row | (c.top >= row_top));
}

} // namespace

void SpatialIndex::take_cell(const Cell &cell, const BoxArea &area, bool first_column, bool first_row,
                             int64_t column_left, int64_t row_top, std::vector<CInstance *> &out) const
{
	size_t n = out.size(), added = 0;
	out.resize(n + cell.count);
	CInstance **to = out.data() + n;
	for (const CellItem *c = m_items.data() + cell.start, *end = c + cell.count; c != end; c++) {
		to[added] = c->instance;
		added += taken(*c, area, first_column, first_row, column_left, row_top);
	}
	out.resize(n + added);
	for (int32_t s = cell.spill; s >= 0; s = m_spilled[(size_t)s].next)
		if (taken(m_spilled[(size_t)s].item, area, first_column, first_row, column_left, row_top))
			out.push_back(m_spilled[(size_t)s].item.instance);
}

void SpatialIndex::candidates(const BoxArea &area, std::vector<CInstance *> &out)
{
	if (!m_room)
		return;
	for (int32_t slot : m_big)
		out.push_back(m_entries[(size_t)slot].instance);
	int32_t x0, y0, x1, y1;
	cell_range(area, x0, y0, x1, y1);
	// A box filed in several cells is taken only in the first cell of the
	// query that holds it: the query's first row or column, or the cell where
	// the box itself begins.
	for (int32_t y = y0; y <= y1; y++) {
		int64_t row_top = m_origin_y + (int64_t)y * m_cell;
		for (int32_t x = x0; x <= x1; x++) {
			int64_t column_left = m_origin_x + (int64_t)x * m_cell;
			take_cell(m_cells[(size_t)y * m_cols + x], area, x == x0, y == y0, column_left, row_top, out);
		}
	}
}

uint32_t SpatialIndex::rank(const CInstance &instance) const
{
	int32_t slot = slot_of(instance);
	return slot >= 0 ? (uint32_t)slot : UINT32_MAX;
}
