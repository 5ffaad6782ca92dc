// write_images.h: writers of the image-bearing chunks (SPRT, BGND, FONT, TPAG,
// TXTR) for zentrix-pack and the tests' small data files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/writer.h"

struct EntrySpec
{
	int16_t source_x = 0, source_y = 0, source_width = 0, source_height = 0;
	int16_t target_x = 0, target_y = 0, target_width = 0, target_height = 0;
	int16_t bounding_width = 0, bounding_height = 0;
	int16_t page = 0;
};

struct SpriteSpec
{
	std::string name;
	int32_t width = 0, height = 0;
	int32_t bbox_left = 0, bbox_right = 0, bbox_bottom = 0, bbox_top = 0;
	bool transparent = true, smooth = false, preload = true;
	int32_t bbox_mode = 0;
	bool precise = false;
	int32_t x_origin = 0, y_origin = 0;
	std::vector<int> frames;                  // entry indices
	std::vector<std::vector<uint8_t>> masks;  // packed rows, as stored
};

struct BackgroundSpec
{
	std::string name;
	bool transparent = false, smooth = false, preload = true;
	int entry = 0;
};

struct GlyphSpec
{
	uint16_t code = 0;
	int16_t x = 0, y = 0, width = 0, height = 0, shift = 0, offset = 0;
};

struct FontSpec
{
	std::string name, face;
	int32_t size = 12;
	bool bold = false, italic = false;
	uint32_t range = 32;   // first character, character set, anti-aliasing + 1
	int32_t last = 127;
	int entry = 0;
	float scale_x = 1, scale_y = 1;
	std::vector<GlyphSpec> glyphs;
};

struct ImageChunks
{
	std::vector<std::vector<uint8_t>> pages;  // encoded images (PNG or "RAW ")
	std::vector<EntrySpec> entries;
	std::vector<SpriteSpec> sprites;
	std::vector<BackgroundSpec> backgrounds;
	std::vector<FontSpec> fonts;
	uint16_t font_codes[256] = {};
};

// Writes SPRT, BGND, FONT, TPAG and TXTR in that order.
void write_image_chunks(DataFileWriter &writer, const ImageChunks &chunks);

// Packs a mask of one byte per pixel (non-zero solid) into stored rows.
std::vector<uint8_t> pack_mask(const std::vector<uint8_t> &pixels, int width, int height);
