// tiles.h: the live tiles of the current room: records with position, the
// region of a background, depth, scale, blend and visibility, looked up by id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct RoomTile;

struct LiveTile
{
	float x = 0, y = 0;
	int32_t background = 0;
	int32_t left = 0, top = 0, width = 0, height = 0;
	float depth = 0;
	int32_t id = 0;
	float xscale = 1, yscale = 1;
	uint32_t blend = 0xFFFFFF;
	float alpha = 1;
	bool visible = true;
};

class TileList
{
public:
	std::vector<LiveTile> tiles;
	// Ids of new tiles continue from here, across the lists of every room.
	static inline int32_t last_id = 10000000;

	// The tile with this id, trying the one found last first; null if none.
	LiveTile *find(int32_t id);
	int32_t add(const LiveTile &tile);
	bool remove(int32_t id);
	// Removes every tile the predicate selects, keeping the others' order.
	template <typename Pred>
	int remove_if(Pred pred)
	{
		size_t before = tiles.size();
		std::erase_if(tiles, pred);
		m_last_found = 0;
		return (int)(before - tiles.size());
	}

private:
	size_t m_last_found = 0;
};

// The current room's tiles: the list the rooms module hands over, or an empty
// list of no room.
TileList &room_tiles();
void set_current_room_tiles(TileList *list);
// The tiles of a room's record as live tiles (blend and alpha from the colour).
void tiles_from_records(const std::vector<RoomTile> &records, TileList &out);

// Draws a visible tile: the region of its background, scaled, with its blend
// colour and alpha.
void tile_draw(const LiveTile &tile);
