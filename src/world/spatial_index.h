// spatial_index.h: a uniform grid over the bounding boxes of the current
// room's active instances, so that collision queries and the collision pass
// look only at instances near a box instead of at every instance. The cells
// lie in one array, each cell's boxes side by side, so that a query reads a
// few adjacent stretches of memory and passes over the boxes it does not meet
// without touching their instances.
#pragma once

#include <cstdint>
#include <vector>

#include "world/instance.h"

class RoomInstances;

struct BoxArea
{
	int64_t left, top, right, bottom; // inclusive room pixels
};

class SpatialIndex
{
public:
	// Brings the index up to date with the room: rebuilt when an instance list
	// changed or the room is another, all boxes filed afresh when many moved,
	// else the instances whose shape changed since are re-filed one by one.
	void sync(RoomInstances *room);
	// Appends, each once and in no particular order, the indexed instances whose
	// box overlaps the area (boxes too big for cells: every one). Only valid
	// right after sync.
	void candidates(const BoxArea &area, std::vector<CInstance *> &out);
	// The instance's place in the room's active list when the index was built.
	uint32_t rank(const CInstance &instance) const;
	// Drops the index; the next sync rebuilds it.
	void invalidate() { m_room = nullptr; }
	// Called whenever an instance's box goes stale.
	void note_shape_change(CInstance &instance);
	// Grows with every change of an instance's shape.
	uint64_t geometry_version() const { return m_geometry; }
	// Number of instances indexed (for the benchmark and tests).
	size_t size() const { return m_entries.size(); }

private:
	// One instance of the room's active list, at its rank.
	struct Entry
	{
		CInstance *instance;
		int32_t x0, y0, x1, y1; // cell range; x0 < 0: not in any cell
		bool big;               // in the list of boxes too large for cells
		bool moved;             // in m_moved
	};
	// An instance's box as a cell holds it, beside the instance.
	struct CellItem
	{
		int32_t left, top, right, bottom;
		CInstance *instance;
	};
	// A cell's boxes: `count` of them from `start` in m_items, where it has room
	// up to the next cell's start; those that arrived when it was full are in a
	// chain of m_spilled from `spill`.
	struct Cell
	{
		uint32_t start, count;
		int32_t spill; // -1: none
	};
	struct Spilled
	{
		CellItem item;
		int32_t next;
	};

	void rebuild(RoomInstances *room);
	// Every entry's box filed afresh: the grid fitted to the boxes, then the
	// cells filled by a counting sort.
	void file_all();
	void fit_grid();
	// The entry's cell range (or big or none) from the staged box of `slot`.
	void classify(int32_t slot, const CellItem &box);
	void file(int32_t slot);
	void unfile(int32_t slot);
	void refile(int32_t slot);
	void add_to_cell(size_t cell, const CellItem &item);
	void remove_from_cell(size_t cell, const CInstance *instance);
	// The copy of the instance's box in the cell, or null.
	CellItem *find_in_cell(size_t cell, const CInstance *instance);
	// The instance's entry, or -1 when it is not indexed.
	int32_t slot_of(const CInstance &instance) const;
	void cell_range(const BoxArea &area, int32_t &x0, int32_t &y0, int32_t &x1, int32_t &y1) const;
	void take_cell(const Cell &cell, const BoxArea &area, bool first_column, bool first_row, int64_t column_left,
	               int64_t row_top, std::vector<CInstance *> &out) const;

	RoomInstances *m_room = nullptr;
	uint64_t m_list_version = 0;
	uint64_t m_geometry = 0;
	std::vector<Entry> m_entries;
	std::vector<CellItem> m_staged; // the boxes of file_all, by slot
	std::vector<Cell> m_cells;      // row by row, then one past the last
	std::vector<CellItem> m_items;
	std::vector<Spilled> m_spilled;
	std::vector<int32_t> m_big;
	std::vector<int32_t> m_moved; // slots of the instances whose shape changed since the last sync
	int64_t m_origin_x = 0, m_origin_y = 0, m_cell = 64;
	int m_shift = 6; // m_cell is 1 << m_shift
	int32_t m_cols = 1, m_rows = 1;
};

SpatialIndex &spatial_index();
