// builtin_variables_test.cpp: the name registry, the built-in variable table in
// its order with its flags, and the rows whose owners exist.
#include <gtest/gtest.h>

#include "code/arguments.h"
#include "code/builtin_variables.h"
#include "code/errors.h"
#include "code/variables.h"
#include "test_util.h"
#include "world/instance.h"

namespace {

Value read(const char *name, int32_t index = 0, CInstance *inst = nullptr)
{
	int32_t id = builtin_variables().find(name);
	EXPECT_GE(id, 0) << name;
	Value out(-99);
	EXPECT_TRUE(instance_get(inst, id, index, out)) << name;
	return out;
}

bool write(const char *name, const Value &v, int32_t index = 0, CInstance *inst = nullptr)
{
	int32_t id = builtin_variables().find(name);
	EXPECT_GE(id, 0) << name;
	return instance_set(inst, id, index, v);
}

bool read_nothing(CInstance *, int32_t, Value &out)
{
	out.clear();
	return true;
}

int g_events[16];
void count_event(int32_t number) { g_events[number]++; }

} // namespace

TEST(VariableNames, IdsAndNames)
{
	int32_t id = user_variable_id("names_fresh");
	EXPECT_GE(id, USER_VARIABLE_BASE);
	EXPECT_EQ(user_variable_id("names_fresh"), id);
	EXPECT_EQ(user_variable_id("names_Fresh"), id + 1); // case matters
	EXPECT_EQ(variable_name(id), "names_fresh");
	EXPECT_EQ(variable_id("names_fresh"), id);
	EXPECT_EQ(variable_id("x"), 0);
	EXPECT_EQ(variable_name(0), "x");
	EXPECT_EQ(variable_name(9999), "<unknown built-in variable>");
	EXPECT_EQ(variable_name(USER_VARIABLE_BASE + user_variable_count()), "<unknown variable>");
	EXPECT_EQ(builtin_variable_name(-1), "<unknown built-in variable>");
	EXPECT_EQ(builtin_variables().find("X"), -1);
}

TEST(BuiltinVariables, OrderAndFlags)
{
	const CBuiltinVariableTable &t = builtin_variables();
	EXPECT_EQ(t.count(), 78 + 106 + 6);
	struct Row
	{
		const char *name;
		int32_t index;
		bool settable;
	};
	const Row rows[] = {
		{"x", 0, true}, {"object_index", 13, false}, {"id", 14, false}, {"alarm", 15, true},
		{"bbox_left", 20, false}, {"image_single", 26, true}, {"async_load", 51, false},
		{"phy_rotation", 52, true}, {"webgl_enabled", 77, false}, {"argument_relative", 78, false},
		{"argument", 79, true}, {"argument0", 80, true}, {"argument15", 95, true},
		{"argument_count", 96, false}, {"debug_mode", 97, false}, {"room", 98, true},
		{"score", 103, true}, {"game_id", 106, false}, {"instance_id", 112, false},
		{"background_color", 118, true}, {"view_enabled", 135, true}, {"view_current", 136, false},
		{"view_surface_id", 152, true}, {"mouse_x", 153, false}, {"keyboard_string", 160, true},
		{"fps", 168, false}, {"current_time", 169, false}, {"event_action", 180, false},
		{"secure_mode", 181, false}, {"error_occurred", 182, true}, {"error_last", 183, true},
		{"os_type", 184, false}, {"browser_height", 189, false},
	};
	for (const Row &r : rows) {
		EXPECT_EQ(t.find(r.name), r.index) << r.name;
		const BuiltinVariable *e = t.entry(r.index);
		ASSERT_NE(e, nullptr) << r.name;
		EXPECT_EQ(e->settable, r.settable) << r.name;
		EXPECT_NE(e->get, nullptr) << r.name;
		EXPECT_EQ(e->set != nullptr, r.settable) << r.name;
	}
}

TEST(BuiltinVariables, TheFiveHundredAndFirstRowIsRefused)
{
	CBuiltinVariableTable t;
	register_builtin_variables(t);
	int32_t base = t.count();
	for (int32_t i = base; i < CBuiltinVariableTable::LIMIT; i++)
		ASSERT_TRUE(t.add("extra" + std::to_string(i), read_nothing, nullptr, false));
	EXPECT_EQ(t.count(), 500);
	ConsoleCapture console;
	EXPECT_FALSE(t.add("one_too_many", nullptr, nullptr, false));
	EXPECT_EQ(t.count(), 500);
	EXPECT_EQ(t.find("one_too_many"), -1);
	EXPECT_NE(console.text().find("INTERNAL ERROR: Adding too many variables"), std::string::npos);
	register_builtin_variables(t); // clears first
	EXPECT_EQ(t.count(), base);
}

TEST(BuiltinVariables, RowsOfLaterModulesReadZeroAndAcceptWrites)
{
	CInstance inst(100001, 0);
	EXPECT_EQ(read("x", 0, &inst).real(), 0);
	EXPECT_TRUE(write("x", Value(5), 0, &inst));
	EXPECT_EQ(read("view_xview", 3).real(), 0);
	EXPECT_TRUE(write("room_speed", Value(60)));
	EXPECT_FALSE(write("mouse_x", Value(1)));
	// The owner attaches its routines later.
	CBuiltinVariableTable t;
	register_builtin_variables(t);
	auto seven = [](CInstance *, int32_t, Value &out) {
		out.set_real(7);
		return true;
	};
	EXPECT_TRUE(t.attach("fps", seven));
	EXPECT_FALSE(t.attach("no_such_row", seven));
	Value out;
	ASSERT_TRUE(t.entry(t.find("fps"))->get(nullptr, 0, out));
	EXPECT_EQ(out.real(), 7);
}

TEST(BuiltinVariables, Arguments)
{
	ScriptArguments &args = script_arguments();
	for (int i = 0; i < 16; i++)
		args.values[i] = Value(i * 10);
	args.count = 3;
	EXPECT_EQ(read("argument3").real(), 30);
	EXPECT_EQ(read("argument", 15).real(), 150);
	EXPECT_EQ(read("argument", -1).real(), 0);  // outside 0..15: element 0
	EXPECT_EQ(read("argument", 16).real(), 0);
	EXPECT_TRUE(write("argument", Value("s"), 16));
	EXPECT_EQ(args.values[0].text(), "s");
	EXPECT_TRUE(write("argument15", Value("last")));
	EXPECT_EQ(read("argument", 15).text(), "last");
	EXPECT_EQ(read("argument_count").real(), 3);
	EXPECT_FALSE(write("argument_count", Value(1)));
	EXPECT_EQ(read("argument_relative").real(), 0);
	for (int i = 0; i < MAX_ARGUMENTS; i++)
		args.values[i].clear();
	args.count = 0;
}

TEST(BuiltinVariables, GameValues)
{
	reset_game_values_for_start();
	set_other_event_performer(count_event);
	std::fill(std::begin(g_events), std::end(g_events), 0);
	struct Case
	{
		double set;
		double read;
	};
	for (Case c : {Case{2.5, 2}, Case{3.5, 4}, Case{-2.5, -2}, Case{1e300, INT32_MIN}}) {
		EXPECT_TRUE(write("score", Value(c.set)));
		EXPECT_EQ(read("score").real(), c.read) << c.set;
	}
	EXPECT_EQ(read("lives").real(), -1);
	write("lives", Value(3));
	write("lives", Value(0));
	EXPECT_EQ(g_events[6], 1);
	write("lives", Value(-1)); // from 0: no event
	EXPECT_EQ(g_events[6], 1);
	write("health", Value(0.5));
	write("health", Value(0.0));
	write("health", Value(-3.0));
	EXPECT_EQ(g_events[9], 1);
	EXPECT_EQ(read("health").real(), -3.0);
	set_other_event_performer(nullptr);

	for (auto [v, shown] : {std::pair{-1.0, false}, {0.4, false}, {0.6, true}, {1.0, true}}) {
		write("show_score", Value(v));
		EXPECT_EQ(read("show_score").real(), shown ? 1 : 0) << v;
	}
	EXPECT_EQ(read("caption_health").text(), "Health: ");
	write("caption_score", Value("Points: "));
	EXPECT_EQ(read("caption_score").text(), "Points: ");
	write("cursor_sprite", Value(2.5));
	EXPECT_EQ(read("cursor_sprite").real(), 2);

	ConsoleCapture console;
	EXPECT_TRUE(write("transition_kind", Value(5)));
	EXPECT_EQ(read("transition_kind").real(), 0);
	EXPECT_EQ(console.text(), "BUG: Room transitions don't function well - setting to 0 - look at Variable_BuiltIn "
	                          "SV_TransitionKind() .\n");

	set_game_identity(4242, 0);
	EXPECT_EQ(read("game_id").real(), 4242);
	EXPECT_EQ(read("debug_mode").real(), 1);
	set_game_identity(0, 1);
	EXPECT_EQ(read("debug_mode").real(), 0);
	EXPECT_EQ(read("secure_mode").real(), 0);
	GameValues fresh;
	game_values() = fresh;
}

TEST(BuiltinVariables, FlagConversions)
{
	struct Case
	{
		double v;
		bool not_zero, rounded;
	};
	const Case cases[] = {
		{0.4, false, false}, {0.6, true, true}, {-0.6, true, false}, {-1, true, false},
		{0.5, false, false}, {1.5, true, true}, {2.5, true, true},
	};
	for (const Case &c : cases) {
		EXPECT_EQ(flag_not_zero(Value(c.v)), c.not_zero) << c.v;
		EXPECT_EQ(flag_rounded(Value(c.v)), c.rounded) << c.v;
	}
	EXPECT_EQ(builtin_element(12, 12), 0); // alarm 12 addresses alarm 0
	EXPECT_EQ(builtin_element(-1, 16), 0);
	EXPECT_EQ(builtin_element(7, 8), 7);
}

TEST(BuiltinVariables, ErrorState)
{
	write("error_occurred", Value(0.5));
	EXPECT_TRUE(error_occurred());
	EXPECT_EQ(read("error_occurred").real(), 1);
	write("error_occurred", Value(0.49));
	EXPECT_FALSE(error_occurred());
	write("error_last", Value("oops"));
	EXPECT_EQ(error_last(), "oops");
	EXPECT_EQ(read("error_last").text(), "oops");
	set_error_last("");
}

TEST(BuiltinVariables, SystemRows)
{
	EXPECT_EQ(read("current_year").real() >= 2000, true);
	double month = read("current_month").real(), weekday = read("current_weekday").real();
	EXPECT_TRUE(month >= 1 && month <= 12);
	EXPECT_TRUE(weekday >= 0 && weekday <= 6);
	EXPECT_GT(read("current_time").real(), 0);
	std::string temp(read("temp_directory").text());
	ASSERT_FALSE(temp.empty());
	EXPECT_EQ(temp.back(), '/');
	EXPECT_EQ(read("os_type").real(), 0);
	EXPECT_EQ(read("os_browser").real(), -1);
	EXPECT_GT(read("os_version").real(), 0);
	// instance_id outside the room's list gives noone
	EXPECT_EQ(read("instance_count").real(), 0);
	EXPECT_EQ(read("instance_id", 0).real(), -4);
}
