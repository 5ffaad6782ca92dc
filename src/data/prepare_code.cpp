// prepare_code.cpp: the preparation steps that give scripts, timeline moments,
// object events and room creation code their code pieces. With bytecode each
// reference takes the piece of its code index; a game without a CODE chunk
// carries source texts, which are compiled here under their pieces' names.
#include "data/prepare_code.h"

#include "code/compiler/code_compile.h"
#include "code/errors.h"
#include "code/script_table.h"
#include "code/vm/code.h"
#include "common/console.h"
#include "world/events.h"
#include "world/object.h"

namespace {

void bind(const GameData &game, CodeRef &ref)
{
	if (ref.index >= 0 && (size_t)ref.index < game.codes.size())
		ref.code = game.codes[ref.index];
}

// Gives a reference its piece: the code entry with bytecode, else its source
// text compiled under `name`. An empty text stays without code. On a compile
// failure the code error message holds the compiler's message.
bool give_code(const GameData &game, CodeRef &ref, const std::string &name)
{
	if (game.has_bytecode) {
		bind(game, ref);
		return true;
	}
	if (ref.code || ref.source.empty())
		return true;
	auto code = std::make_shared<CCode>();
	if (!compile_code(*code, ref.source, name, COMPILE_PROGRAM))
		return false;
	ref.code = std::move(code);
	return true;
}

// A compile error of a piece that runs in no event (script, room or instance
// creation code): the piece's name heads the report.
void report_piece_error(const std::string &name, const char *heading)
{
	show_error("ERROR in\n" + name + ":\n\n\n" + heading + code_error_message(), false);
}

// A compile error of an event or a timeline moment, reported in the context
// of the event it belongs to, as its run-time errors are.
void report_event_error(int32_t object_index, int32_t type, int32_t number)
{
	EventContext &context = current_event_context();
	EventContext saved = context;
	context = EventContext{object_index, type, number, 0};
	report_error(std::string("COMPILATION ERROR in code action\n") + code_error_message());
	context = saved;
}

// The timeline names for error reports, kept apart from the game data, which
// may go before the error state does.
std::vector<std::string> &timeline_names()
{
	static std::vector<std::string> names;
	return names;
}

std::string timeline_name_hook(int32_t index)
{
	const auto &names = timeline_names();
	return index >= 0 && (size_t)index < names.size() ? names[index] : std::string("<undefined>");
}

} // namespace

bool prepare_script_code(GameData &game)
{
	ScriptTable &table = script_table();
	for (int32_t i = 0; i < table.count(); i++) {
		CScript *script = table.find(i);
		if (script && !give_code(game, script->code, script->name)) {
			report_piece_error(script->name, "COMPILATION ERROR in script\n");
			return false;
		}
	}
	install_script_hooks();
	return true;
}

bool prepare_timeline_code(GameData &game)
{
	auto &names = timeline_names();
	names.clear();
	for (auto &timeline : game.timelines)
		names.push_back(timeline ? timeline->name : std::string("<undefined>"));
	ErrorHooks hooks = error_hooks();
	hooks.timeline_name = timeline_name_hook;
	set_error_hooks(hooks);
	for (size_t t = 0; t < game.timelines.size(); t++) {
		if (!game.timelines[t])
			continue;
		TimelineRecord &timeline = *game.timelines[t];
		for (TimelineMoment &moment : timeline.moments) {
			std::string name = "Timeline." + timeline.name + "." + std::to_string(moment.time);
			if (!give_code(game, moment.code, name)) {
				report_event_error(TIMELINE_CONTEXT, (int32_t)t, moment.time);
				return false;
			}
		}
	}
	return true;
}

bool prepare_object_code(GameData &game)
{
	ObjectTable &table = object_table();
	install_event_hooks(); // error reports name the object and the event
	dbg_console().Output("Preparing %d objects:\n", table.count());
	for (int32_t i = 0; i < table.count(); i++) {
		CObject *object = table.find(i);
		if (!object)
			continue;
		dbg_console().Output("\tObjects %d: %s\n", i, object->name.c_str());
		for (int32_t type = 0; type < (int32_t)object->events.size(); type++) {
			auto &numbers = object->events[type];
			for (int32_t number = 0; number < (int32_t)numbers.size(); number++) {
				if (!numbers[number])
					continue;
				std::string name = "Object." + object->name + "." + event_name(type, number) + ".0";
				if (!give_code(game, numbers[number]->code, name)) {
					report_event_error(i, type, number);
					return false;
				}
			}
		}
	}
	table.build_event_lists();
	return true;
}

bool prepare_room_code(GameData &game)
{
	for (auto &room : game.rooms) {
		if (!room)
			continue;
		std::string name = "Room." + room->name;
		if (!give_code(game, room->creation_code, name)) {
			report_piece_error(name, "COMPILATION ERROR in room script\n");
			return false;
		}
		for (size_t k = 0; k < room->instances.size(); k++) {
			name = "Instance." + room->name + "." + std::to_string(k);
			if (!give_code(game, room->instances[k].creation_code, name)) {
				report_piece_error(name, "COMPILATION ERROR in room script\n");
				return false;
			}
		}
	}
	return true;
}
