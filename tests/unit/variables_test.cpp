// variables_test.cpp: access through instance values, global declarations and
// the saved global part, and the locals pool.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "code/variable_names.h"
#include "code/variables.h"
#include "common/binary_stream.h"
#include "world/instance.h"

namespace {

// A room of instances: the room's order is the order of creation.
class TestRoom : public IInstanceDirectory
{
public:
	TestRoom() { set_instance_directory(this); }
	~TestRoom() override { set_instance_directory(nullptr); }

	CInstance *add(int32_t id, int32_t object)
	{
		m_all.push_back(std::make_unique<CInstance>(id, object));
		return m_all.back().get();
	}
	void add_object(int32_t object) { m_objects[object] = true; }

	CInstance *find_instance(int32_t id) override
	{
		for (auto &i : m_all)
			if (i->id == id)
				return i.get();
		return nullptr;
	}
	bool object_exists(int32_t object) override { return m_objects.count(object) != 0; }
	int32_t room_instance_count() override { return (int32_t)m_all.size(); }
	CInstance *room_instance(int32_t i) override { return m_all[(size_t)i].get(); }
	void object_instances(int32_t object, std::vector<CInstance *> &out) override
	{
		out.clear();
		for (auto &i : m_all)
			if (i->object_index == object)
				out.push_back(i.get());
	}
	CInstance *first_live_of_object(int32_t object) override
	{
		for (auto &i : m_all)
			if (i->object_index == object && i->live())
				return i.get();
		return nullptr;
	}

private:
	std::vector<std::unique_ptr<CInstance>> m_all;
	std::map<int32_t, bool> m_objects;
};

double real_of(CInstance *inst, int32_t id)
{
	Value out;
	EXPECT_TRUE(inst->variables.get(id, 0, out));
	return out.real();
}

} // namespace

TEST(VariableAccess, TheTableOfInstanceValues)
{
	reset_global_variables();
	TestRoom room;
	room.add_object(0);
	room.add_object(1);
	room.add_object(2); // an object without instances
	CInstance *dead = room.add(100001, 0);
	dead->marked = true;
	CInstance *a = room.add(100002, 0);
	CInstance *b = room.add(100003, 1);
	CInstance *c = room.add(100004, 0);
	CVariableList locals;
	VariableScope scope{a, b, &locals};
	const int32_t v = user_variable_id("scope_v");
	Value out;

	// self and other
	ASSERT_TRUE(set_by_instance_value(scope, INSTANCE_SELF, v, 0, Value(1)));
	ASSERT_TRUE(set_by_instance_value(scope, INSTANCE_OTHER, v, 0, Value(2)));
	EXPECT_EQ(real_of(a, v), 1);
	EXPECT_EQ(real_of(b, v), 2);
	ASSERT_TRUE(get_by_instance_value(scope, INSTANCE_OTHER, v, 0, out));
	EXPECT_EQ(out.real(), 2);

	// all: every live instance is written; reading takes the first live one
	ASSERT_TRUE(set_by_instance_value(scope, INSTANCE_ALL, v, 0, Value(3)));
	EXPECT_EQ(dead->variables.find(v), nullptr);
	EXPECT_EQ(real_of(a, v), 3);
	EXPECT_EQ(real_of(b, v), 3);
	EXPECT_EQ(real_of(c, v), 3);
	a->variables.set(v, 0, Value(30));
	ASSERT_TRUE(get_by_instance_value(scope, INSTANCE_ALL, v, 0, out));
	EXPECT_EQ(out.real(), 30);

	// noone reads 0 and writes nothing
	out = Value(9);
	EXPECT_TRUE(get_by_instance_value(scope, INSTANCE_NOONE, v, 0, out));
	EXPECT_EQ(out.real(), 0);
	EXPECT_TRUE(set_by_instance_value(scope, INSTANCE_NOONE, v, 0, Value(4)));

	// global, and -6: global when declared, else self
	ASSERT_TRUE(set_by_instance_value(scope, INSTANCE_GLOBAL, v, 0, Value(5)));
	ASSERT_TRUE(global_get(v, 0, out));
	EXPECT_EQ(out.real(), 5);
	ASSERT_TRUE(set_by_instance_value(scope, INSTANCE_NOT_SPECIFIED, v, 0, Value(6)));
	EXPECT_EQ(real_of(a, v), 6);
	declare_global(v);
	ASSERT_TRUE(set_by_instance_value(scope, INSTANCE_NOT_SPECIFIED, v, 0, Value(7)));
	EXPECT_EQ(real_of(a, v), 6);
	ASSERT_TRUE(get_by_instance_value(scope, INSTANCE_NOT_SPECIFIED, v, 0, out));
	EXPECT_EQ(out.real(), 7);

	// local: the running code's list; failure when there is none
	ASSERT_TRUE(set_by_instance_value(scope, INSTANCE_LOCAL, v, 0, Value(8)));
	ASSERT_TRUE(locals.get(v, 0, out));
	EXPECT_EQ(out.real(), 8);
	VariableScope no_locals{a, b, nullptr};
	EXPECT_FALSE(get_by_instance_value(no_locals, INSTANCE_LOCAL, v, 0, out));
	EXPECT_FALSE(set_by_instance_value(no_locals, INSTANCE_LOCAL, v, 0, Value(1)));

	// object index: every live instance of the object; read from the first live one
	ASSERT_TRUE(set_by_instance_value(scope, 0, v, 0, Value(9)));
	EXPECT_EQ(real_of(a, v), 9);
	EXPECT_EQ(real_of(c, v), 9);
	EXPECT_EQ(real_of(b, v), 3);
	EXPECT_EQ(dead->variables.find(v), nullptr);
	c->variables.set(v, 0, Value(90));
	ASSERT_TRUE(get_by_instance_value(scope, 0, v, 0, out));
	EXPECT_EQ(out.real(), 9);
	EXPECT_FALSE(get_by_instance_value(scope, 2, v, 0, out));  // no instance
	EXPECT_FALSE(get_by_instance_value(scope, 77, v, 0, out)); // no object
	EXPECT_TRUE(set_by_instance_value(scope, 77, v, 0, Value(1)));
	EXPECT_TRUE(set_by_instance_value(scope, 2, v, 0, Value(1)));

	// instance id: live instances only; a write to a missing one does nothing
	ASSERT_TRUE(set_by_instance_value(scope, 100003, v, 0, Value(11)));
	EXPECT_EQ(real_of(b, v), 11);
	EXPECT_FALSE(get_by_instance_value(scope, 100001, v, 0, out));
	EXPECT_TRUE(set_by_instance_value(scope, 100001, v, 0, Value(1)));
	EXPECT_EQ(dead->variables.find(v), nullptr);
	EXPECT_FALSE(get_by_instance_value(scope, 123456, v, 0, out));
	EXPECT_TRUE(set_by_instance_value(scope, 123456, v, 0, Value(1)));

	// other negative values fail
	for (int32_t bad : {-8, -100, INT32_MIN}) {
		EXPECT_FALSE(get_by_instance_value(scope, bad, v, 0, out)) << bad;
		EXPECT_FALSE(set_by_instance_value(scope, bad, v, 0, Value(1))) << bad;
	}
	// self missing: no store to use
	VariableScope nobody;
	EXPECT_FALSE(get_by_instance_value(nobody, INSTANCE_SELF, v, 0, out));
	EXPECT_FALSE(set_by_instance_value(nobody, INSTANCE_SELF, v, 0, Value(1)));
	reset_global_variables();
}

TEST(VariableAccess, AllWithNoLiveInstance)
{
	TestRoom room;
	room.add(100001, 0)->marked = true;
	VariableScope scope;
	Value out;
	const int32_t v = user_variable_id("scope_v");
	EXPECT_FALSE(get_by_instance_value(scope, INSTANCE_ALL, v, 0, out));
	EXPECT_TRUE(set_by_instance_value(scope, INSTANCE_ALL, v, 0, Value(1)));
}

TEST(VariableAccess, ReadOnlyBuiltinsFailToBeSet)
{
	CInstance inst(100005, 3);
	VariableScope scope{&inst, &inst, nullptr};
	int32_t id = builtin_variables().find("id");
	Value out;
	ASSERT_TRUE(get_by_instance_value(scope, INSTANCE_SELF, id, 0, out));
	EXPECT_EQ(out.real(), 100005);
	EXPECT_FALSE(set_by_instance_value(scope, INSTANCE_SELF, id, 0, Value(1)));
	int32_t object_index = builtin_variables().find("object_index");
	ASSERT_TRUE(get_by_instance_value(scope, INSTANCE_SELF, object_index, 0, out));
	EXPECT_EQ(out.real(), 3);
	EXPECT_FALSE(instance_get(&inst, 600, 0, out)); // no such row
}

TEST(GlobalVariables, DeclarationsGrowByThousands)
{
	reset_global_variables();
	EXPECT_EQ(global_declaration_flags().size(), 10000u);
	int32_t near = USER_VARIABLE_BASE + 5;
	int32_t far = USER_VARIABLE_BASE + 12500;
	EXPECT_FALSE(is_declared_global(near));
	declare_global(near);
	declare_global(far);
	declare_global(3); // a built-in is never declared
	EXPECT_TRUE(is_declared_global(near));
	EXPECT_TRUE(is_declared_global(far));
	EXPECT_FALSE(is_declared_global(3));
	EXPECT_FALSE(is_declared_global(USER_VARIABLE_BASE + 500000));
	EXPECT_EQ(global_declaration_flags().size(), 13000u);
	Value out(1);
	ASSERT_TRUE(global_get(far, 0, out)); // declared with the real 0
	EXPECT_EQ(out.real(), 0);
	EXPECT_EQ(global_variables().count(), 2);
	reset_global_variables();
}

TEST(GlobalVariables, SaveAndLoadTheGlobalPart)
{
	reset_global_variables();
	int32_t v = USER_VARIABLE_BASE + 40;
	declare_global(v);
	global_set(v, 2, Value("g"));
	StreamWriter w;
	save_global_variables(w);
	StreamReader check(w.bytes());
	EXPECT_EQ(check.i32(), 700);

	reset_global_variables();
	StreamReader r(w.bytes());
	ASSERT_TRUE(load_global_variables(r));
	EXPECT_TRUE(r.at_end());
	EXPECT_TRUE(is_declared_global(v));
	Value out;
	ASSERT_TRUE(global_get(v, 2, out));
	EXPECT_EQ(out.text(), "g");
	StreamWriter again;
	save_global_variables(again);
	EXPECT_EQ(again.bytes(), w.bytes());

	// A block that does not start with 700 is ignored; a damaged one changes nothing.
	StreamWriter other;
	other.i32(699);
	StreamReader ro(other.bytes());
	EXPECT_TRUE(load_global_variables(ro));
	EXPECT_TRUE(is_declared_global(v));
	std::vector<uint8_t> cut(w.bytes().begin(), w.bytes().end() - 4);
	StreamReader rc(cut);
	std::string error;
	EXPECT_FALSE(load_global_variables(rc, &error));
	EXPECT_FALSE(error.empty());
	EXPECT_TRUE(is_declared_global(v));
	reset_global_variables();
}

TEST(Locals, EachDepthHasItsListEmptiedOnEntry)
{
	int32_t v = USER_VARIABLE_BASE + 3;
	int32_t base = locals_depth();
	CVariableList &outer = enter_locals();
	outer.set(v, 0, Value(1));
	CVariableList &inner = enter_locals();
	EXPECT_NE(&inner, &outer);
	EXPECT_EQ(inner.count(), 0);
	inner.set(v, 0, Value(2));
	leave_locals();
	Value out;
	ASSERT_TRUE(outer.get(v, 0, out));
	EXPECT_EQ(out.real(), 1);
	CVariableList &again = enter_locals();
	EXPECT_EQ(&again, &inner);
	EXPECT_EQ(again.count(), 0); // the locals of the earlier run are gone
	leave_locals();
	leave_locals();
	EXPECT_EQ(locals_depth(), base);
}
