// project_images.cpp: reads sprites/, backgrounds/ and fonts/: a PNG alone, or
// a JSON file with the frames, origin, collision mask and flags; the PNG
// images are decoded here.
#include "font_face.h"
#include "font_raster.h"
#include "project_files.h"

namespace {

CBitmap32 load_png(const Project &p, const std::string &relative)
{
	std::string shown = relative;
	std::vector<uint8_t> bytes = read_binary_file(p.folder + "/" + relative, shown);
	CBitmap32 bitmap;
	std::string error;
	if (!bitmap.decode_png(bytes.data(), bytes.size(), error))
		throw ProjectError(shown + ": not a PNG image: " + error);
	if (bitmap.width() <= 0 || bitmap.height() <= 0 || bitmap.width() > 2048 || bitmap.height() > 2048)
		throw ProjectError(shown + ": images must be between 1 and 2048 pixels wide and high");
	return bitmap;
}

void read_origin(const JsonNode &j, ProjectSprite &s)
{
	if (!j.has("origin"))
		return;
	JsonNode o = j.member("origin");
	if (o.is_string()) {
		if (o.as_string() != "center")
			o.fail("the origin is [x, y] or \"center\"");
		s.origin_x = s.frames[0].width() / 2;
		s.origin_y = s.frames[0].height() / 2;
		return;
	}
	if (!o.is_array() || o.size() != 2)
		o.fail("the origin is [x, y] or \"center\"");
	s.origin_x = o.item(0).as_int();
	s.origin_y = o.item(1).as_int();
}

void read_bbox(const JsonNode &j, ProjectSprite &s)
{
	if (!j.has("bbox"))
		return;
	JsonNode b = j.member("bbox");
	if (b.is_string()) {
		std::string mode = b.as_string();
		if (mode == "auto")
			s.bbox_mode = 0;
		else if (mode == "full")
			s.bbox_mode = 1;
		else
			b.fail("the box is \"auto\", \"full\" or [left, top, right, bottom]");
		return;
	}
	if (!b.is_array() || b.size() != 4)
		b.fail("the box is \"auto\", \"full\" or [left, top, right, bottom]");
	s.bbox_mode = 2;
	s.bbox_left = b.item(0).as_int();
	s.bbox_top = b.item(1).as_int();
	s.bbox_right = b.item(2).as_int();
	s.bbox_bottom = b.item(3).as_int();
	if (s.bbox_left > s.bbox_right || s.bbox_top > s.bbox_bottom)
		b.fail("left must not exceed right, nor top bottom");
}

} // namespace

void read_sprites(Project &p, const std::vector<ResourceFile> &files)
{
	for (const ResourceFile &f : files) {
		ProjectSprite s;
		s.name = f.name;
		if (f.ext == ".png") {
			s.frame_files.push_back(f.shown);
			s.frames.push_back(load_png(p, f.shown));
			p.sprites.push_back(std::move(s));
			continue;
		}
		JsonDoc doc;
		doc.load(f.path, f.shown);
		JsonNode j(doc.root(), f.shown);
		j.only_keys({"frames", "origin", "mask", "separate_masks", "tolerance", "bbox", "transparent", "smooth",
		             "preload"});
		JsonNode frames = j.member("frames");
		if (frames.raw())
			for (size_t i = 0; i < frames.size(); i++)
				s.frame_files.push_back("sprites/" + frames.item(i).as_string());
		else
			s.frame_files.push_back("sprites/" + f.name + ".png");
		for (const std::string &file : s.frame_files) {
			s.frames.push_back(load_png(p, file));
			if (s.frames.back().width() != s.frames[0].width() || s.frames.back().height() != s.frames[0].height())
				throw ProjectError(file + ": every frame of sprite \"" + f.name + "\" must have the size of the "
				                          "first (" + std::to_string(s.frames[0].width()) + "x" +
				                   std::to_string(s.frames[0].height()) + ")");
		}
		if (s.frames.empty())
			frames.fail("a sprite needs at least one frame");
		read_origin(j, s);
		std::string mask = j.get_string("mask", "bbox");
		if (mask != "bbox" && mask != "precise")
			j.member("mask").fail("the mask is \"bbox\" or \"precise\"");
		s.precise = mask == "precise";
		s.separate_masks = j.get_bool("separate_masks", false);
		s.tolerance = j.get_int("tolerance", 0);
		if (s.tolerance < 0 || s.tolerance > 255)
			j.member("tolerance").fail("the tolerance is an alpha from 0 to 255");
		read_bbox(j, s);
		s.transparent = j.get_bool("transparent", true);
		s.smooth = j.get_bool("smooth", false);
		s.preload = j.get_bool("preload", true);
		p.sprites.push_back(std::move(s));
	}
}

void read_backgrounds(Project &p, const std::vector<ResourceFile> &files)
{
	for (const ResourceFile &f : files) {
		ProjectBackground b;
		b.name = f.name;
		b.file = f.shown;
		if (f.ext == ".json") {
			JsonDoc doc;
			doc.load(f.path, f.shown);
			JsonNode j(doc.root(), f.shown);
			j.only_keys({"file", "transparent", "smooth", "preload"});
			b.file = "backgrounds/" + j.get_string("file", f.name + ".png");
			b.transparent = j.get_bool("transparent", false);
			b.smooth = j.get_bool("smooth", false);
			b.preload = j.get_bool("preload", true);
		}
		b.image = load_png(p, b.file);
		p.backgrounds.push_back(std::move(b));
	}
}

void read_fonts(Project &p, const std::vector<ResourceFile> &files)
{
	for (const ResourceFile &f : files) {
		JsonDoc doc;
		doc.load(f.path, f.shown);
		JsonNode j(doc.root(), f.shown);
		j.only_keys({"face", "file", "size", "bold", "italic", "first", "last", "antialias"});
		ProjectFont font;
		font.name = f.name;
		std::string file = j.get_string("file"), face = j.get_string("face");
		font.face_name = !face.empty() ? face : file.empty() ? "DejaVu Sans" : file;
		font.size = j.get_int("size", 12);
		if (font.size < FONT_SIZE_MIN || font.size > FONT_SIZE_MAX)
			j.member("size").fail("a font size is from " + std::to_string(FONT_SIZE_MIN) + " to " +
			                      std::to_string(FONT_SIZE_MAX));
		font.bold = j.get_bool("bold", false);
		font.italic = j.get_bool("italic", false);
		font.antialias = j.get_bool("antialias", true);
		font.first = j.get_int("first", 32);
		font.last = j.get_int("last", 127);
		if (font.first < 0 || font.last > 65535 || font.first > font.last)
			j.fail("the character range needs 0 <= first <= last <= 65535");
		if (!file.empty()) {
			font.face = p.folder + "/fonts/" + file;
			read_binary_file(font.face, "fonts/" + file); // fails early when missing
		} else if (!face.empty()) {
			// A face by name: the installed face of that family and style.
			std::string error;
			if (!find_system_face(face, font.bold, font.italic, font.face, error))
				j.member("face").fail(error);
		}
		p.fonts.push_back(std::move(font));
	}
}
