// objects_events_test.cpp: the inherited event lookup, dispatch lists, event
// names, and performing events with their context.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtin_call.h"
#include "code/errors.h"
#include "world/events.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

// Records each run: the code's text, self's id and the event context.
struct Run
{
	std::string code;
	int32_t self, holder, type, number;
};
std::vector<Run> g_runs;
// Code texts that act when run: "inherited" performs event_inherited.
bool record_run(CodeRef &code, CInstance *self, CInstance *other, Value *)
{
	const EventContext &c = current_event_context();
	g_runs.push_back({code.source, self ? self->id : -1, c.object_index, c.event_type, c.event_number});
	if (code.source.find("inherited") != std::string::npos)
		perform_inherited(self, other);
	return true;
}

void handler(CObject &o, int32_t type, int32_t number, const std::string &text)
{
	auto e = std::make_unique<CEvent>();
	e->code.source = text;
	o.set_event(type, number, std::move(e));
}

CObject &add_object(const std::string &name, int32_t parent = -1)
{
	ObjectTable &t = object_table();
	auto o = std::make_unique<CObject>();
	o->name = name;
	o->parent_index = parent;
	int32_t index = t.count();
	t.put(index, std::move(o));
	return *t.find(index);
}

class ObjectsTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		object_table().clear();
		g_runs.clear();
		set_code_runner(record_run);
		set_room_change_pending(false);
		current_event_context() = EventContext{};
		// 0 grand, 1 parent (of 2), 2 child; 3 wall, 4 brick (child of wall); 5 free
		CObject &grand = add_object("grand");
		CObject &parent = add_object("parent", 0);
		CObject &child = add_object("child", 1);
		add_object("wall");
		add_object("brick", 3);
		add_object("free");
		handler(grand, EV_STEP, EV_STEP_NORMAL, "grand step");
		handler(grand, EV_CREATE, 0, "grand create");
		handler(child, EV_CREATE, 0, "child create inherited");
		handler(parent, EV_ALARM, 12, "parent alarm 12");
		handler(parent, EV_COLLISION, 3, "parent hits wall");
		handler(child, EV_COLLISION, 4, "child hits brick");
		handler(child, EV_OTHER, 13, "child user 3");
		object_table().link_parents();
	}
	void TearDown() override { set_code_runner(nullptr); }
};

} // namespace

TEST_F(ObjectsTest, InheritedLookup)
{
	struct Case
	{
		int32_t object, type, number;
		int32_t holder; // -1: none
	} cases[] = {
		{2, EV_STEP, 0, 0},      // from the grandparent
		{2, EV_CREATE, 0, 2},    // its own handler first
		{1, EV_CREATE, 0, 0},
		{0, EV_ALARM, 12, -1},   // a parent's handler is not a child's
		{2, EV_COLLISION, 3, 1}, // the parent's handler for wall
		{2, EV_COLLISION, 4, 2}, // own handler for brick preferred to the parent's for wall
		{1, EV_COLLISION, 4, 1}, // a handler for brick's parent reacts to brick
		{5, EV_STEP, 0, -1},
		{9, EV_STEP, 0, -1},     // no such object
		{2, EV_STEP, 5, -1},
	};
	for (const Case &k : cases) {
		FoundEvent f = object_table().find_event(k.object, k.type, k.number);
		EXPECT_EQ(f.event ? f.holder : -1, k.holder) << k.object << " " << k.type << " " << k.number;
	}
	EXPECT_TRUE(object_table().is_ancestor(2, 0));
	EXPECT_FALSE(object_table().is_ancestor(2, 2));
	EXPECT_FALSE(object_table().is_ancestor(0, 2));
}

TEST_F(ObjectsTest, ParentCycleEndsTheWalk)
{
	object_table().find(0)->parent_index = 2; // grand -> child -> parent -> grand
	object_table().link_parents();
	EXPECT_EQ(object_table().find_event(5, EV_STEP, 0).event, nullptr);
	EXPECT_EQ(object_table().find_event(2, EV_DRAW, 0).event, nullptr);
	EXPECT_TRUE(object_table().is_ancestor(0, 1));
}

TEST_F(ObjectsTest, DispatchListsAndCollisionPairs)
{
	ObjectTable &t = object_table();
	t.build_event_lists();
	EXPECT_EQ(t.dispatch_list(EV_STEP, 0), (std::vector<int32_t>{0, 1, 2}));
	EXPECT_EQ(t.dispatch_list(EV_ALARM, 12), (std::vector<int32_t>{1, 2})); // built up to 12
	EXPECT_EQ(t.dispatch_list(EV_OTHER, 13), (std::vector<int32_t>{2}));
	EXPECT_TRUE(t.dispatch_list(EV_STEP, 17).empty());
	EXPECT_TRUE(t.dispatch_list(EV_COLLISION, 3).empty());
	// parent-wall, parent-brick (through brick's parent), child-wall, child-brick
	auto pairs = t.collision_pairs();
	std::sort(pairs.begin(), pairs.end());
	EXPECT_EQ(pairs, (std::vector<std::pair<int32_t, int32_t>>{{1, 3}, {1, 4}, {2, 3}, {2, 4}}));
}

TEST(EventNames, NamesAndDisplayNames)
{
	object_table().clear();
	struct Case
	{
		int32_t type, number;
		const char *name, *display;
	} cases[] = {
		{0, 0, "Create", "Create Event"},
		{2, 11, "Alarm 11", "Alarm Event for alarm 11"},
		{3, 1, "BeginStep", " Step Event1"},
		{3, 0, "Step", " Step Event0"},
		{4, 7, "<undefined>", " Step Event<undefined>"},
		{5, 65, "A-key", "Keyboard Event for A-key Key"},
		{5, 37, "<Left>", "Keyboard Event for <Left> Key"},
		{5, 100, "Keypad-4", "Keyboard Event for Keypad-4 Key"},
		{9, 113, "press F2", "Key Press Event for F2 Key"},
		{10, 200, "release <unknown>", "Key Release Event for <unknown> Key"},
		{6, 23, "Joystick 1 Button 3", "Mouse Event for Joystick 1 Button 3"},
		{6, 33, "Joystick 2 Up", "Mouse Event for Joystick 2 Up"},
		{6, 55, "Glob Middle Pressed", "Mouse Event for Glob Middle Pressed"},
		{6, 14, "<unknown>", "Mouse Event for <unknown>"},
		{7, 25, "User Defined 15", "Other Event: User Defined 15"},
		{7, 47, "Outside View 7", "Other Event: Outside View 7"},
		{7, 61, "Sound Loaded", "Web Event: Sound Loaded"},
		{8, 0, "Draw", "Draw Event"},
		{11, 0, "<Unknown Event>", "<Unknown Event>"},
	};
	for (const Case &k : cases) {
		EXPECT_EQ(event_name(k.type, k.number), k.name);
		EXPECT_EQ(event_display_name(k.type, k.number), k.display);
	}
}

TEST_F(ObjectsTest, PerformSetsAndRestoresTheContext)
{
	CInstance self(100001, 2);
	perform_own_event(&self, &self, EV_STEP, 0);
	ASSERT_EQ(g_runs.size(), 1u);
	EXPECT_EQ(g_runs[0].holder, 0);
	EXPECT_EQ(g_runs[0].type, EV_STEP);
	EXPECT_EQ(current_event_context().object_index, -1);

	// event_inherited from the grandchild whose parent lacks the handler runs the
	// grandparent's, with the grandparent as event_object.
	g_runs.clear();
	perform_own_event(&self, &self, EV_CREATE, 0);
	ASSERT_EQ(g_runs.size(), 2u);
	EXPECT_EQ(g_runs[0].holder, 2);
	EXPECT_EQ(g_runs[1].code, "grand create");
	EXPECT_EQ(g_runs[1].holder, 0);

	// event_user(3) is other event 13; nothing runs while a room change waits.
	g_runs.clear();
	call_builtin("event_perform", {EV_OTHER, 13}); // null self: nothing
	EXPECT_TRUE(g_runs.empty());
	const BuiltinEntry *user = function_entry(builtin_function_id("event_user"));
	Value r, three(3);
	user->routine(r, &self, &self, 1, &three);
	ASSERT_EQ(g_runs.size(), 1u);
	EXPECT_EQ(g_runs[0].code, "child user 3");
	set_room_change_pending(true);
	user->routine(r, &self, &self, 1, &three);
	EXPECT_EQ(g_runs.size(), 1u);
	set_room_change_pending(false);
}

TEST_F(ObjectsTest, ObjectQueries)
{
	CObject *o = object_table().find(2);
	o->depth = -5;
	o->sprite_index = 7;
	struct Case
	{
		const char *name;
		std::vector<Value> args;
		double expect;
	} cases[] = {
		{"object_exists", {2}, 1},         {"object_exists", {9}, 0},          {"object_exists", {-1}, 0},
		{"object_get_depth", {2}, -5},     {"object_get_sprite", {2}, 7},      {"object_get_sprite", {9}, -1},
		{"object_get_parent", {2}, 1},     {"object_get_visible", {2}, 1},     {"object_get_solid", {2}, 0},
		{"object_is_ancestor", {2, 0}, 1}, {"object_is_ancestor", {0, 2}, 0},
	};
	for (const Case &k : cases) {
		register_builtin_families();
		const BuiltinEntry *e = function_entry(builtin_function_id(k.name));
		ASSERT_NE(e, nullptr) << k.name;
		Value r;
		e->routine(r, nullptr, nullptr, (int)k.args.size(), k.args.data());
		EXPECT_EQ(r.real(), k.expect) << k.name;
	}
	EXPECT_EQ(call_builtin("object_get_name", {2}).text(), "child");
	EXPECT_EQ(call_builtin("object_get_name", {42}).text(), "<undefined>");
}
