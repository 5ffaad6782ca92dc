// world_machine_test.cpp: object events run on the bytecode machine: create
// events through instance_create, inheritance with event_inherited and the
// event context, `with` over an object and its descendants, and destruction.
#include <memory>

#include "code/code_ref.h"
#include "code/errors.h"
#include "vm_fixture.h"
#include "world/events.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

// Pushes the arguments of a call, last first.
std::string args3(int a, int b, int c)
{
	std::string s;
	for (int v : {c, b, a})
		s += "push.d " + std::to_string(v) + "\nconv.d.v\n";
	return s;
}

} // namespace

class WorldMachineTest : public VMTest
{
protected:
	void SetUp() override
	{
		VMTest::SetUp();
		set_code_runner(nullptr);
		object_table().clear();
		reset_instances(100000);
		room = std::make_unique<RoomInstances>();
		set_current_room_instances(room.get());
		// 0 base, 1 hero (child of base), 2 other
		for (const char *name : {"base", "hero", "other"}) {
			auto o = std::make_unique<CObject>();
			o->name = name;
			object_table().put(object_table().count(), std::move(o));
		}
		object_table().find(1)->parent_index = 0;
		object_table().link_parents();
	}
	void TearDown() override
	{
		room.reset();
		object_table().clear();
		VMTest::TearDown();
	}
	void on(int32_t object, int32_t type, int32_t number, const std::string &text)
	{
		auto e = std::make_unique<CEvent>();
		e->code.index = 0;
		e->code.code = code(text, object_table().name(object) + "_" + event_name(type, number));
		object_table().find(object)->set_event(type, number, std::move(e));
	}
	std::unique_ptr<RoomInstances> room;
};

TEST_F(WorldMachineTest, CreateEventsInheritOnTheMachine)
{
	on(0, EV_CREATE, 0,
	   "push.d 10\npop.v.d self.hp\n"
	   "push.v self.event_object\npop.v.v self.holder\n");
	on(1, EV_CREATE, 0,
	   "call.i event_inherited 0\npopz.v\n"
	   "push.v self.hp\npush.d 5\nadd.d.v\npop.v.v self.hp\n"
	   "push.v self.event_object\npop.v.v self.own\n");
	Value id = run(args3(4, 5, 1) + "call.i instance_create 3\n");
	ASSERT_TRUE(ok);
	EXPECT_EQ(id.real(), 100001);
	CInstance *hero = find_instance_by_id(100001);
	ASSERT_NE(hero, nullptr);
	EXPECT_EQ(get(hero, "hp").real(), 15);
	EXPECT_EQ(get(hero, "holder").real(), 0); // the grandparent's handler saw itself as event_object
	EXPECT_EQ(get(hero, "own").real(), 1);
	EXPECT_EQ(hero->x, 4.0f);
	EXPECT_EQ(current_event_context().object_index, -1);
}

TEST_F(WorldMachineTest, WithVisitsAnObjectAndItsDescendants)
{
	CInstance *b = create_instance(*room, 0, 0, 0);
	CInstance *h = create_instance(*room, 0, 0, 1);
	CInstance *o = create_instance(*room, 0, 0, 2);
	for (CInstance *i : {b, h, o})
		set(i, "n", Value(0));
	run("push.i 0\npushenv end\nbody:\npush.v self.n\npush.d 1\nadd.d.v\npop.v.v self.n\nend:\npopenv body\n");
	ASSERT_TRUE(ok);
	EXPECT_EQ(get(b, "n").real(), 1);
	EXPECT_EQ(get(h, "n").real(), 1);
	EXPECT_EQ(get(o, "n").real(), 0);
	// The destroyed instance is skipped by later reads of the object.
	on(1, EV_DESTROY, 0, "push.d 1\npop.v.d global.destroyed\n");
	run("call.i instance_destroy 0\npopz.v\n", h, h);
	ASSERT_TRUE(ok);
	EXPECT_EQ(global("destroyed").real(), 1);
	Value n = run("push.i 0\nconv.i.v\ncall.i instance_number 1\n");
	EXPECT_EQ(n.real(), 1);
	remove_marked(*room);
	EXPECT_EQ(room->active.count, 2);
}
