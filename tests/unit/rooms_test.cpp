// rooms_test.cpp: game start, entering rooms (the order of create events and
// creation code), persistent rooms and instances, navigation and restart.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "builtin_call.h"
#include "code/errors.h"
#include "run/rooms.h"
#include "world/events.h"
#include "world/object.h"

namespace {

std::vector<std::string> g_log;
bool log_run(CodeRef &code, CInstance *self, CInstance *, Value *)
{
	g_log.push_back(code.source + " " + std::to_string(self ? self->id : -1));
	return true;
}

void handler(CObject &o, int32_t type, int32_t number, const std::string &text)
{
	auto e = std::make_unique<CEvent>();
	e->code.source = text;
	o.set_event(type, number, std::move(e));
}

RoomInstance placed(int32_t id, int32_t object, const std::string &code = "")
{
	RoomInstance in;
	in.id = id;
	in.object = object;
	in.creation_code.source = code;
	return in;
}

class RoomsTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		register_builtin_families();
		object_table().clear();
		// 0 thing (depth 0), 1 low (depth -5), 2 keeper (persistent)
		const char *names[] = {"thing", "low", "keeper"};
		for (int i = 0; i < 3; i++) {
			auto o = std::make_unique<CObject>();
			o->name = names[i];
			o->depth = i == 1 ? -5 : 0;
			o->set_flag(CObject::PERSISTENT, i == 2);
			handler(*o, EV_CREATE, 0, std::string("create"));
			handler(*o, EV_OTHER, 2, "game start");
			handler(*o, EV_OTHER, 3, "game end");
			handler(*o, EV_OTHER, 4, "room start");
			handler(*o, EV_OTHER, 5, "room end");
			object_table().put(i, std::move(o));
		}
		auto r0 = std::make_unique<RoomRecord>();
		r0->name = "first";
		r0->instances = {placed(100001, 0, "code"), placed(100002, 0, "code"), placed(100003, 1, "code")};
		r0->creation_code.source = "room code";
		auto r1 = std::make_unique<RoomRecord>();
		r1->name = "second";
		r1->instances = {placed(100010, 0)};
		game.rooms.push_back(std::move(r0));
		game.rooms.push_back(std::move(r1));
		game.header.room_order = {0, 1};
		game.header.last_instance_id = 100100;
		g_log.clear();
		set_code_runner(log_run);
		clear_error_state();
	}
	void TearDown() override
	{
		game_end(game);
		set_room_request(ROOM_REQUEST_NONE);
		set_code_runner(nullptr);
		set_running_game(nullptr);
		object_table().clear();
	}
	std::vector<std::string> take_log()
	{
		std::vector<std::string> log;
		log.swap(g_log);
		return log;
	}
	GameData game;
};

} // namespace

TEST_F(RoomsTest, CreationOrderOfANewRoom)
{
	for (bool create_first : {false, true}) {
		game.options.set_word(132, create_first);
		ASSERT_TRUE(game_start(game));
		std::vector<std::string> expect;
		// From the tail: the later of equal depths first, the lowest depth last.
		for (int id : {100002, 100001, 100003}) {
			std::string n = std::to_string(id);
			if (create_first)
				expect.insert(expect.end(), {"create " + n, "code " + n});
			else
				expect.insert(expect.end(), {"code " + n, "create " + n});
		}
		expect.insert(expect.end(), {"game start 100003", "game start 100001", "game start 100002", "room code 0",
		                             "room start 100003", "room start 100001", "room start 100002"});
		EXPECT_EQ(take_log(), expect);
		EXPECT_EQ(room_state().current_index, 0);
		game_end(game);
		EXPECT_EQ(take_log(), (std::vector<std::string>{"room end 100003", "room end 100001", "room end 100002",
		                                                 "game end 100003", "game end 100001", "game end 100002"}));
	}
}

TEST_F(RoomsTest, PersistentInstancesAreCarried)
{
	game.rooms[0]->instances = {placed(100001, 2)};
	game.rooms[1]->instances = {placed(100001, 0), placed(100011, 0)};
	ASSERT_TRUE(game_start(game));
	CInstance *keeper = find_instance_by_id(100001);
	ASSERT_NE(keeper, nullptr);
	keeper->x = 77;
	take_log();
	request_room(game, 1);
	EXPECT_TRUE(act_on_room_request(game));
	EXPECT_EQ(room_state().current_index, 1);
	CInstance *arrived = find_instance_by_id(100001);
	ASSERT_NE(arrived, nullptr);
	EXPECT_EQ(arrived->x, 77.0f);          // the placed instance of that id took the carried state
	EXPECT_EQ(arrived->object_index, 2);
	EXPECT_EQ(room_state().current->instances.active.count, 2);
	// Only the other placed instance is created.
	EXPECT_EQ(take_log(), (std::vector<std::string>{"room end 100001", "create 100011", "room start 100001",
	                                                 "room start 100011"}));
}

TEST_F(RoomsTest, PersistentRoomKeepsItsInstances)
{
	game.rooms[0]->persistent = true;
	ASSERT_TRUE(game_start(game));
	find_instance_by_id(100001)->y = 5;
	request_room(game, 1);
	ASSERT_TRUE(act_on_room_request(game));
	EXPECT_EQ(find_instance_by_id(100001), nullptr); // not registered while away
	take_log();
	call_builtin("room_goto_previous");
	ASSERT_TRUE(act_on_room_request(game));
	ASSERT_NE(find_instance_by_id(100001), nullptr);
	EXPECT_EQ(find_instance_by_id(100001)->y, 5.0f);
	// No create events and no room creation code on return; room start runs.
	EXPECT_EQ(take_log(), (std::vector<std::string>{"room end 100010", "room start 100003", "room start 100001",
	                                                 "room start 100002"}));
	EXPECT_EQ(call_builtin("instance_number", {0}).real(), 2);
}

TEST_F(RoomsTest, NavigationAndRestart)
{
	ASSERT_TRUE(game_start(game));
	EXPECT_EQ(call_builtin("room_next", {0}).real(), 1);
	EXPECT_EQ(call_builtin("room_next", {1}).real(), -1);
	EXPECT_EQ(call_builtin("room_previous", {0}).real(), -1);
	EXPECT_EQ(call_builtin("room_exists", {1}).real(), 1);
	EXPECT_EQ(call_builtin("room_exists", {2}).real(), 0);
	call_builtin("room_goto", {7});
	EXPECT_NE(error_last().find("Unexisting room number: 7"), std::string::npos);
	EXPECT_FALSE(act_on_room_request(game)); // the error ends the game
	set_room_request(ROOM_REQUEST_NONE);

	call_builtin("room_goto_next");
	ASSERT_TRUE(act_on_room_request(game));
	EXPECT_EQ(room_state().current_index, 1);
	call_builtin("room_goto_next");
	EXPECT_NE(error_last().find("Moving to next room after the last room."), std::string::npos);
	EXPECT_EQ(room_request(), ROOM_REQUEST_ERROR);
	set_room_request(ROOM_REQUEST_NONE);

	take_log();
	call_builtin("game_restart");
	ASSERT_TRUE(act_on_room_request(game));
	std::vector<std::string> log = take_log();
	ASSERT_GE(log.size(), 3u);
	EXPECT_EQ(log[0], "room end 100010");
	EXPECT_EQ(log[1], "game end 100010");
	EXPECT_EQ(log[2], "code 100002"); // the first room again
	EXPECT_EQ(room_state().current_index, 0);
	call_builtin("game_end");
	EXPECT_FALSE(act_on_room_request(game));
}

TEST(RoomDisplaySize, RoomOrVisibleViewPorts)
{
	struct Case
	{
		bool views_enabled;
		std::vector<std::pair<bool, std::array<int32_t, 4>>> views; // visible, port x, y, w, h
		int width, height;
	} cases[] = {
		{false, {{true, {0, 0, 320, 240}}}, 640, 480},             // views off: the room's size
		{true, {{true, {0, 0, 320, 240}}, {true, {320, 100, 100, 50}}}, 420, 240},
		{true, {{false, {0, 0, 900, 900}}, {true, {0, 0, 200, 100}}}, 200, 100}, // hidden views do not count
		{true, {{true, {0, 0, 2, 3}}}, 8, 8},                      // at least 8 by 8
		{true, {}, 8, 8},
	};
	for (const Case &c : cases) {
		CRoom room;
		room.record.width = 640;
		room.record.height = 480;
		room.record.views_enabled = c.views_enabled;
		for (auto &[visible, port] : c.views) {
			RoomView v;
			v.visible = visible;
			v.xport = port[0];
			v.yport = port[1];
			v.wport = port[2];
			v.hport = port[3];
			room.record.views.push_back(v);
		}
		int w = 0, h = 0;
		room_display_size(room, w, h);
		EXPECT_EQ(w, c.width);
		EXPECT_EQ(h, c.height);
	}
}
