// font_raster.h: turns a TrueType/OpenType face into a glyph atlas and glyph records
// for a game font: white pixels with the coverage as alpha, one cell per character.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One character's cell in the atlas. Every cell is as high as the font's line, with the
// glyph drawn on a common baseline; `shift` is the advance and `offset` the left bearing.
struct RasterGlyph
{
	uint16_t code;
	int x, y, width, height, shift, offset;
};

// The atlas (width x height RGBA pixels) and its glyphs, sorted by character code.
struct RasterFont
{
	int width = 0, height = 0;
	std::vector<uint8_t> rgba;
	std::vector<RasterGlyph> glyphs;
};

// Sizes are points at 96 pixels per inch, as the game's fonts are measured.
constexpr int FONT_SIZE_MIN = 1;
constexpr int FONT_SIZE_MAX = 255;
// The atlas must fit on one texture page.
constexpr int FONT_ATLAS_MAX = 2048;

// face: a TTF/OTF path, or empty for the default face (DejaVu Sans)
bool rasterise_font(const std::string &face, int size, bool bold, bool italic, int first, int last,
                    bool antialias, RasterFont &out, std::string &error);
