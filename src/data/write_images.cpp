// write_images.cpp: the writers of the image-bearing chunks.
#include "data/write_images.h"

namespace {

constexpr size_t ENTRY_SIZE = 22;

size_t entry_offset(const ImageChunks &c, int index) { return 4 + 4 * c.entries.size() + ENTRY_SIZE * (size_t)index; }

void write_sprites(ChunkBuilder &b, const ImageChunks &c, size_t tpag)
{
	b.u32((uint32_t)c.sprites.size());
	size_t list = b.pos();
	b.zeros(4 * c.sprites.size());
	for (size_t i = 0; i < c.sprites.size(); i++) {
		const SpriteSpec &s = c.sprites[i];
		b.patch_ref(list + 4 * i, b.index(), b.pos());
		b.string_ref(s.name).i32(s.width).i32(s.height).i32(s.bbox_left).i32(s.bbox_right).i32(s.bbox_bottom);
		b.i32(s.bbox_top).u32(s.transparent).u32(s.smooth).u32(s.preload).i32(s.bbox_mode).u32(s.precise);
		b.i32(s.x_origin).i32(s.y_origin).u32((uint32_t)s.frames.size());
		for (int f : s.frames)
			b.ref_to(tpag, entry_offset(c, f));
		b.i32((int32_t)s.masks.size());
		for (const auto &m : s.masks)
			b.bytes(m.data(), m.size());
		while (b.pos() % 4)
			b.u8(0);
	}
}

void write_backgrounds(ChunkBuilder &b, const ImageChunks &c, size_t tpag)
{
	b.u32((uint32_t)c.backgrounds.size());
	size_t list = b.pos();
	b.zeros(4 * c.backgrounds.size());
	for (size_t i = 0; i < c.backgrounds.size(); i++) {
		const BackgroundSpec &g = c.backgrounds[i];
		b.patch_ref(list + 4 * i, b.index(), b.pos());
		b.string_ref(g.name).u32(g.transparent).u32(g.smooth).u32(g.preload).ref_to(tpag, entry_offset(c, g.entry));
	}
}

void write_fonts(ChunkBuilder &b, const ImageChunks &c, size_t tpag)
{
	b.u32((uint32_t)c.fonts.size());
	size_t list = b.pos();
	b.zeros(4 * c.fonts.size());
	for (size_t i = 0; i < c.fonts.size(); i++) {
		const FontSpec &f = c.fonts[i];
		b.patch_ref(list + 4 * i, b.index(), b.pos());
		b.string_ref(f.name);
		if (f.face.empty())
			b.u32(0);
		else
			b.string_ref(f.face);
		b.i32(f.size).u32(f.bold).u32(f.italic).u32(f.range).i32(f.last).ref_to(tpag, entry_offset(c, f.entry));
		b.f32(f.scale_x).f32(f.scale_y).u32((uint32_t)f.glyphs.size());
		size_t glyph_list = b.pos();
		b.zeros(4 * f.glyphs.size());
		for (size_t g = 0; g < f.glyphs.size(); g++) {
			const GlyphSpec &gl = f.glyphs[g];
			b.patch_ref(glyph_list + 4 * g, b.index(), b.pos());
			b.u16(gl.code).u16((uint16_t)gl.x).u16((uint16_t)gl.y).u16((uint16_t)gl.width);
			b.u16((uint16_t)gl.height).u16((uint16_t)gl.shift).u16((uint16_t)gl.offset);
		}
		while (b.pos() % 4)
			b.u8(0);
	}
	for (uint16_t code : c.font_codes)
		b.u16(code);
}

void write_entries(ChunkBuilder &b, const ImageChunks &c)
{
	b.u32((uint32_t)c.entries.size());
	for (size_t i = 0; i < c.entries.size(); i++)
		b.ref(entry_offset(c, (int)i));
	for (const EntrySpec &e : c.entries) {
		const int16_t f[11] = {e.source_x, e.source_y, e.source_width, e.source_height, e.target_x, e.target_y,
		                       e.target_width, e.target_height, e.bounding_width, e.bounding_height, e.page};
		for (int16_t v : f)
			b.u16((uint16_t)v);
	}
	while (b.pos() % 4)
		b.u8(0);
}

void write_pages(ChunkBuilder &b, const ImageChunks &c)
{
	b.u32((uint32_t)c.pages.size());
	size_t records = 4 + 4 * c.pages.size();
	for (size_t i = 0; i < c.pages.size(); i++)
		b.ref(records + 8 * i);
	size_t image_at = records + 8 * c.pages.size();
	for (size_t i = 0; i < c.pages.size(); i++) {
		b.u32(0).ref(image_at);
		image_at += (c.pages[i].size() + 3) / 4 * 4;
	}
	for (const auto &page : c.pages) {
		b.bytes(page.data(), page.size());
		while (b.pos() % 4)
			b.u8(0);
	}
}

} // namespace

void write_image_chunks(DataFileWriter &writer, const ImageChunks &c)
{
	ChunkBuilder &sprt = writer.chunk("SPRT");
	size_t tpag = sprt.index() + 3;
	write_sprites(sprt, c, tpag);
	write_backgrounds(writer.chunk("BGND"), c, tpag);
	write_fonts(writer.chunk("FONT"), c, tpag);
	write_entries(writer.chunk("TPAG"), c);
	write_pages(writer.chunk("TXTR"), c);
}

std::vector<uint8_t> pack_mask(const std::vector<uint8_t> &pixels, int width, int height)
{
	size_t row = ((size_t)width + 7) / 8;
	std::vector<uint8_t> out(row * (size_t)height, 0);
	for (int y = 0; y < height; y++)
		for (int x = 0; x < width; x++)
			if (pixels[(size_t)y * width + x])
				out[(size_t)y * row + x / 8] |= (uint8_t)(0x80 >> (x % 8));
	return out;
}
