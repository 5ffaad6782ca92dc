// project_read.cpp: reads a project folder: the manifest game.json (name,
// window, options, constants, room order), then every resource folder; also
// the small kinds: scripts, paths, sounds, included files and extensions.
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "project_files.h"

namespace fs = std::filesystem;

int32_t Project::find(const std::string &kind, const std::string &name) const
{
	auto k = index.find(kind);
	if (k == index.end())
		return -1;
	auto i = k->second.find(name);
	return i == k->second.end() ? -1 : i->second;
}

CodeRef Project::add_code(const std::string &entry_name, const std::string &source, const std::string &file)
{
	CodeRef ref;
	if (source.find_first_not_of(" \t\r\n") == std::string::npos)
		return ref;
	ref.index = (int32_t)pieces.size();
	pieces.push_back({entry_name, source, file});
	return ref;
}

namespace {

// Window flags by manifest name.
const struct
{
	const char *name;
	uint32_t bit;
	bool fallback;
} window_flags[] = {
	{"fullscreen", WINDOW_FULLSCREEN, false},         {"vsync", WINDOW_VSYNC, true},
	{"software_vertices", WINDOW_SOFTWARE_VERTICES, false}, {"interpolate", WINDOW_INTERPOLATE, false},
	{"keep_aspect", WINDOW_KEEP_ASPECT, false},       {"show_cursor", WINDOW_SHOW_CURSOR, true},
	{"resizable", WINDOW_RESIZABLE, false},
};

// Options of the OPTN record by manifest name and word offset.
const struct
{
	const char *name;
	size_t offset;
	bool is_flag;
} option_names[] = {
	{"fullscreen", 0, true},          {"show_cursor", 12, true},
	{"window_colour", 28, false},     {"set_display_mode", 32, true},
	{"colour_depth", 36, false},      {"resolution", 40, false},
	{"frequency", 44, false},         {"alt_enter", 56, true},
	{"freeze_inactive", 84, true},    {"show_progress", 88, true},
	{"display_errors", 116, true},    {"abort_on_all_errors", 124, true},
	{"error_on_unset_variables", 128, true}, {"create_event_first", 132, true},
};

void read_window(Project &p, const JsonNode &w)
{
	if (!w.raw())
		return;
	std::vector<const char *> keys = {"width", "height"};
	for (const auto &f : window_flags)
		keys.push_back(f.name);
	for (const std::string &k : w.keys())
		if (std::find_if(keys.begin(), keys.end(), [&](const char *n) { return k == n; }) == keys.end())
			w.member(k.c_str()).fail("unknown field \"" + k + "\"");
	int32_t width = w.get_int("width", 640), height = w.get_int("height", 480);
	if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
		w.fail("the window size must be between 1 and 16384");
	p.header.window_width = (uint32_t)width;
	p.header.window_height = (uint32_t)height;
	p.header.window_flags = 0;
	for (const auto &f : window_flags)
		if (w.get_bool(f.name, f.fallback))
			p.header.window_flags |= f.bit;
	p.options.set_word(0, (p.header.window_flags & WINDOW_FULLSCREEN) ? 1 : 0);
}

void read_options(Project &p, const JsonNode &o)
{
	if (!o.raw())
		return;
	for (const std::string &k : o.keys()) {
		JsonNode v = o.member(k.c_str());
		if (k == "stored") {
			// Words that the Runner keeps but does not use, by byte offset.
			for (const std::string &at : v.keys()) {
				char *end = nullptr;
				unsigned long offset = strtoul(at.c_str(), &end, 10);
				if (*end || offset % 4 || offset >= GameOptions::WORDS * 4)
					v.member(at.c_str()).fail("a stored option is named by its byte offset: 0, 4, ... 132");
				p.options.set_word(offset, (uint32_t)v.member(at.c_str()).as_int());
			}
			continue;
		}
		auto it = std::find_if(std::begin(option_names), std::end(option_names),
		                       [&](const auto &n) { return k == n.name; });
		if (it == std::end(option_names))
			v.fail("unknown option \"" + k + "\"");
		if (it->is_flag)
			p.options.set_word(it->offset, v.as_bool());
		else if (it->offset == 28)
			p.options.set_word(28, o.get_colour("window_colour", 0xFFFFFF));
		else
			p.options.set_word(it->offset, (uint32_t)v.as_int());
	}
}

void read_constants(Project &p, const JsonNode &c)
{
	if (!c.raw())
		return;
	for (const std::string &k : c.keys()) {
		JsonNode v = c.member(k.c_str());
		if (!is_identifier(k))
			v.fail("a constant's name must be a letter or _ followed by letters, digits or _");
		std::string value;
		if (v.is_string()) {
			value = v.as_string();
		} else {
			char buffer[64];
			snprintf(buffer, sizeof buffer, "%.17g", v.as_number());
			value = buffer;
		}
		p.constants.push_back({k, value});
	}
}

void read_manifest(Project &p, std::vector<std::string> &room_order)
{
	JsonDoc doc;
	doc.load(p.folder + "/game.json", "game.json");
	JsonNode g(doc.root(), "game.json");
	g.only_keys({"name", "config", "game_id", "debug", "window", "options", "constants", "rooms"});
	p.name = g.get_string("name", "Game");
	p.config = g.get_string("config", "Default");
	p.header.major_version = 8;
	p.header.game_id = (uint32_t)g.get_int("game_id", 1);
	p.header.flags = g.get_bool("debug", false) ? 0 : 1;
	p.header.window_flags = WINDOW_VSYNC | WINDOW_SHOW_CURSOR;
	read_window(p, g.member("window"));
	read_options(p, g.member("options"));
	read_constants(p, g.member("constants"));
	JsonNode rooms = g.member("rooms");
	if (!rooms.raw())
		g.fail("\"rooms\" must list the rooms in the order of the game (the first is where it starts)");
	for (size_t i = 0; i < rooms.size(); i++)
		room_order.push_back(rooms.item(i).as_string());
}

void read_scripts(Project &p, const std::vector<ResourceFile> &files)
{
	for (const ResourceFile &f : files) {
		ScriptSource s;
		s.name = f.name;
		s.code = p.add_code("gml_Script_" + f.name, read_text_file(f.path, f.shown), f.shown);
		p.scripts.push_back(std::move(s));
	}
}

void read_paths(Project &p, const std::vector<ResourceFile> &files)
{
	for (const ResourceFile &f : files) {
		JsonDoc doc;
		doc.load(f.path, f.shown);
		JsonNode j(doc.root(), f.shown);
		j.only_keys({"smooth", "closed", "precision", "points"});
		PathRecord path;
		path.name = f.name;
		path.kind = j.get_bool("smooth", false) ? 1 : 0;
		path.closed = j.get_bool("closed", false);
		path.precision = (uint32_t)std::clamp(j.get_int("precision", 4), 1, 8);
		JsonNode points = j.member("points");
		for (size_t i = 0; points.raw() && i < points.size(); i++) {
			JsonNode pt = points.item(i);
			PathPoint point;
			if (pt.is_array()) {
				if (pt.size() < 2 || pt.size() > 3)
					pt.fail("a point is [x, y] or [x, y, speed]");
				point.x = (float)pt.item(0).as_number();
				point.y = (float)pt.item(1).as_number();
				point.speed = pt.size() > 2 ? (float)pt.item(2).as_number() : 100.0f;
			} else {
				pt.only_keys({"x", "y", "speed"});
				point.x = (float)pt.get_number("x", 0);
				point.y = (float)pt.get_number("y", 0);
				point.speed = (float)pt.get_number("speed", 100);
			}
			path.points.push_back(point);
		}
		p.paths.push_back(std::move(path));
	}
}

void read_sounds(Project &p, const std::vector<ResourceFile> &files)
{
	for (const ResourceFile &f : files) {
		ProjectSound s;
		s.record.name = f.name;
		std::string data_file = f.path, shown = f.shown;
		if (f.ext == ".json") {
			JsonDoc doc;
			doc.load(f.path, f.shown);
			JsonNode j(doc.root(), f.shown);
			j.only_keys({"file", "kind", "volume", "pan", "preload"});
			std::string file = j.get_string("file");
			if (file.empty())
				j.fail("\"file\" must name the sound file (WAV, MP3 or OGG) in sounds/");
			data_file = p.folder + "/sounds/" + file;
			shown = "sounds/" + file;
			s.record.kind = j.get_int("kind", 0);
			s.record.volume = j.get_number("volume", 1);
			s.record.pan = j.get_number("pan", 0);
			s.record.preload = j.get_bool("preload", true);
		} else {
			s.record.preload = true;
		}
		s.data = read_binary_file(data_file, shown);
		std::string name = fs::path(data_file).filename().string();
		s.record.text1 = fs::path(data_file).extension().string();
		s.record.text2 = name;
		s.record.audio_index = (int32_t)p.sounds.size();
		p.sounds.push_back(std::move(s));
	}
}

void read_included(Project &p)
{
	fs::path dir = fs::path(p.folder) / "included";
	std::error_code ec;
	if (!fs::is_directory(dir, ec))
		return;
	std::vector<fs::path> files;
	for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
	     it.increment(ec))
		if (it->is_regular_file())
			files.push_back(it->path());
	std::sort(files.begin(), files.end());
	for (const fs::path &f : files) {
		std::string rel = fs::relative(f, dir).generic_string();
		std::vector<uint8_t> data = read_binary_file(f.string(), "included/" + rel);
		// Block: u32 name length, the name, u32 data length, the data.
		std::vector<uint8_t> block;
		auto put32 = [&](uint32_t v) {
			for (int i = 0; i < 4; i++)
				block.push_back((uint8_t)(v >> (8 * i)));
		};
		put32((uint32_t)rel.size());
		block.insert(block.end(), rel.begin(), rel.end());
		put32((uint32_t)data.size());
		block.insert(block.end(), data.begin(), data.end());
		p.included.push_back(std::move(block));
	}
}

void read_extensions(Project &p, const std::vector<ResourceFile> &files)
{
	uint32_t next_id = 0;
	for (const ResourceFile &f : files) {
		JsonDoc doc;
		doc.load(f.path, f.shown);
		JsonNode j(doc.root(), f.shown);
		j.only_keys({"tag", "files"});
		ExtensionPackage pkg;
		pkg.name = f.name;
		pkg.tag = j.get_string("tag", f.name);
		JsonNode list = j.member("files");
		for (size_t i = 0; list.raw() && i < list.size(); i++) {
			JsonNode fj = list.item(i);
			fj.only_keys({"file", "init", "final", "kind", "functions"});
			ExtensionFile file;
			file.name = fj.get_string("file");
			file.init_function = fj.get_string("init");
			file.final_function = fj.get_string("final");
			file.kind = (uint32_t)fj.get_int("kind", 1);
			JsonNode fns = fj.member("functions");
			for (size_t k = 0; fns.raw() && k < fns.size(); k++) {
				JsonNode fn = fns.item(k);
				fn.only_keys({"name", "external", "cdecl", "returns", "arguments"});
				ExtensionFunction e;
				e.name = fn.get_string("name");
				if (!is_identifier(e.name))
					fn.fail("\"name\" must be the function's name as game code calls it");
				e.external_name = fn.get_string("external", e.name);
				e.id = next_id++;
				e.call_kind = fn.get_bool("cdecl", true) ? 12 : 11;
				std::string returns = fn.get_string("returns", "real");
				if (returns != "real" && returns != "string")
					fn.member("returns").fail("expected \"real\" or \"string\"");
				e.result_type = returns == "string" ? 1 : 2;
				JsonNode args = fn.member("arguments");
				for (size_t a = 0; args.raw() && a < args.size(); a++) {
					std::string t = args.item(a).as_string();
					if (t != "real" && t != "string")
						args.item(a).fail("expected \"real\" or \"string\"");
					e.argument_types.push_back(t == "string" ? 1 : 2);
				}
				file.functions.push_back(std::move(e));
			}
			pkg.files.push_back(std::move(file));
		}
		p.extensions.push_back(std::move(pkg));
	}
}

// Image and sound files that a JSON description names are part of that
// resource, not resources of their own.
void drop_named_files(std::vector<ResourceFile> &files, const char *sub, const char *key)
{
	std::vector<std::string> named;
	for (const ResourceFile &f : files) {
		if (f.ext != ".json")
			continue;
		JsonDoc doc;
		doc.load(f.path, f.shown);
		JsonNode v = JsonNode(doc.root(), f.shown).member(key);
		if (v.is_string())
			named.push_back(v.as_string());
		else if (v.is_array())
			for (size_t i = 0; i < v.size(); i++)
				if (v.item(i).is_string())
					named.push_back(v.item(i).as_string());
	}
	std::erase_if(files, [&](const ResourceFile &f) {
		return f.ext != ".json" &&
		       std::find(named.begin(), named.end(), f.shown.substr(strlen(sub) + 1)) != named.end();
	});
}

void assign(Project &p, const char *kind, const std::vector<ResourceFile> &files)
{
	auto &names = p.index[kind];
	for (size_t i = 0; i < files.size(); i++)
		names[files[i].name] = (int32_t)i;
}

} // namespace

void read_project(const std::string &folder, Project &p)
{
	p.folder = folder;
	std::vector<std::string> room_order;
	read_manifest(p, room_order);
	auto sprites = list_resources(p, "sprites", {".json", ".png"});
	auto backgrounds = list_resources(p, "backgrounds", {".json", ".png"});
	auto fonts = list_resources(p, "fonts", {".json"});
	auto sounds = list_resources(p, "sounds", {".json", ".wav", ".mp3", ".ogg"});
	auto paths = list_resources(p, "paths", {".json"});
	auto scripts = list_resources(p, "scripts", {".zx"});
	auto objects = list_resources(p, "objects", {".json"});
	auto timelines = list_resources(p, "timelines", {".json"});
	auto rooms = list_resources(p, "rooms", {".json"});
	auto extensions = list_resources(p, "extensions", {".json"});
	drop_named_files(sprites, "sprites", "frames");
	drop_named_files(backgrounds, "backgrounds", "file");
	drop_named_files(sounds, "sounds", "file");

	// Rooms take the manifest's order first, then the rest by name.
	std::vector<ResourceFile> ordered;
	for (const std::string &name : room_order) {
		auto it = std::find_if(rooms.begin(), rooms.end(), [&](const ResourceFile &f) { return f.name == name; });
		if (it == rooms.end())
			throw ProjectError("game.json: rooms: no room \"" + name + "\" (rooms/" + name + ".json)");
		if (std::find_if(ordered.begin(), ordered.end(), [&](const ResourceFile &f) { return f.name == name; }) !=
		    ordered.end())
			throw ProjectError("game.json: rooms: \"" + name + "\" is listed twice");
		ordered.push_back(*it);
	}
	for (const ResourceFile &f : rooms)
		if (std::find(room_order.begin(), room_order.end(), f.name) == room_order.end())
			ordered.push_back(f);
	if (room_order.empty())
		throw ProjectError("game.json: rooms: a game needs at least one room");
	for (size_t i = 0; i < room_order.size(); i++)
		p.header.room_order.push_back((int32_t)i);

	assign(p, "sprite", sprites);
	assign(p, "background", backgrounds);
	assign(p, "font", fonts);
	assign(p, "sound", sounds);
	assign(p, "path", paths);
	assign(p, "script", scripts);
	assign(p, "object", objects);
	assign(p, "timeline", timelines);
	assign(p, "room", ordered);

	read_sprites(p, sprites);
	read_backgrounds(p, backgrounds);
	read_fonts(p, fonts);
	read_sounds(p, sounds);
	read_paths(p, paths);
	read_scripts(p, scripts);
	read_objects(p, objects);
	read_timelines(p, timelines);
	read_rooms(p, ordered);
	read_included(p);
	read_extensions(p, extensions);
}
