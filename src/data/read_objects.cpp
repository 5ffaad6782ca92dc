// read_objects.cpp: the object chunk (OBJT): object records with their physics
// block and event tables, and the writer of the same layout.
#include "data/readers.h"

#include "data/read_util.h"
#include "data/resource_writers.h"
#include "world/object.h"

namespace {

void read_physics(const ByteReader &file, uint64_t &at, PhysicsProperties &p)
{
	p.uses_physics = file.u32(at) != 0;
	p.sensor = file.u32(at + 4) != 0;
	p.shape = file.i32(at + 8);
	p.shape_param1 = file.f32(at + 12);
	p.shape_param2 = file.f32(at + 16);
	p.group = file.i32(at + 20);
	p.damping1 = file.f32(at + 24);
	p.damping2 = file.f32(at + 28);
	uint32_t count = file.u32(at + 32);
	at += 36;
	check_count(file, at, count, 8, "the physics shape points");
	p.points.reserve(count);
	for (uint32_t i = 0; i < count; i++, at += 8)
		p.points.emplace_back(file.f32(at), file.f32(at + 4));
}

void read_events(const GameData &game, uint64_t at, CObject &object)
{
	ByteReader file = game.file();
	uint32_t types = file.u32(at);
	check_count(file, at + 4, types, 4, "the event types");
	if (types > object.events.size())
		object.events.resize(types);
	for (uint32_t type = 0; type < types; type++) {
		uint32_t list_at = file.u32(at + 4 + 4 * (uint64_t)type);
		if (list_at == 0)
			continue;
		for (uint32_t entry : read_list_at(file, list_at, "an event list")) {
			if (entry == 0)
				continue;
			uint32_t number = file.u32(entry);
			if (number >= (uint32_t)MAX_EVENT_NUMBER)
				throw DataError(entry, "event number " + std::to_string(number) + " of object " + object.name +
				                           " is too large");
			auto event = std::make_unique<CEvent>();
			event->code = read_action_list(game, (uint64_t)entry + 4);
			object.set_event((int32_t)type, (int32_t)number, std::move(event));
		}
	}
}

std::unique_ptr<CObject> read_object(const GameData &game, uint32_t at, int32_t index)
{
	ByteReader file = game.file();
	auto object = std::make_unique<CObject>();
	object->index = index;
	object->name = read_string_field(file, at, "an object's name");
	object->sprite_index = file.i32(at + 4);
	object->set_flag(CObject::VISIBLE, file.u32(at + 8) != 0);
	object->set_flag(CObject::SOLID, file.u32(at + 12) != 0);
	object->depth = file.i32(at + 16);
	object->set_flag(CObject::PERSISTENT, file.u32(at + 20) != 0);
	object->parent_index = file.i32(at + 24);
	object->mask_index = file.i32(at + 28);
	uint64_t next = (uint64_t)at + 32;
	if (game.header.major_version >= 6)
		read_physics(file, next, object->physics);
	read_events(game, next, *object);
	return object;
}

void write_physics(ChunkBuilder &c, const PhysicsProperties &p)
{
	c.u32(p.uses_physics).u32(p.sensor).i32(p.shape).f32(p.shape_param1).f32(p.shape_param2);
	c.i32(p.group).f32(p.damping1).f32(p.damping2).u32((uint32_t)p.points.size());
	for (const auto &[x, y] : p.points)
		c.f32(x).f32(y);
}

void write_events(ChunkBuilder &c, const CObject &o, bool bytecode)
{
	size_t types = write_list_slots(c, o.events.size());
	for (size_t type = 0; type < o.events.size(); type++) {
		point_slot_here(c, types, type);
		std::vector<size_t> numbers;
		for (size_t n = 0; n < o.events[type].size(); n++)
			if (o.events[type][n])
				numbers.push_back(n);
		size_t entries = write_list_slots(c, numbers.size());
		for (size_t i = 0; i < numbers.size(); i++) {
			point_slot_here(c, entries, i);
			c.u32((uint32_t)numbers[i]);
			write_action_list(c, o.events[type][numbers[i]]->code, bytecode);
		}
	}
}

} // namespace

bool read_objects(GameData &game, const Chunk &, const std::vector<uint32_t> &list)
{
	ObjectTable &table = object_table();
	table.clear();
	for (size_t i = 0; i < list.size(); i++) {
		if ((int64_t)i >= MAX_EVENT_NUMBER)
			throw DataError(list[i], "more objects than object indices allow");
		table.put((int32_t)i, list[i] ? read_object(game, list[i], (int32_t)i) : nullptr);
	}
	table.link_parents();
	return true;
}

ChunkBuilder &write_objects(DataFileWriter &writer, const std::vector<const CObject *> &objects,
                            int major_version, bool bytecode)
{
	ChunkBuilder &c = writer.chunk("OBJT");
	size_t slots = write_list_slots(c, objects.size());
	for (size_t i = 0; i < objects.size(); i++) {
		const CObject *o = objects[i];
		if (!o)
			continue;
		point_slot_here(c, slots, i);
		c.string_ref(o->name).i32(o->sprite_index).u32(o->visible()).u32(o->solid()).i32(o->depth);
		c.u32(o->persistent()).i32(o->parent_index).i32(o->mask_index);
		if (major_version >= 6)
			write_physics(c, o->physics);
		write_events(c, *o, bytecode);
	}
	return c;
}
