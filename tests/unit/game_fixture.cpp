// game_fixture.cpp: the game-building fixture: objects, rooms and timelines
// written as a data file, loaded, prepared, compiled from text and played.
#include "game_fixture.h"

#include "code/compiler/code_compile.h"
#include "code/constants.h"
#include "code/errors.h"
#include "code/function_table.h"
#include "code/variables.h"
#include "code/vm/code.h"
#include "data/prepare.h"
#include "data/resource_writers.h"
#include "data/walk.h"
#include "ds/ds_store.h"
#include "run/rooms.h"
#include "run/run_state.h"
#include "test_util.h"
#include "world/instances.h"

namespace {

// Compiles a reference's source text into its piece.
void compile(CodeRef &ref, const std::string &name)
{
	if (ref.source.empty() || ref.code)
		return;
	auto code = std::make_shared<CCode>();
	ASSERT_TRUE(compile_code(*code, ref.source, name, COMPILE_PROGRAM)) << name << ": " << code_error_message();
	ref.code = code;
}

} // namespace

CodeRef code_text(const std::string &source)
{
	CodeRef c;
	c.source = source;
	return c;
}

std::string say(const std::string &what) { return "show_debug_message(\"" + what + "\");"; }

void GameTest::SetUp()
{
	register_builtin_families();
	clear_error_state();
	reset_global_variables();
	ds_reset();
	object_table().clear();
}

void GameTest::TearDown()
{
	set_instance_hooks(InstanceHooks{});
	object_table().clear();
	prepare_user_constants(GameData()); // the game's resource names and constants go
	set_running_game(nullptr);
	clear_error_state();
	ds_reset();
}

CObject &GameTest::object(const std::string &name)
{
	objects.push_back(std::make_unique<CObject>());
	objects.back()->name = name;
	return *objects.back();
}

void GameTest::on(CObject &o, int32_t type, int32_t number, const std::string &source)
{
	auto e = std::make_unique<CEvent>();
	e->code = code_text(source);
	o.set_event(type, number, std::move(e));
}

RoomRecord &GameTest::room()
{
	rooms.push_back(std::make_unique<RoomRecord>());
	RoomRecord &r = *rooms.back();
	r.name = "room" + std::to_string(rooms.size() - 1);
	r.width = r.height = 100;
	r.speed = 30;
	return r;
}

void GameTest::place(RoomRecord &r, int32_t object, int32_t x, int32_t y, const std::string &creation)
{
	RoomInstance in;
	in.id = next_id++;
	in.object = object;
	in.x = x;
	in.y = y;
	in.creation_code = code_text(creation);
	r.instances.push_back(in);
}

TimelineRecord &GameTest::timeline(std::vector<std::pair<int32_t, std::string>> moments)
{
	timelines.push_back(std::make_unique<TimelineRecord>());
	TimelineRecord &t = *timelines.back();
	t.name = "tl" + std::to_string(timelines.size() - 1);
	for (auto &[time, source] : moments)
		t.moments.push_back({time, code_text(source)});
	return t;
}

std::vector<std::string> GameTest::play(long frames)
{
	DataFileWriter w;
	GameHeader h;
	h.major_version = 8;
	h.last_instance_id = 200000;
	for (size_t i = 0; i < rooms.size(); i++)
		h.room_order.push_back((int32_t)i);
	write_header(w, h, "g", "c");
	// Errors are not shown in a form (on standard error); the console has them.
	options.set_word(116, 0);
	write_options(w, options, {});
	std::vector<const CObject *> o;
	for (auto &x : objects)
		o.push_back(x.get());
	std::vector<const RoomRecord *> r;
	for (auto &x : rooms)
		r.push_back(x.get());
	std::vector<const TimelineRecord *> t;
	for (auto &x : timelines)
		t.push_back(x.get());
	write_objects(w, o, 8, false);
	write_rooms(w, r, 8, false);
	write_timelines(w, t, false);
	game.block.bytes = w.build();
	{
		ConsoleCapture quiet;
		LoadResult first = first_pass(game);
		EXPECT_TRUE(first.ok) << first.error;
		LoadResult walk = main_walk(game);
		EXPECT_TRUE(walk.ok) << walk.error;
		LoadProgress progress;
		EXPECT_TRUE(prepare_game(game, progress));
	}
	compile_all();
	if (on_loaded)
		on_loaded();
	return play_game(game, frames);
}

std::vector<std::string> play_game(GameData &game, long frames, const std::function<void(long)> &before)
{
	ConsoleCapture capture;
	RunState state;
	state.unpaced = true;
	state.frame_limit = frames;
	if (game_start(game)) {
		state.running = 1;
		for (long f = 0; state.running == 1; f++) {
			if (before)
				before(f);
			run_frame(state, game);
		}
	}
	game_end(game);
	std::vector<std::string> lines;
	for (const std::string &line : capture.lines())
		if (line.rfind("StartGame()", 0) != 0)
			lines.push_back(line);
	return lines;
}

void GameTest::compile_all()
{
	for (int32_t i = 0; i < object_table().count(); i++)
		if (CObject *o = object_table().find(i))
			for (auto &type : o->events)
				for (auto &e : type)
					if (e)
						compile(e->code, o->name);
	for (auto &r : game.rooms) {
		compile(r->creation_code, r->name);
		for (RoomInstance &in : r->instances)
			compile(in.creation_code, r->name + "_instance");
	}
	for (auto &t : game.timelines)
		for (TimelineMoment &m : t->moments)
			compile(m.code, t->name);
}
