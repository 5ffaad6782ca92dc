// tiles.cpp: the tile list and the drawing of one tile.
#include "graphics/tiles.h"

#include "data/resources.h"
#include "graphics/images.h"
#include "graphics/sprite_draw.h"

namespace {
TileList *g_current = nullptr;
}

TileList &room_tiles()
{
	static TileList none;
	return g_current ? *g_current : none;
}

void set_current_room_tiles(TileList *list) { g_current = list; }

void tiles_from_records(const std::vector<RoomTile> &records, TileList &out)
{
	out.tiles.clear();
	out.tiles.reserve(records.size());
	for (const RoomTile &r : records) {
		LiveTile t;
		t.x = (float)r.x;
		t.y = (float)r.y;
		t.background = r.background;
		t.left = r.left, t.top = r.top, t.width = r.width, t.height = r.height;
		t.depth = (float)r.depth;
		t.id = r.id;
		t.xscale = r.xscale;
		t.yscale = r.yscale;
		t.blend = r.colour & 0xFFFFFF;
		t.alpha = (float)(r.colour >> 24) / 255.0f;
		out.tiles.push_back(t);
	}
}

LiveTile *TileList::find(int32_t id)
{
	if (m_last_found < tiles.size() && tiles[m_last_found].id == id)
		return &tiles[m_last_found];
	for (size_t i = 0; i < tiles.size(); i++)
		if (tiles[i].id == id) {
			m_last_found = i;
			return &tiles[i];
		}
	return nullptr;
}

int32_t TileList::add(const LiveTile &tile)
{
	LiveTile t = tile;
	t.id = ++last_id;
	tiles.push_back(t);
	return t.id;
}

bool TileList::remove(int32_t id)
{
	for (size_t i = 0; i < tiles.size(); i++)
		if (tiles[i].id == id) {
			tiles.erase(tiles.begin() + (ptrdiff_t)i);
			m_last_found = 0;
			return true;
		}
	return false;
}

void tile_draw(const LiveTile &tile)
{
	if (!tile.visible)
		return;
	const CBackground *b = background_get(tile.background);
	if (b)
		background_draw_part(*b, (float)tile.left, (float)tile.top, (float)tile.width, (float)tile.height, tile.x,
		                     tile.y, tile.xscale, tile.yscale, tile.blend, tile.alpha);
}
