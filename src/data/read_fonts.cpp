// read_fonts.cpp: FONT, the font records with their glyphs, and the table of
// 256 character codes at the end of the chunk.
#include "data/read_images.h"
#include "data/readers.h"

#include <algorithm>

#include "graphics/images.h"

namespace {

std::unique_ptr<CFontData> read_font(const ByteReader &file, uint32_t at)
{
	file.check(at, 44, "a font record");
	auto f = std::make_unique<CFontData>();
	f->name = file.string(file.u32(at));
	uint32_t face = file.u32(at + 4);
	if (face != 0)
		f->face_name = file.string(face);
	f->size = file.i32(at + 8);
	f->bold = file.u32(at + 12) != 0;
	f->italic = file.u32(at + 16) != 0;
	uint32_t range = file.u32(at + 20);
	f->first = (int)(range & 0xFFFF);
	if ((range >> 16) & 0xFF)
		f->charset = (int)((range >> 16) & 0xFF);
	if (range >> 24)
		f->antialias = (int)(range >> 24) - 1;
	f->last = file.i32(at + 24);
	uint32_t entry = file.u32(at + 28);
	if (entry == 0)
		throw DataError(at + 28, "font " + f->name + " has no image");
	f->entry = page_entry_at(file, entry);
	const TexturePageEntry &e = images().entries[f->entry];
	f->image_width = e.source_width;
	f->image_height = e.source_height;
	f->scale_x = file.f32(at + 32);
	f->scale_y = file.f32(at + 36);
	uint32_t count = file.u32(at + 40);
	file.check(at + 44, (uint64_t)count * 4, "the font's glyph list");
	f->glyphs.resize(count);
	for (uint32_t i = 0; i < count; i++) {
		uint32_t g = file.u32(at + 44 + (uint64_t)i * 4);
		file.check(g, 14, "a glyph record");
		Glyph &glyph = f->glyphs[i];
		glyph.code = file.u16(g);
		glyph.x = (int16_t)file.u16(g + 2);
		glyph.y = (int16_t)file.u16(g + 4);
		glyph.width = (int16_t)file.u16(g + 6);
		glyph.height = (int16_t)file.u16(g + 8);
		glyph.shift = (int16_t)file.u16(g + 10);
		glyph.offset = (int16_t)file.u16(g + 12);
		f->line_height = std::max<int>(f->line_height, glyph.height);
	}
	// The lookup is a binary search: a file whose glyphs are out of order is
	// sorted rather than leaving characters unfindable.
	std::stable_sort(f->glyphs.begin(), f->glyphs.end(), [](const Glyph &a, const Glyph &b) { return a.code < b.code; });
	return f;
}

} // namespace

bool read_fonts(GameData &game, const Chunk &chunk, const std::vector<uint32_t> &list)
{
	ByteReader file = game.file();
	ImageResources &r = images();
	uint64_t table_at = chunk.body + chunk.size;
	if (chunk.size < 4 + list.size() * 4 + 512)
		throw DataError(chunk.body, "the font chunk has no room for its table of 256 character codes");
	table_at -= 512;
	for (int c = 0; c < 256; c++)
		r.font_codes[c] = file.u16(table_at + 2 * c);
	r.fonts.clear();
	r.font_names.clear();
	r.fonts.resize(list.size());
	r.font_names.resize(list.size());
	for (size_t i = 0; i < list.size(); i++)
		if (list[i] != 0) {
			r.fonts[i] = read_font(file, list[i]);
			r.font_names[i] = r.fonts[i]->name;
		}
	return true;
}
