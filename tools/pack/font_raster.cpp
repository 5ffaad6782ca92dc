// font_raster.cpp: renders a range of characters with FreeType and packs the glyph cells
// into one atlas, in rows with a pixel of padding. Every cell spans the whole line height
// so that glyphs drawn at the line's top sit on a common baseline.
#include "font_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

const char *const DEFAULT_FACE_DIR = "/usr/share/fonts/truetype/dejavu/";
constexpr int DPI = 96;
constexpr int PADDING = 1;
// Slant of the synthetic oblique: tan(12 degrees) in 16.16 fixed point.
constexpr FT_Fixed OBLIQUE_SHEAR = 0x0366A;

// One rendered glyph before packing: its coverage bitmap and metrics.
struct Rendered
{
	uint16_t code;
	int width, rows, left, top, advance;
	std::vector<uint8_t> alpha;
};

// Owns the FreeType library and face for the length of one call.
struct FtSession
{
	FT_Library library = nullptr;
	FT_Face face = nullptr;
	~FtSession()
	{
		if (face)
			FT_Done_Face(face);
		if (library)
			FT_Done_FreeType(library);
	}
};

// The default face's file for the style. A styled file that is not installed
// (the oblique ones come in a separate package) gives way to a plainer one
// whose missing style is then made up.
std::string default_face_path(bool bold, bool italic)
{
	const char *files[] = {bold ? (italic ? "DejaVuSans-BoldOblique.ttf" : "DejaVuSans-Bold.ttf")
	                            : (italic ? "DejaVuSans-Oblique.ttf" : "DejaVuSans.ttf"),
	                       bold ? "DejaVuSans-Bold.ttf" : "DejaVuSans.ttf", "DejaVuSans.ttf"};
	std::error_code ec;
	for (const char *file : files) {
		std::string path = std::string(DEFAULT_FACE_DIR) + file;
		if (std::filesystem::is_regular_file(path, ec))
			return path;
	}
	return std::string(DEFAULT_FACE_DIR) + files[2];
}

std::string ft_message(const char *what, FT_Error code)
{
	const char *text = FT_Error_String(code);
	char buf[64];
	snprintf(buf, sizeof buf, " (FreeType error %d)", static_cast<int>(code));
	return std::string(what) + (text ? std::string(": ") + text : std::string()) + buf;
}

// Copies the slot's bitmap as one alpha byte per pixel; 1-bit bitmaps become 0 or 255,
// and grey ones are thresholded when antialiasing is off.
void copy_coverage(const FT_Bitmap &bm, bool antialias, Rendered &r)
{
	r.width = static_cast<int>(bm.width);
	r.rows = static_cast<int>(bm.rows);
	r.alpha.assign(static_cast<size_t>(r.width) * r.rows, 0);
	int pitch = bm.pitch < 0 ? -bm.pitch : bm.pitch;
	for (int y = 0; y < r.rows; ++y) {
		const unsigned char *row = bm.pitch < 0 ? bm.buffer + static_cast<size_t>(r.rows - 1 - y) * pitch
		                                        : bm.buffer + static_cast<size_t>(y) * pitch;
		for (int x = 0; x < r.width; ++x) {
			uint8_t a;
			if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
				a = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
			} else {
				int grays = bm.num_grays > 1 ? bm.num_grays : 256;
				a = static_cast<uint8_t>(row[x] * 255 / (grays - 1));
				if (!antialias)
					a = a >= 128 ? 255 : 0;
			}
			r.alpha[static_cast<size_t>(y) * r.width + x] = a;
		}
	}
}

bool render_range(FT_Face face, bool synth_bold, bool antialias, int first, int last,
                  std::vector<Rendered> &glyphs, std::string &error)
{
	FT_Int32 load_flags = FT_LOAD_DEFAULT | (antialias ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
	FT_Render_Mode mode = antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
	for (int code = first; code <= last; ++code) {
		FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
		if (index == 0)
			continue; // the face lacks it: the font has no glyph for it
		FT_Error err = FT_Load_Glyph(face, index, load_flags);
		if (!err && synth_bold)
			FT_GlyphSlot_Embolden(face->glyph);
		if (!err)
			err = FT_Render_Glyph(face->glyph, mode);
		if (err) {
			char buf[48];
			snprintf(buf, sizeof buf, "cannot render character %d", code);
			error = ft_message(buf, err);
			return false;
		}
		Rendered r;
		r.code = static_cast<uint16_t>(code);
		r.left = face->glyph->bitmap_left;
		r.top = face->glyph->bitmap_top;
		r.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
		copy_coverage(face->glyph->bitmap, antialias, r);
		glyphs.push_back(std::move(r));
	}
	return true;
}

// Lays cells of the given height left to right in rows of the given width; returns the
// atlas height, or -1 when a cell is wider than a row.
int layout_rows(const std::vector<Rendered> &glyphs, int cell_height, int width, std::vector<RasterGlyph> *cells)
{
	int x = PADDING, y = PADDING;
	for (const Rendered &r : glyphs) {
		if (r.width + 2 * PADDING > width)
			return -1;
		if (x + r.width + PADDING > width) {
			x = PADDING;
			y += cell_height + PADDING;
		}
		if (cells)
			cells->push_back({ r.code, x, y, r.width, cell_height, r.advance, r.left });
		x += r.width + PADDING;
	}
	return y + cell_height + PADDING;
}

bool pack_atlas(const std::vector<Rendered> &glyphs, int ascent, int descent, RasterFont &out, std::string &error)
{
	int cell_height = ascent + descent;
	int width = 64;
	int height = layout_rows(glyphs, cell_height, width, nullptr);
	while (width < FONT_ATLAS_MAX && (height < 0 || height > width)) {
		width *= 2;
		height = layout_rows(glyphs, cell_height, width, nullptr);
	}
	if (height < 0 || height > FONT_ATLAS_MAX) {
		char buf[96];
		snprintf(buf, sizeof buf, "the glyphs do not fit in one %d x %d atlas", FONT_ATLAS_MAX, FONT_ATLAS_MAX);
		error = buf;
		return false;
	}
	out.width = width;
	out.height = height;
	out.glyphs.clear();
	layout_rows(glyphs, cell_height, width, &out.glyphs);
	out.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
	for (size_t i = 0; i < glyphs.size(); ++i) {
		const Rendered &r = glyphs[i];
		const RasterGlyph &g = out.glyphs[i];
		int top = g.y + ascent - r.top;
		for (int y = 0; y < r.rows; ++y) {
			for (int x = 0; x < r.width; ++x) {
				uint8_t *p = &out.rgba[(static_cast<size_t>(top + y) * width + g.x + x) * 4];
				p[0] = p[1] = p[2] = 255;
				p[3] = r.alpha[static_cast<size_t>(y) * r.width + x];
			}
		}
	}
	return true;
}

bool check_arguments(int size, int first, int last, std::string &error)
{
	char buf[96];
	if (size < FONT_SIZE_MIN || size > FONT_SIZE_MAX) {
		snprintf(buf, sizeof buf, "font size %d is out of range (%d to %d)", size, FONT_SIZE_MIN, FONT_SIZE_MAX);
		error = buf;
		return false;
	}
	if (first < 0 || last > 0xFFFF || first > last) {
		snprintf(buf, sizeof buf, "character range %d to %d is not valid (0 to 65535, first <= last)", first, last);
		error = buf;
		return false;
	}
	return true;
}

} // namespace

bool rasterise_font(const std::string &face_path, int size, bool bold, bool italic, int first, int last,
                    bool antialias, RasterFont &out, std::string &error)
{
	if (!check_arguments(size, first, last, error))
		return false;
	bool default_face = face_path.empty();
	std::string path = default_face ? default_face_path(bold, italic) : face_path;
	std::error_code ec;
	if (!std::filesystem::is_regular_file(path, ec)) {
		error = "font face " + path + " not found";
		return false;
	}
	FtSession ft;
	FT_Error err = FT_Init_FreeType(&ft.library);
	if (err) {
		error = ft_message("cannot start FreeType", err);
		return false;
	}
	err = FT_New_Face(ft.library, path.c_str(), 0, &ft.face);
	if (err) {
		error = ft_message(("cannot read font face " + path).c_str(), err);
		return false;
	}
	FT_Face face = ft.face;
	if (!FT_IS_SCALABLE(face)) {
		error = "font face " + path + " is not scalable";
		return false;
	}
	err = FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(size) * 64, DPI, DPI);
	if (err) {
		error = ft_message(("cannot set size of font face " + path).c_str(), err);
		return false;
	}
	// A given face that lacks the style gets it made up; the default face has real files.
	bool synth_bold = bold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
	bool synth_italic = italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
	if (synth_italic) {
		FT_Matrix shear = { 0x10000, OBLIQUE_SHEAR, 0, 0x10000 };
		FT_Set_Transform(face, &shear, nullptr);
	}
	std::vector<Rendered> glyphs;
	if (!render_range(face, synth_bold, antialias, first, last, glyphs, error)) {
		error = path + ": " + error;
		return false;
	}
	if (glyphs.empty()) {
		char buf[64];
		snprintf(buf, sizeof buf, "has no character in the range %d to %d", first, last);
		error = "font face " + path + " " + buf;
		return false;
	}
	// The line spans the face's ascent and descent, stretched to hold every glyph.
	int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
	int descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
	for (const Rendered &r : glyphs) {
		ascent = std::max(ascent, r.top);
		descent = std::max(descent, r.rows - r.top);
	}
	if (!pack_atlas(glyphs, ascent, descent, out, error)) {
		error = "font face " + path + ": " + error;
		return false;
	}
	return true;
}
