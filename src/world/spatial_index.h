// spatial_index.h: a uniform grid over the bounding boxes of the current
// room's active instances, so that collision queries and the collision pass
// look only at instances near a box instead of at every instance. Built from
// the room's list and re-filed instance by instance as shapes move. Cells hold
// copies of the boxes, so that a query passes over the boxes it does not meet
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
	// changed or the room is another, else the instances whose shape changed
	// since are re-filed.
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
	struct Entry
	{
		CInstance *instance;
		int32_t x0, y0, x1, y1; // cell range; x0 < 0: not in any cell
		bool big;               // in the list of boxes too large for cells
		uint32_t rank;
	};
	// An instance's box as a cell holds it, with the instance, so that a query
	// reads nothing but the cells it covers.
	struct CellItem
	{
		CInstance *instance;
		int32_t slot;
		int32_t left, top, right, bottom;
	};
	void rebuild(RoomInstances *room);
	void file(int32_t slot);
	void unfile(int32_t slot);
	// The instance's entry, or -1 when it is not indexed.
	int32_t slot_of(const CInstance &instance) const;
	void cell_range(const BoxArea &area, int32_t &x0, int32_t &y0, int32_t &x1, int32_t &y1) const;

	RoomInstances *m_room = nullptr;
	uint64_t m_list_version = 0;
	uint64_t m_geometry = 0;
	std::vector<Entry> m_entries;
	std::vector<std::vector<CellItem>> m_cells;
	std::vector<int32_t> m_big;
	std::vector<int32_t> m_moved; // slots of the instances whose shape changed since the last sync
	int64_t m_origin_x = 0, m_origin_y = 0, m_cell = 64;
	int32_t m_cols = 1, m_rows = 1;
};

SpatialIndex &spatial_index();
