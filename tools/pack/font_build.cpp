// font_build.cpp: the fonts of a project rasterised into glyph atlases; each
// atlas becomes one whole image on the texture pages, with the glyph records
// and the table of 256 character codes of the font chunk.
#include <algorithm>

#include "font_raster.h"
#include "image_pages.h"
#include "json_file.h"

namespace {

// The atlas as 0xAARRGGBB pixels.
CBitmap32 atlas_bitmap(const RasterFont &raster)
{
	CBitmap32 out(raster.width, raster.height);
	for (size_t i = 0; i < (size_t)raster.width * raster.height; i++) {
		const uint8_t *px = &raster.rgba[i * 4];
		out.pixels()[i] = (uint32_t)px[3] << 24 | (uint32_t)px[0] << 16 | (uint32_t)px[1] << 8 | px[2];
	}
	return out;
}

} // namespace

void build_fonts(const Project &p, std::vector<PageImage> &images, ImageChunks &out)
{
	for (const ProjectFont &f : p.fonts) {
		RasterFont raster;
		std::string error;
		if (!rasterise_font(f.face, f.size, f.bold, f.italic, f.first, f.last, f.antialias, raster, error))
			throw ProjectError("fonts/" + f.name + ".json: " + error);
		if (raster.width <= 0 || raster.height <= 0 ||
		    raster.rgba.size() != (size_t)raster.width * raster.height * 4)
			throw ProjectError("fonts/" + f.name + ".json: the rasteriser gave no glyph image");
		// The atlas stays whole (not trimmed): glyph cells are measured from
		// the entry's source corner.
		PageImage img;
		img.pixels = atlas_bitmap(raster);
		img.frame_width = raster.width;
		img.frame_height = raster.height;
		FontSpec spec;
		spec.name = f.name;
		spec.face = f.face_name;
		spec.size = f.size;
		spec.bold = f.bold;
		spec.italic = f.italic;
		// First character, character set 0 (none), anti-aliasing level + 1.
		spec.range = (uint32_t)(f.first & 0xFFFF) | (uint32_t)(f.antialias ? 2 : 1) << 24;
		spec.last = f.last;
		spec.entry = (int)images.size();
		for (const RasterGlyph &g : raster.glyphs)
			spec.glyphs.push_back({g.code, (int16_t)g.x, (int16_t)g.y, (int16_t)g.width, (int16_t)g.height,
			                       (int16_t)g.shift, (int16_t)g.offset});
		std::sort(spec.glyphs.begin(), spec.glyphs.end(),
		          [](const GlyphSpec &a, const GlyphSpec &b) { return a.code < b.code; });
		images.push_back(std::move(img));
		out.fonts.push_back(std::move(spec));
	}
	// Each 8-bit code stands for the character of the same number (Latin-1).
	for (int c = 0; c < 256; c++)
		out.font_codes[c] = (uint16_t)c;
}
