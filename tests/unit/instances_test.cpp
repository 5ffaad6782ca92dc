// instances_test.cpp: ids, the depth-ordered active list, creation during a
// pass, destruction and removal, deactivation and activation, the instance
// built-ins and the instance variable rows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "builtin_call.h"
#include "code/errors.h"
#include "code/variable_names.h"
#include "world/events.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

std::vector<std::string> g_log;
bool log_run(CodeRef &code, CInstance *self, CInstance *, Value *)
{
	g_log.push_back(code.source + " " + std::to_string(self ? self->id : -1));
	return true;
}

class InstancesTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		register_builtin_families();
		object_table().clear();
		// 0 ball (depth 10), 1 player (depth 0), 2 enemy (child of player, depth 0)
		add("ball", 10, -1);
		add("player", 0, -1);
		add("enemy", 0, 1);
		object_table().link_parents();
		auto e = std::make_unique<CEvent>();
		e->code.source = "create";
		object_table().find(0)->set_event(EV_CREATE, 0, std::move(e));
		auto d = std::make_unique<CEvent>();
		d->code.source = "destroy";
		object_table().find(0)->set_event(EV_DESTROY, 0, std::move(d));
		reset_instances(100010);
		room = std::make_unique<RoomInstances>();
		set_current_room_instances(room.get());
		g_log.clear();
		set_code_runner(log_run);
		clear_error_state();
	}
	void TearDown() override
	{
		room.reset();
		set_code_runner(nullptr);
		object_table().clear();
	}
	void add(const char *name, int32_t depth, int32_t parent)
	{
		auto o = std::make_unique<CObject>();
		o->name = name;
		o->depth = depth;
		o->parent_index = parent;
		object_table().put(object_table().count(), std::move(o));
	}
	std::vector<int32_t> active_ids() const
	{
		std::vector<int32_t> ids;
		for (CInstance *i = room->active.head; i; i = i->next)
			ids.push_back(i->id);
		return ids;
	}
	Value call(const char *name, std::vector<Value> args, CInstance *self = nullptr, CInstance *other = nullptr)
	{
		const BuiltinEntry *e = function_entry(builtin_function_id(name));
		Value r;
		if (!e) {
			ADD_FAILURE() << name;
			return r;
		}
		e->routine(r, self, other, (int)args.size(), args.data());
		return r;
	}
	std::unique_ptr<RoomInstances> room;
};

} // namespace

TEST_F(InstancesTest, IdsAndDepthOrder)
{
	CInstance *b1 = create_instance(*room, 0, 0, 0); // depth 10
	CInstance *p1 = create_instance(*room, 0, 0, 1); // depth 0
	CInstance *p2 = create_instance(*room, 0, 0, 1); // depth 0, after p1
	CInstance *b2 = create_instance(*room, 0, 0, 0);
	EXPECT_EQ(b1->id, 100011); // from the header's last id
	EXPECT_EQ(b2->id, 100014);
	EXPECT_EQ(last_instance_id(), 100014);
	EXPECT_EQ(active_ids(), (std::vector<int32_t>{100012, 100013, 100011, 100014}));
	// A new depth goes after the instances already at that depth.
	set_instance_depth(*p1, 10);
	EXPECT_EQ(active_ids(), (std::vector<int32_t>{100013, 100011, 100014, 100012}));
	set_instance_depth(*b2, -1);
	EXPECT_EQ(active_ids().front(), 100014);
	EXPECT_EQ(room->active.tail, p1);
	// The directory walks the same order by position.
	IInstanceDirectory &dir = instance_directory();
	ASSERT_EQ(dir.room_instance_count(), 4);
	for (int i = 0; i < 4; i++)
		EXPECT_EQ(dir.room_instance(i)->id, active_ids()[i]);
	EXPECT_EQ(dir.room_instance(4), nullptr);
	(void)p2;
}

TEST_F(InstancesTest, ObjectListsFollowParents)
{
	CInstance *p = create_instance(*room, 0, 0, 1);
	CInstance *e = create_instance(*room, 0, 0, 2);
	EXPECT_EQ(object_table().find(1)->own_instances, (InstanceList{p}));
	EXPECT_EQ(object_table().find(1)->all_instances, (InstanceList{p, e}));
	EXPECT_EQ(call("instance_number", {1}).real(), 2);
	EXPECT_EQ(call("instance_number", {2}).real(), 1);
	set_instance_object(*e, 0, true);
	EXPECT_EQ(object_table().find(1)->all_instances, (InstanceList{p}));
	EXPECT_EQ(e->depth, 10.0f); // copied, though the list place does not move
	EXPECT_EQ(call("instance_find", {0, 0}).real(), e->id);
}

TEST_F(InstancesTest, CreatedDuringAPassWaitsForTheNextPass)
{
	CInstance *a = create_instance(*room, 0, 0, 1);
	uint64_t pass = begin_dispatch_pass();
	CInstance *b = create_instance(*room, 0, 0, 1);
	EXPECT_TRUE(takes_part(*a, pass));
	EXPECT_FALSE(takes_part(*b, pass));
	uint64_t next = begin_dispatch_pass();
	EXPECT_TRUE(takes_part(*b, next));
}

TEST_F(InstancesTest, CreateRunsTheCreateEventAndReportsErrors)
{
	Value id = call("instance_create", {5, 6, 0});
	EXPECT_EQ(id.real(), 100011);
	EXPECT_EQ(g_log, (std::vector<std::string>{"create 100011"}));
	CInstance *i = find_instance_by_id(100011);
	ASSERT_NE(i, nullptr);
	EXPECT_TRUE(i->created);
	EXPECT_EQ(i->x, 5.0f);
	EXPECT_EQ(i->ystart, 6.0f);

	EXPECT_EQ(call("instance_create", {0, 0, 9}).real(), -1);
	EXPECT_NE(error_last().find("Creating instance for non-existing object: 9"), std::string::npos);
	EXPECT_EQ(call("instance_create", {0, S("a"), 0}).real(), -1);
	EXPECT_NE(error_last().find("instance_create( ) error: Illegal type"), std::string::npos);
	call("instance_change", {7, 1}, i);
	EXPECT_NE(error_last().find("Asking to change into non-existing object: 7"), std::string::npos);
}

TEST_F(InstancesTest, DestroyMarksAndRemovalDestroys)
{
	CInstance *a = create_instance(*room, 0, 0, 0);
	CInstance *b = create_instance(*room, 0, 0, 0);
	int32_t id = a->id;
	call("instance_destroy", {}, a);
	EXPECT_EQ(g_log, (std::vector<std::string>{"destroy " + std::to_string(id)}));
	EXPECT_TRUE(a->marked);
	// Still in the lists, but no search sees it.
	EXPECT_EQ(room->active.count, 2);
	EXPECT_EQ(call("instance_exists", {id}).real(), 0);
	EXPECT_EQ(call("instance_number", {0}).real(), 1);
	EXPECT_EQ(call("instance_find", {-3, 0}).real(), b->id);
	EXPECT_EQ(call("instance_nearest", {0, 0, 0}).real(), b->id);
	remove_marked(*room);
	EXPECT_EQ(room->active.count, 1);
	EXPECT_EQ(find_instance_by_id(id), nullptr);
	EXPECT_EQ(object_table().find(0)->all_instances, (InstanceList{b}));
}

TEST_F(InstancesTest, Queries)
{
	CInstance *near = create_instance(*room, 10, 0, 1);
	CInstance *far = create_instance(*room, 100, 0, 2);
	CInstance *tie = create_instance(*room, -10, 0, 1);
	struct Case
	{
		const char *name;
		std::vector<Value> args;
		double expect;
		CInstance *self;
	} cases[] = {
		{"instance_nearest", {0, 0, 1}, (double)near->id, nullptr}, // the first of equal distance wins
		{"instance_furthest", {0, 0, 1}, (double)far->id, nullptr},
		{"instance_nearest", {0, 0, -3}, (double)near->id, nullptr},
		{"instance_nearest", {0, 0, near->id}, -4, nullptr},
		{"instance_nearest", {0, 0, 0}, -4, nullptr},
		{"instance_find", {1, 2}, (double)tie->id, nullptr},
		{"instance_find", {1, 3}, -4, nullptr},
		{"instance_find", {far->id, 0}, (double)far->id, nullptr},
		{"instance_find", {far->id, 1}, -4, nullptr},
		{"instance_exists", {-1}, 1, near},
		{"instance_exists", {-1}, 0, nullptr},
		{"instance_exists", {-3}, 1, nullptr},
		{"instance_exists", {-4}, 0, nullptr},
		{"instance_exists", {0}, 0, nullptr},
		{"instance_number", {-3}, 3, nullptr},
		{"instance_number", {far->id}, 1, nullptr},
	};
	for (const Case &k : cases)
		EXPECT_EQ(call(k.name, k.args, k.self).real(), k.expect) << k.name << " " << k.args[0].real();
}

TEST_F(InstancesTest, DeactivationAndActivation)
{
	CInstance *a = create_instance(*room, 0, 0, 1);
	CInstance *b = create_instance(*room, 50, 50, 2);
	CInstance *c = create_instance(*room, 200, 0, 0);
	call("instance_deactivate_object", {1}); // player and its child enemy
	EXPECT_TRUE(a->deactivated && b->deactivated);
	EXPECT_EQ(active_ids(), (std::vector<int32_t>{c->id}));
	EXPECT_EQ(room->deactivated.count, 2);
	EXPECT_EQ(call("instance_exists", {a->id}).real(), 1); // the id map still holds it
	EXPECT_EQ(call("instance_number", {1}).real(), 0);
	EXPECT_EQ(call("instance_find", {1, 0}).real(), -4);

	call("instance_activate_object", {1}); // by ancestor
	EXPECT_EQ(room->deactivated.count, 0);
	EXPECT_EQ(active_ids(), (std::vector<int32_t>{a->id, b->id, c->id}));
	EXPECT_EQ(call("instance_number", {1}).real(), 2);

	call("instance_deactivate_all", {1}, a); // not me
	EXPECT_EQ(active_ids(), (std::vector<int32_t>{a->id}));
	call("instance_activate_all", {});
	EXPECT_EQ(room->active.count, 3);

	// A region: without sprites the position is tested, edges included.
	struct Case
	{
		std::vector<Value> args;
		std::vector<int32_t> active;
	} cases[] = {
		{{0, 0, 50, 50, 1, 0}, {c->id}},   // inside deactivates what touches (b sits on the corner)
		{{0, 0, 50, 50, 0, 0}, {a->id, b->id}},
		{{0, 0, 50, 50, 0, 1}, {a->id, b->id}},
	};
	for (const Case &k : cases) {
		call("instance_activate_all", {});
		call("instance_deactivate_region", k.args, c);
		std::vector<int32_t> expect = k.active;
		if (k.args[5].real() >= 0.5 && std::find(expect.begin(), expect.end(), c->id) == expect.end())
			expect.push_back(c->id);
		EXPECT_EQ(active_ids(), expect);
	}
	call("instance_activate_all", {});
	call("instance_deactivate_all", {0});
	call("instance_activate_region", {40, 40, 20, 20, 1});
	EXPECT_EQ(active_ids(), (std::vector<int32_t>{b->id}));
	call("instance_activate_object", {-3});
	EXPECT_EQ(room->active.count, 3);
}

TEST_F(InstancesTest, CopyKeepsItsOwnIdentity)
{
	CInstance *a = create_instance(*room, 3, 4, 0);
	a->alarm[2] = 7;
	a->image_xscale = 2;
	Value r = call("instance_copy", {1}, a);
	CInstance *copy = find_instance_by_id((int32_t)r.real());
	ASSERT_NE(copy, nullptr);
	EXPECT_NE(copy, a);
	EXPECT_EQ(copy->alarm[2], 7);
	EXPECT_EQ(copy->image_xscale, 2.0f);
	EXPECT_EQ(copy->x, 3.0f);
	EXPECT_TRUE(copy->created);
	EXPECT_EQ(object_table().find(0)->all_instances, (InstanceList{a, copy}));
	EXPECT_EQ(room->active.count, 2);
	EXPECT_EQ(copy->next, nullptr); // list links are its own
	EXPECT_EQ(a->next, copy);
}

TEST_F(InstancesTest, VariableRows)
{
	CInstance *a = create_instance(*room, 0, 0, 1);
	CInstance *b = create_instance(*room, 0, 0, 1);
	auto set = [](CInstance *i, const char *name, double v) {
		const BuiltinVariable *row = builtin_variables().entry(builtin_variables().find(name));
		ASSERT_NE(row, nullptr);
		ASSERT_TRUE(row->set && row->set(i, 0, Value(v))) << name;
	};
	auto get = [](CInstance *i, const char *name) {
		const BuiltinVariable *row = builtin_variables().entry(builtin_variables().find(name));
		Value out;
		EXPECT_TRUE(row->get(i, 0, out)) << name;
		return out.real();
	};
	set(a, "depth", 5);
	EXPECT_EQ(active_ids(), (std::vector<int32_t>{b->id, a->id}));
	struct Case
	{
		const char *name;
		double set, get;
	} cases[] = {
		{"solid", 0.4, 0}, {"solid", 0.6, 1}, {"solid", -0.6, 1}, {"visible", 0.4, 0},
		{"x", 2.5, 2.5},   {"image_blend", 255.4, 255},        {"sprite_index", 3.5, 4},
		{"image_xscale", 1.5, 1.5},
	};
	for (const Case &k : cases) {
		set(a, k.name, k.set);
		EXPECT_EQ(get(a, k.name), k.get) << k.name << " " << k.set;
	}
	a->image_index = 3;
	set(a, "image_single", -1);
	EXPECT_EQ(a->image_speed, 1.0f);
	EXPECT_EQ(a->image_index, 3.0f);
	set(a, "image_single", 2);
	EXPECT_EQ(get(a, "image_single"), 2);
	EXPECT_EQ(get(a, "id"), a->id);
	const BuiltinVariable *row = builtin_variables().entry(builtin_variables().find("event_type"));
	EXPECT_EQ(row->set, nullptr);
}

// A room taken down leaves its instances' places in the object lists, and the
// instances of another room stay in their order, wherever they stand.
TEST_F(InstancesTest, TakingDownARoomLeavesTheOthersInTheLists)
{
	auto other = std::make_unique<RoomInstances>();
	CInstance *kept_first = create_instance(*other, 0, 0, 2);
	std::vector<int32_t> gone;
	for (int k = 0; k < 3; k++)
		gone.push_back(create_instance(*room, 0, 0, k % 2 + 1)->id);
	CInstance *kept_middle = create_instance(*other, 0, 0, 1);
	gone.push_back(create_instance(*room, 0, 0, 2)->id);
	CInstance *kept_last = create_instance(*other, 0, 0, 2);
	set_current_room_instances(other.get());
	room.reset();
	EXPECT_EQ(object_table().find(1)->all_instances, (InstanceList{kept_first, kept_middle, kept_last}));
	EXPECT_EQ(object_table().find(2)->own_instances, (InstanceList{kept_first, kept_last}));
	EXPECT_EQ(object_table().find(1)->own_instances, (InstanceList{kept_middle}));
	for (int32_t id : gone)
		EXPECT_EQ(find_instance_by_id(id), nullptr);
	set_current_room_instances(nullptr);
	other.reset();
	EXPECT_TRUE(object_table().find(1)->all_instances.empty());
}
