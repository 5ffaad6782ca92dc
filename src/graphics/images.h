// images.h: the image-bearing resources: texture-page entries, the pages'
// texture ids, sprites, backgrounds and fonts, with their tables.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/bitmap.h"

// Where a packed image lies on its page and inside its untrimmed frame.
struct TexturePageEntry
{
	int16_t source_x = 0, source_y = 0, source_width = 0, source_height = 0;
	int16_t target_x = 0, target_y = 0, target_width = 0, target_height = 0;
	int16_t bounding_width = 0, bounding_height = 0;
	int16_t page = 0;           // index of the TXTR page
	uint32_t file_offset = 0;   // where the record stands in the file
};

// Texture handles given to game code: texture ids as they are, entries from
// this base on, so that the two never collide.
constexpr int32_t ENTRY_HANDLE_BASE = 0x10000000;

class CSprite
{
public:
	virtual ~CSprite() = default;

	int bbox_mode = 0;
	int bbox_left = 0, bbox_top = 0, bbox_right = 0, bbox_bottom = 0;
	int width = 0, height = 0;
	int x_origin = 0, y_origin = 0;
	int bounding_radius = 0;
	bool precise = false;
	bool masks_present = false;
	bool transparent = false, smooth = false, preload = false;
	bool separate_masks = false;
	std::vector<std::vector<uint8_t>> masks; // width x height bytes each, 0 or 1

	// Frames from the data file: texture-page entry indices.
	std::vector<int> entries;
	// Frames made at run time: bitmaps and their texture ids.
	std::vector<CBitmap32> bitmaps;
	std::vector<int> textures;

	int frame_count() const { return entries.empty() ? (int)textures.size() : (int)entries.size(); }
	// The largest ceil(distance) from the origin to a corner of the frame.
	void compute_bounding_radius();
};

class CBackground
{
public:
	virtual ~CBackground() = default;
	int width = 0, height = 0;
	bool transparent = false, smooth = false, preload = false;
	int texture = -1;          // run-time backgrounds
	CBitmap32 bitmap;          // run-time backgrounds
	int entry = -1;            // backgrounds from the data file
};

struct Glyph
{
	uint16_t code = 0; // read as unsigned so that codes above 32767 keep their order
	int16_t x = 0, y = 0, width = 0, height = 0, shift = 0, offset = 0;
};

class CFontData
{
public:
	virtual ~CFontData() = default;
	std::string name, face_name;
	int size = 0;
	bool bold = false, italic = false;
	int charset = 0, antialias = 0;
	int first = 0, last = 0;
	int entry = -1;
	int image_width = 0, image_height = 0;
	float scale_x = 1, scale_y = 1;
	std::vector<Glyph> glyphs;  // sorted by code
	int line_height = 0;
	int sprite_index = -1;

	// Binary search by character code; null when there is none.
	const Glyph *find_glyph(int code) const;
};

// The tables of the loaded game.
struct ImageResources
{
	std::vector<TexturePageEntry> entries;
	std::map<uint32_t, int> entry_at;    // file offset of a record -> its index
	std::vector<uint32_t> page_list;     // TPAG: offsets of the entries, in order
	std::vector<int> page_textures;      // TXTR index -> texture id (-1 when it failed)

	std::vector<std::unique_ptr<CSprite>> sprites;
	std::vector<std::string> sprite_names;
	std::vector<std::unique_ptr<CBackground>> backgrounds;
	std::vector<std::string> background_names;
	std::vector<std::unique_ptr<CFontData>> fonts;
	std::vector<std::string> font_names;
	uint16_t font_codes[256] = {};       // the 8-bit code -> UTF-16 table of FONT
};

ImageResources &images();
// Empties every table and frees the pages' textures.
void clear_images();
// Gives instances the sprite table's image counts and sprite checks (kept
// where already set), so that animation wraps and its end event come with the
// sprites and do not wait for the collision module.
void install_sprite_hooks();

CSprite *sprite_get(int index);
CBackground *background_get(int index);
CFontData *font_get(int index);
TexturePageEntry *entry_get(int index);
// The texture id of an entry's page; -1 when the page did not load.
int entry_texture(const TexturePageEntry &entry);
