// project_objects.cpp: reads objects/: one JSON file per object (sprite, mask,
// flags, depth, parent, events with inline code) and an optional folder of the
// same name holding one <event>.zx file per event.
#include <algorithm>
#include <filesystem>

#include "event_names.h"
#include "project_files.h"

namespace fs = std::filesystem;

namespace {

void put_event(Project &p, CObject &o, const std::string &event_name, const std::string &source,
               const std::string &shown, const JsonNode *where)
{
	std::string error;
	EventId id = parse_event_name(event_name, [&](const std::string &n) { return p.find("object", n); }, error);
	if (id.type < 0) {
		if (where)
			where->fail(error);
		throw ProjectError(shown + ": " + error);
	}
	if (o.own_event(id.type, id.number)) {
		std::string message = "the event \"" + event_name + "\" is given twice (inline and as a file, or under "
		                                                    "two names)";
		if (where)
			where->fail(message);
		throw ProjectError(shown + ": " + message);
	}
	auto event = std::make_unique<CEvent>();
	event->code = p.add_code("gml_Object_" + o.name + "_" + event_name, source, shown);
	if (event->code.empty())
		return;
	o.set_event(id.type, id.number, std::move(event));
}

void read_event_folder(Project &p, CObject &o)
{
	fs::path dir = fs::path(p.folder) / "objects" / o.name;
	std::error_code ec;
	if (!fs::is_directory(dir, ec))
		return;
	std::vector<fs::path> files;
	for (const auto &entry : fs::directory_iterator(dir, ec))
		if (entry.is_regular_file() && entry.path().extension() == ".zx")
			files.push_back(entry.path());
	std::sort(files.begin(), files.end());
	for (const fs::path &f : files) {
		std::string shown = "objects/" + o.name + "/" + f.filename().string();
		put_event(p, o, f.stem().string(), read_text_file(f.string(), shown), shown, nullptr);
	}
}

void read_physics(const JsonNode &j, PhysicsProperties &ph)
{
	if (!j.raw())
		return;
	j.only_keys({"enabled", "sensor", "shape", "shape_param1", "shape_param2", "group", "damping1", "damping2",
	             "points"});
	ph.uses_physics = j.get_bool("enabled", true);
	ph.sensor = j.get_bool("sensor", false);
	ph.shape = j.get_int("shape", 0);
	ph.shape_param1 = (float)j.get_number("shape_param1", 0);
	ph.shape_param2 = (float)j.get_number("shape_param2", 0);
	ph.group = j.get_int("group", 0);
	ph.damping1 = (float)j.get_number("damping1", 0);
	ph.damping2 = (float)j.get_number("damping2", 0);
	JsonNode pts = j.member("points");
	for (size_t i = 0; pts.raw() && i < pts.size(); i++) {
		JsonNode pt = pts.item(i);
		if (!pt.is_array() || pt.size() != 2)
			pt.fail("a shape point is [x, y]");
		ph.points.push_back({(float)pt.item(0).as_number(), (float)pt.item(1).as_number()});
	}
}

// Parents must not form a loop.
void check_parents(const Project &p, const std::vector<ResourceFile> &files)
{
	for (size_t i = 0; i < p.objects.size(); i++) {
		int32_t at = p.objects[i]->parent_index;
		for (size_t steps = 0; at >= 0; steps++) {
			if (at == (int32_t)i || steps > p.objects.size())
				throw ProjectError(files[i].shown + ": parent: the parents of \"" + p.objects[i]->name +
				                   "\" lead back to itself");
			at = p.objects[at]->parent_index;
		}
	}
}

} // namespace

void read_objects(Project &p, const std::vector<ResourceFile> &files)
{
	for (size_t i = 0; i < files.size(); i++) {
		const ResourceFile &f = files[i];
		JsonDoc doc;
		doc.load(f.path, f.shown);
		JsonNode j(doc.root(), f.shown);
		j.only_keys({"sprite", "mask", "visible", "solid", "depth", "persistent", "parent", "physics", "events"});
		auto o = std::make_unique<CObject>();
		o->name = f.name;
		o->index = (int32_t)i;
		o->sprite_index = resource_field(p, j, "sprite", "sprite");
		o->mask_index = resource_field(p, j, "mask", "sprite");
		o->parent_index = resource_field(p, j, "parent", "object");
		o->depth = j.get_int("depth", 0);
		o->set_flag(CObject::VISIBLE, j.get_bool("visible", true));
		o->set_flag(CObject::SOLID, j.get_bool("solid", false));
		o->set_flag(CObject::PERSISTENT, j.get_bool("persistent", false));
		read_physics(j.member("physics"), o->physics);
		JsonNode events = j.member("events");
		if (events.raw())
			for (const std::string &name : events.keys()) {
				JsonNode code = events.member(name.c_str());
				put_event(p, *o, name, code.as_string(), code.where(), &code);
			}
		read_event_folder(p, *o);
		p.objects.push_back(std::move(o));
	}
	check_parents(p, files);
}
