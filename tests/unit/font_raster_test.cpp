// font_raster_test.cpp: the packer's font rasteriser: glyph sizes and advances, the
// common baseline, monochrome output, styles and its errors.
#include <gtest/gtest.h>

#include "font_raster.h"
#include "test_util.h"

namespace {

const RasterGlyph *find_glyph(const RasterFont &f, uint16_t code)
{
	for (const RasterGlyph &g : f.glyphs)
		if (g.code == code)
			return &g;
	return nullptr;
}

uint8_t alpha_at(const RasterFont &f, int x, int y)
{
	return f.rgba[(static_cast<size_t>(y) * f.width + x) * 4 + 3];
}

// The lowest row of the cell that has ink, counted from the cell's top; -1 when blank.
int lowest_ink_row(const RasterFont &f, const RasterGlyph &g)
{
	for (int y = g.height - 1; y >= 0; --y)
		for (int x = 0; x < g.width; ++x)
			if (alpha_at(f, g.x + x, g.y + y) > 0)
				return y;
	return -1;
}

RasterFont rasterise(const std::string &face, int size, bool bold, bool italic, int first, int last, bool aa)
{
	RasterFont f;
	std::string error;
	EXPECT_TRUE(rasterise_font(face, size, bold, italic, first, last, aa, f, error)) << error;
	return f;
}

} // namespace

TEST(FontRaster, GlyphSizesAndAdvancesAreSensible)
{
	// 12 points at 96 dpi is a 16 pixel em.
	RasterFont f = rasterise("", 12, false, false, 32, 126, true);
	ASSERT_EQ(f.glyphs.size(), 95u);
	ASSERT_EQ(f.rgba.size(), static_cast<size_t>(f.width) * f.height * 4);
	struct Case { char c; int min_w, max_w, min_shift, max_shift; } cases[] = {
		{ ' ', 0, 0, 3, 7 }, { 'i', 1, 4, 3, 6 }, { 'A', 8, 13, 8, 13 }, { 'W', 13, 18, 13, 18 }, { '0', 6, 11, 7, 12 },
	};
	for (const Case &c : cases) {
		SCOPED_TRACE(c.c);
		const RasterGlyph *g = find_glyph(f, static_cast<uint16_t>(c.c));
		ASSERT_NE(g, nullptr);
		EXPECT_GE(g->width, c.min_w);
		EXPECT_LE(g->width, c.max_w);
		EXPECT_GE(g->shift, c.min_shift);
		EXPECT_LE(g->shift, c.max_shift);
		EXPECT_GE(g->offset, -2);
		EXPECT_LE(g->offset, 3);
	}
	for (size_t i = 0; i < f.glyphs.size(); ++i) {
		const RasterGlyph &g = f.glyphs[i];
		EXPECT_EQ(g.height, f.glyphs[0].height) << "every cell spans the line";
		EXPECT_GE(g.x, 1);
		EXPECT_GE(g.y, 1);
		EXPECT_LE(g.x + g.width, f.width - 1);
		EXPECT_LE(g.y + g.height, f.height - 1);
		if (i > 0)
			EXPECT_LT(f.glyphs[i - 1].code, g.code);
	}
	EXPECT_GE(f.glyphs[0].height, 16);
	EXPECT_LE(f.glyphs[0].height, 24);
}

TEST(FontRaster, GlyphsShareOneBaseline)
{
	RasterFont f = rasterise("", 20, false, false, 'A', 'z', true);
	int base = lowest_ink_row(f, *find_glyph(f, 'A'));
	EXPECT_GT(base, 0);
	for (char c : std::string("Hxmz"))
		EXPECT_NEAR(lowest_ink_row(f, *find_glyph(f, static_cast<uint16_t>(c))), base, 1) << c;
	EXPECT_GT(lowest_ink_row(f, *find_glyph(f, 'g')), base + 3) << "descenders go below it";
}

TEST(FontRaster, AntialiasOffGivesOnlyFullOrNoCoverage)
{
	for (bool aa : { false, true }) {
		RasterFont f = rasterise("", 11, false, false, 'a', 'z', aa);
		bool partial = false, full = false;
		for (size_t i = 0; i < f.rgba.size(); i += 4) {
			uint8_t a = f.rgba[i + 3];
			partial |= a != 0 && a != 255;
			full |= a == 255;
			if (a != 0)
				ASSERT_TRUE(f.rgba[i] == 255 && f.rgba[i + 1] == 255 && f.rgba[i + 2] == 255) << "white pixels";
		}
		EXPECT_TRUE(full);
		EXPECT_EQ(partial, aa);
	}
}

TEST(FontRaster, BoldAndItalicStyles)
{
	const std::string regular_file = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
	RasterFont plain = rasterise("", 16, false, false, 'H', 'H', true);
	ASSERT_EQ(plain.glyphs.size(), 1u);
	for (const std::string &face : { std::string(), regular_file }) {
		SCOPED_TRACE(face.empty() ? "default face" : "made-up styles");
		RasterFont bold = rasterise(face, 16, true, false, 'H', 'H', true);
		ASSERT_EQ(bold.glyphs.size(), 1u);
		EXPECT_GT(bold.glyphs[0].width, plain.glyphs[0].width);
		EXPECT_GE(bold.glyphs[0].shift, plain.glyphs[0].shift);
		RasterFont italic = rasterise(face, 16, false, true, 'H', 'H', true);
		ASSERT_EQ(italic.glyphs.size(), 1u);
		EXPECT_GT(italic.glyphs[0].width, plain.glyphs[0].width) << "a slanted H is wider";
	}
}

TEST(FontRaster, BadArgumentsGiveClearErrors)
{
	TempDir dir;
	dir.write("junk.ttf", "not a font");
	struct Case { std::string face; int size, first, last; std::string message; } cases[] = {
		{ "/nonexistent/Missing.ttf", 12, 32, 126, "/nonexistent/Missing.ttf not found" },
		{ "", 0, 32, 126, "font size 0 is out of range" },
		{ "", 256, 32, 126, "font size 256 is out of range" },
		{ "", 12, 100, 50, "character range 100 to 50 is not valid" },
		{ "", 12, 32, 70000, "character range 32 to 70000 is not valid" },
		{ dir.file("junk.ttf"), 12, 32, 126, "cannot read font face " + dir.file("junk.ttf") },
	};
	for (const Case &c : cases) {
		RasterFont f;
		std::string error;
		EXPECT_FALSE(rasterise_font(c.face, c.size, false, false, c.first, c.last, true, f, error));
		EXPECT_NE(error.find(c.message), std::string::npos) << error;
	}
}
