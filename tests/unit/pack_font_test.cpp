// pack_font_test.cpp: fonts of a project packed by zentrix-pack: glyph atlases
// on the texture pages and font records read back by the Runner's font reader.
#include <gtest/gtest.h>

#include "data/walk.h"
#include "graphics/bitmap.h"
#include "graphics/images.h"
#include "image_pages.h"
#include "pack_game.h"
#include "project.h"
#include "test_util.h"

namespace {

void write_font_project(const TempDir &d)
{
	d.write("game.json", R"({"rooms": ["room_a"]})");
	d.write("rooms/room_a.json", "{}");
	d.write("sprites/spr_dot.png", encode_png(std::vector<uint32_t>(9, 0xFF00FF00u).data(), 3, 3));
	d.write("fonts/fnt_big.json", R"({"size": 20, "bold": true, "first": 65, "last": 90})");
	d.write("fonts/fnt_serif.json", R"({"face": "DejaVu Serif", "size": 10, "italic": true, "antialias": false,
	  "first": 48, "last": 57})");
}

// Whether a glyph's cell on its page holds any visible pixel.
bool cell_has_ink(const CBitmap32 &page, const EntrySpec &e, const GlyphSpec &g)
{
	for (int y = 0; y < g.height; y++)
		for (int x = 0; x < g.width; x++)
			if (page.at(e.source_x + g.x + x, e.source_y + g.y + y) >> 24)
				return true;
	return false;
}

// The atlas goes onto a page whole, and each glyph cell (measured from the
// entry's corner) holds the glyph's pixels; a space has none.
TEST(PackFonts, GlyphCellsLieInTheirAtlasOnThePage)
{
	TempDir d;
	write_font_project(d);
	d.write("fonts/fnt_big.json", R"({"size": 20, "first": 32, "last": 90})");
	Project p;
	read_project(d.path(), p);
	ImageChunks chunks;
	build_image_chunks(p, chunks);
	ASSERT_EQ(chunks.fonts.size(), 2u);
	const FontSpec &big = chunks.fonts[0];
	const EntrySpec &e = chunks.entries[big.entry];
	EXPECT_EQ(e.target_x, 0); // not trimmed
	EXPECT_EQ(e.source_width, e.bounding_width);
	CBitmap32 page;
	std::string error;
	const std::vector<uint8_t> &png = chunks.pages[e.page];
	ASSERT_TRUE(page.decode_png(png.data(), png.size(), error)) << error;
	for (const GlyphSpec &g : big.glyphs) {
		ASSERT_LE(g.x + g.width, e.source_width) << g.code;
		ASSERT_LE(g.y + g.height, e.source_height) << g.code;
		EXPECT_EQ(cell_has_ink(page, e, g), g.code != ' ') << g.code;
	}
	EXPECT_EQ(chunks.font_codes[200], 200);
}

TEST(PackFonts, ReadBackThroughTheFontReader)
{
	TempDir d;
	write_font_project(d);
	std::vector<uint8_t> bytes;
	std::string error;
	ASSERT_TRUE(pack_project(d.path(), PackOptions{}, bytes, error)) << error;
	GameData game;
	game.block.bytes = bytes;
	ConsoleCapture quiet;
	ASSERT_TRUE(first_pass(game).ok);
	LoadResult walk = main_walk(game);
	ASSERT_TRUE(walk.ok) << walk.error;
	ImageResources &r = images();
	ASSERT_EQ(r.fonts.size(), 2u);
	EXPECT_EQ(r.font_names[1], "fnt_serif");
	const CFontData &big = *r.fonts[0], &serif = *r.fonts[1];
	EXPECT_EQ(big.face_name, "DejaVu Sans");
	EXPECT_EQ(big.size, 20);
	EXPECT_TRUE(big.bold);
	EXPECT_FALSE(big.italic);
	EXPECT_EQ(big.first, 65);
	EXPECT_EQ(big.last, 90);
	EXPECT_EQ(big.antialias, 1);
	ASSERT_EQ(big.glyphs.size(), 26u);
	const Glyph *w = big.find_glyph('W'), *i = big.find_glyph('I');
	ASSERT_TRUE(w && i);
	EXPECT_GT(w->shift, i->shift);
	EXPECT_GT(big.line_height, 15);
	EXPECT_EQ(big.find_glyph('a'), nullptr);
	EXPECT_EQ(serif.face_name, "DejaVu Serif");
	EXPECT_TRUE(serif.italic);
	EXPECT_EQ(serif.antialias, 0);
	EXPECT_EQ(serif.glyphs.size(), 10u);
	EXPECT_LT(serif.line_height, big.line_height);
	// The font image is its entry; the sprite's frame is another.
	EXPECT_NE(big.entry, serif.entry);
	EXPECT_EQ(big.image_width, r.entries[big.entry].source_width);
	EXPECT_EQ(r.font_codes[65], 65);
	EXPECT_EQ(r.font_codes[255], 255);
}

} // namespace
