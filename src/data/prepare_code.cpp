// prepare_code.cpp: the preparation steps that give scripts, timeline moments,
// object events and room creation code their code pieces. With bytecode each
// reference takes the piece of its code index; source texts wait for the
// compiler.
#include "data/prepare_code.h"

#include "code/script_table.h"
#include "common/console.h"
#include "world/object.h"

namespace {

void bind(const GameData &game, CodeRef &ref)
{
	if (ref.index >= 0 && (size_t)ref.index < game.codes.size())
		ref.code = game.codes[ref.index];
}

} // namespace

bool prepare_script_code(GameData &game)
{
	ScriptTable &table = script_table();
	for (int32_t i = 0; i < table.count(); i++)
		if (CScript *script = table.find(i))
			bind(game, script->code);
	install_script_hooks();
	return true;
}

bool prepare_timeline_code(GameData &game)
{
	for (auto &timeline : game.timelines)
		if (timeline)
			for (TimelineMoment &moment : timeline->moments)
				bind(game, moment.code);
	return true;
}

bool prepare_object_code(GameData &game)
{
	ObjectTable &table = object_table();
	dbg_console().Output("Preparing %d objects:\n", table.count());
	for (int32_t i = 0; i < table.count(); i++) {
		CObject *object = table.find(i);
		if (!object)
			continue;
		dbg_console().Output("\tObjects %d: %s\n", i, object->name.c_str());
		for (auto &type : object->events)
			for (auto &event : type)
				if (event)
					bind(game, event->code);
	}
	table.build_event_lists();
	return true;
}

bool prepare_room_code(GameData &game)
{
	for (auto &room : game.rooms) {
		if (!room)
			continue;
		bind(game, room->creation_code);
		for (RoomInstance &instance : room->instances)
			bind(game, instance.creation_code);
	}
	return true;
}
