// project_rooms.cpp: reads rooms/: size, speed, colour, flags, creation code,
// backgrounds, views, instances (with their creation code) and tiles. Instance
// and tile ids are numbered across the game unless a room gives its own.
#include <cmath>
#include <set>

#include "project_files.h"

namespace {

constexpr int32_t FIRST_INSTANCE_ID = 100001;
constexpr int32_t FIRST_TILE_ID = 10000001;

// Blend colour and alpha packed as the room records keep them.
uint32_t blend_word(const JsonNode &j)
{
	uint32_t colour = j.get_colour("colour", 0xFFFFFF) & 0xFFFFFF;
	double alpha = j.get_number("alpha", 1);
	if (alpha < 0 || alpha > 1)
		j.member("alpha").fail("alpha is between 0 and 1");
	return colour | (uint32_t)std::lround(alpha * 255) << 24;
}

void read_backgrounds_of(Project &p, const JsonNode &list, RoomRecord &r)
{
	r.backgrounds.resize(8);
	if (!list.raw())
		return;
	if (list.size() > 8)
		list.fail("a room has at most 8 backgrounds");
	for (size_t i = 0; i < list.size(); i++) {
		JsonNode b = list.item(i);
		b.only_keys({"background", "visible", "foreground", "x", "y", "htiled", "vtiled", "hspeed", "vspeed",
		             "stretch"});
		RoomBackground &rb = r.backgrounds[i];
		rb.index = resource_field(p, b, "background", "background");
		rb.visible = b.get_bool("visible", true);
		rb.foreground = b.get_bool("foreground", false);
		rb.x = (float)b.get_int("x", 0);
		rb.y = (float)b.get_int("y", 0);
		rb.htiled = b.get_bool("htiled", false);
		rb.vtiled = b.get_bool("vtiled", false);
		rb.hspeed = (float)b.get_int("hspeed", 0);
		rb.vspeed = (float)b.get_int("vspeed", 0);
		rb.stretch = b.get_bool("stretch", false);
	}
}

void read_views_of(Project &p, const JsonNode &list, RoomRecord &r)
{
	r.views.resize(8);
	for (RoomView &v : r.views) {
		v.wview = v.wport = (int32_t)r.width;
		v.hview = v.hport = (int32_t)r.height;
	}
	if (!list.raw())
		return;
	if (list.size() > 8)
		list.fail("a room has at most 8 views");
	for (size_t i = 0; i < list.size(); i++) {
		JsonNode j = list.item(i);
		j.only_keys({"visible", "x", "y", "width", "height", "port_x", "port_y", "port_width", "port_height",
		             "hborder", "vborder", "hspeed", "vspeed", "follow"});
		RoomView &v = r.views[i];
		v.visible = j.get_bool("visible", true);
		v.xview = j.get_int("x", 0);
		v.yview = j.get_int("y", 0);
		v.wview = j.get_int("width", v.wview);
		v.hview = j.get_int("height", v.hview);
		v.xport = j.get_int("port_x", 0);
		v.yport = j.get_int("port_y", 0);
		v.wport = j.get_int("port_width", v.wview);
		v.hport = j.get_int("port_height", v.hview);
		v.hborder = j.get_int("hborder", 32);
		v.vborder = j.get_int("vborder", 32);
		v.hspeed = j.get_int("hspeed", -1);
		v.vspeed = j.get_int("vspeed", -1);
		v.object = resource_field(p, j, "follow", "object");
	}
}

void read_instances_of(Project &p, const JsonNode &list, RoomRecord &r, int32_t &next_id, std::set<int32_t> &used)
{
	for (size_t i = 0; list.raw() && i < list.size(); i++) {
		JsonNode j = list.item(i);
		j.only_keys({"object", "x", "y", "id", "code", "code_file", "xscale", "yscale", "colour", "alpha", "angle"});
		RoomInstance inst;
		if (!j.has("object"))
			j.fail("an instance needs its \"object\"");
		inst.object = resource_field(p, j, "object", "object");
		inst.x = j.get_int("x", 0);
		inst.y = j.get_int("y", 0);
		inst.id = j.get_int("id", next_id);
		if (inst.id < FIRST_INSTANCE_ID)
			j.member("id").fail("instance ids start at " + std::to_string(FIRST_INSTANCE_ID));
		if (!used.insert(inst.id).second)
			j.member("id").fail("the instance id " + std::to_string(inst.id) + " is used twice");
		next_id = std::max(next_id, inst.id + 1);
		inst.creation_code = code_field(p, j, "code", "gml_RoomCC_" + r.name + "_" + std::to_string(i),
		                                p.folder + "/rooms", "rooms");
		inst.xscale = (float)j.get_number("xscale", 1);
		inst.yscale = (float)j.get_number("yscale", 1);
		inst.colour = blend_word(j);
		inst.angle = (float)j.get_number("angle", 0);
		r.instances.push_back(std::move(inst));
	}
}

void read_tiles_of(Project &p, const JsonNode &list, RoomRecord &r, int32_t &next_id)
{
	for (size_t i = 0; list.raw() && i < list.size(); i++) {
		JsonNode j = list.item(i);
		j.only_keys({"background", "x", "y", "left", "top", "width", "height", "depth", "id", "xscale", "yscale",
		             "colour", "alpha"});
		RoomTile t;
		if (!j.has("background"))
			j.fail("a tile needs its \"background\"");
		t.background = resource_field(p, j, "background", "background");
		t.x = j.get_int("x", 0);
		t.y = j.get_int("y", 0);
		t.left = j.get_int("left", 0);
		t.top = j.get_int("top", 0);
		t.width = j.get_int("width", 16);
		t.height = j.get_int("height", 16);
		t.depth = j.get_int("depth", 1000000);
		t.id = j.get_int("id", next_id);
		if (t.id < FIRST_TILE_ID)
			j.member("id").fail("tile ids start at " + std::to_string(FIRST_TILE_ID));
		next_id = std::max(next_id, t.id + 1);
		t.xscale = (float)j.get_number("xscale", 1);
		t.yscale = (float)j.get_number("yscale", 1);
		t.colour = blend_word(j);
		r.tiles.push_back(t);
	}
}

void read_room_physics(const JsonNode &j, RoomRecord &r)
{
	if (!j.raw())
		return;
	j.only_keys({"enabled", "gravity_x", "gravity_y", "scale"});
	r.physics_world = j.get_bool("enabled", true);
	r.gravity_x = j.get_int("gravity_x", 0);
	r.gravity_y = j.get_int("gravity_y", 10);
	r.physics_scale = (float)j.get_number("scale", 0.1);
}

} // namespace

void read_rooms(Project &p, const std::vector<ResourceFile> &files)
{
	int32_t next_instance = FIRST_INSTANCE_ID, next_tile = FIRST_TILE_ID;
	std::set<int32_t> used_ids;
	for (const ResourceFile &f : files) {
		JsonDoc doc;
		doc.load(f.path, f.shown);
		JsonNode j(doc.root(), f.shown);
		j.only_keys({"caption", "width", "height", "speed", "persistent", "colour", "show_colour", "code",
		             "code_file", "views_enabled", "backgrounds", "views", "instances", "tiles", "physics"});
		RoomRecord r;
		r.name = f.name;
		r.caption = j.get_string("caption");
		int32_t width = j.get_int("width", 640), height = j.get_int("height", 480), speed = j.get_int("speed", 30);
		if (width <= 0 || height <= 0)
			j.fail("a room's width and height must be above 0");
		if (speed <= 0)
			j.member("speed").fail("a room's speed must be above 0");
		r.width = (uint32_t)width;
		r.height = (uint32_t)height;
		r.speed = (uint32_t)speed;
		r.persistent = j.get_bool("persistent", false);
		r.colour = j.get_colour("colour", 0xC0C0C0);
		r.show_colour = j.get_bool("show_colour", true);
		r.creation_code = code_field(p, j, "code", "gml_Room_" + f.name + "_Create", p.folder + "/rooms", "rooms");
		r.views_enabled = j.get_bool("views_enabled", false);
		read_backgrounds_of(p, j.member("backgrounds"), r);
		read_views_of(p, j.member("views"), r);
		read_instances_of(p, j.member("instances"), r, next_instance, used_ids);
		read_tiles_of(p, j.member("tiles"), r, next_tile);
		read_room_physics(j.member("physics"), r);
		p.rooms.push_back(std::move(r));
	}
	p.header.last_instance_id = (uint32_t)next_instance - 1;
	p.header.last_tile_id = (uint32_t)next_tile - 1;
}
