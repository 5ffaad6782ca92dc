// read_rooms.cpp: the room chunk (ROOM): room records with their backgrounds,
// views, placed instances and tiles, and the writer of the same layout.
#include "data/readers.h"

#include <cmath>

#include "data/read_util.h"
#include "data/resource_writers.h"

namespace {

// The entries of a room's sub-list at the offset stored in `field`, each of
// `words` words; an offset of 0 means an empty list.
template <typename Read>
void read_sub_list(const ByteReader &file, uint64_t field, uint32_t words, const char *what, Read read)
{
	uint32_t at = file.u32(field);
	if (at == 0)
		return;
	for (uint32_t entry : read_list_at(file, at, what)) {
		if (entry == 0)
			continue;
		file.check(entry, 4 * (uint64_t)words, what);
		read(entry);
	}
}

// A float the room uses as a whole number: truncated, 0 when not finite or out
// of range.
int32_t truncated(float f)
{
	if (!std::isfinite(f) || f >= 2147483648.0f || f < -2147483648.0f)
		return 0;
	return (int32_t)f;
}

std::unique_ptr<RoomRecord> read_room(const GameData &game, uint32_t at)
{
	ByteReader file = game.file();
	auto r = std::make_unique<RoomRecord>();
	r->name = read_string_field(file, at, "a room's name");
	r->caption = read_optional_string(file, at + 4);
	r->width = file.u32(at + 8);
	r->height = file.u32(at + 12);
	r->speed = file.u32(at + 16);
	r->persistent = file.u32(at + 20) != 0;
	r->colour = file.u32(at + 24);
	r->show_colour = file.u32(at + 28) != 0;
	r->creation_code = read_code_ref(game, at + 32);
	r->views_enabled = file.u32(at + 36) != 0;
	read_sub_list(file, at + 40, 10, "a room background", [&](uint64_t e) {
		RoomBackground b;
		b.visible = file.u32(e) != 0;
		b.foreground = file.u32(e + 4) != 0;
		b.index = file.i32(e + 8);
		b.x = (float)file.i32(e + 12);
		b.y = (float)file.i32(e + 16);
		b.htiled = file.u32(e + 20) != 0;
		b.vtiled = file.u32(e + 24) != 0;
		b.hspeed = (float)file.i32(e + 28);
		b.vspeed = (float)file.i32(e + 32);
		b.stretch = file.u32(e + 36) != 0;
		r->backgrounds.push_back(b);
	});
	read_sub_list(file, at + 44, 14, "a room view", [&](uint64_t e) {
		RoomView v;
		v.visible = file.u32(e) != 0;
		int32_t *fields[] = {&v.xview, &v.yview, &v.wview, &v.hview, &v.xport, &v.yport, &v.wport,
		                     &v.hport, &v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.object};
		for (size_t i = 0; i < std::size(fields); i++)
			*fields[i] = file.i32(e + 4 + 4 * i);
		r->views.push_back(v);
	});
	read_sub_list(file, at + 48, 9, "a room instance", [&](uint64_t e) {
		RoomInstance in;
		in.x = file.i32(e);
		in.y = file.i32(e + 4);
		in.object = file.i32(e + 8);
		in.id = file.i32(e + 12);
		in.creation_code = read_code_ref(game, e + 16);
		in.xscale = file.f32(e + 20);
		in.yscale = file.f32(e + 24);
		in.colour = file.u32(e + 28);
		in.angle = file.f32(e + 32);
		r->instances.push_back(std::move(in));
	});
	read_sub_list(file, at + 52, 12, "a room tile", [&](uint64_t e) {
		RoomTile t;
		int32_t *fields[] = {&t.x, &t.y, &t.background, &t.left, &t.top, &t.width, &t.height, &t.depth, &t.id};
		for (size_t i = 0; i < std::size(fields); i++)
			*fields[i] = file.i32(e + 4 * i);
		t.xscale = file.f32(e + 36);
		t.yscale = file.f32(e + 40);
		t.colour = file.u32(e + 44);
		r->tiles.push_back(t);
	});
	if (game.header.major_version >= 6) {
		r->physics_world = file.u32(at + 56) != 0;
		r->gravity_x = truncated(file.f32(at + 76));
		r->gravity_y = truncated(file.f32(at + 80));
		r->physics_scale = file.f32(at + 84);
	}
	return r;
}

// Writes a sub-list's offset field now and the list itself later; the caller
// fills the entries.
template <typename T, typename Write>
void write_sub_list(ChunkBuilder &c, size_t field, const std::vector<T> &items, Write write)
{
	c.patch_ref(field, c.index(), c.pos());
	size_t slots = write_list_slots(c, items.size());
	for (size_t i = 0; i < items.size(); i++) {
		point_slot_here(c, slots, i);
		write(items[i]);
	}
}

void write_room(ChunkBuilder &c, const RoomRecord &r, bool bytecode)
{
	size_t at = c.pos();
	c.string_ref(r.name);
	if (r.caption.empty())
		c.u32(0);
	else
		c.string_ref(r.caption);
	c.u32(r.width).u32(r.height).u32(r.speed).u32(r.persistent).u32(r.colour).u32(r.show_colour);
	write_code_ref(c, r.creation_code, bytecode);
	c.u32(r.views_enabled);
	c.zeros(16); // the four list offsets, patched below
	c.u32(r.physics_world).zeros(16).f32((float)r.gravity_x).f32((float)r.gravity_y).f32(r.physics_scale);
	write_sub_list(c, at + 40, r.backgrounds, [&](const RoomBackground &b) {
		c.u32(b.visible).u32(b.foreground).i32(b.index).i32((int32_t)b.x).i32((int32_t)b.y);
		c.u32(b.htiled).u32(b.vtiled).i32((int32_t)b.hspeed).i32((int32_t)b.vspeed).u32(b.stretch);
	});
	write_sub_list(c, at + 44, r.views, [&](const RoomView &v) {
		c.u32(v.visible).i32(v.xview).i32(v.yview).i32(v.wview).i32(v.hview).i32(v.xport).i32(v.yport);
		c.i32(v.wport).i32(v.hport).i32(v.hborder).i32(v.vborder).i32(v.hspeed).i32(v.vspeed).i32(v.object);
	});
	write_sub_list(c, at + 48, r.instances, [&](const RoomInstance &in) {
		c.i32(in.x).i32(in.y).i32(in.object).i32(in.id);
		write_code_ref(c, in.creation_code, bytecode);
		c.f32(in.xscale).f32(in.yscale).u32(in.colour).f32(in.angle);
	});
	write_sub_list(c, at + 52, r.tiles, [&](const RoomTile &t) {
		c.i32(t.x).i32(t.y).i32(t.background).i32(t.left).i32(t.top).i32(t.width).i32(t.height);
		c.i32(t.depth).i32(t.id).f32(t.xscale).f32(t.yscale).u32(t.colour);
	});
}

} // namespace

bool read_rooms(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	game.rooms.clear();
	for (uint32_t at : list)
		game.rooms.push_back(at ? read_room(game, at) : nullptr);
	return true;
}

ChunkBuilder &write_rooms(DataFileWriter &writer, const std::vector<const RoomRecord *> &rooms, int,
                          bool bytecode)
{
	ChunkBuilder &c = writer.chunk("ROOM");
	size_t slots = write_list_slots(c, rooms.size());
	for (size_t i = 0; i < rooms.size(); i++) {
		if (!rooms[i])
			continue;
		point_slot_here(c, slots, i);
		write_room(c, *rooms[i], bytecode);
	}
	return c;
}
