// constants_test.cpp: the built-in constants and the step that defines the
// game's own constants.
#include <gtest/gtest.h>

#include <set>

#include "code/builtin_constants.h"
#include "code/constants.h"
#include "data/game_data.h"
#include "test_util.h"
#include "world/instance.h"

namespace {

double constant(const char *name)
{
	int32_t i = find_constant(name);
	EXPECT_GE(i, 0) << name;
	return constant_value(i).real();
}

GameData game_with(std::vector<UserConstant> constants)
{
	GameData game;
	game.user_constants = std::move(constants);
	return game;
}

} // namespace

TEST(Constants, TheBuiltInTable)
{
	EXPECT_EQ(builtin_constant_list().size(), (size_t)BUILTIN_CONSTANT_COUNT);
	std::set<std::string> names;
	for (const BuiltinConstant &c : builtin_constant_list())
		EXPECT_TRUE(names.insert(c.name).second) << c.name;
	EXPECT_EQ(constant_name(0), "self");
	EXPECT_EQ(constant_name(8), "pi");
	EXPECT_EQ(constant_value(8).real(), (double)3.14159265358979f);
	auto family = [&](const std::string &prefix) {
		int n = 0;
		for (const std::string &name : names)
			n += name.compare(0, prefix.size(), prefix) == 0;
		return n;
	};
	struct Family
	{
		const char *prefix;
		int count;
	};
	for (Family f : {Family{"pr_", 6}, {"c_", 19}, {"vk_", 56}, {"mb_", 5}, {"ev_", 90}, {"ef_", 12}, {"se_", 8},
	                 {"ps_", 15}, {"pt_", 14}, {"cr_", 22}, {"bm_", 15}, {"fa_", 12}, {"ty_", 2}, {"dll_", 2},
	                 {"display_", 2}, {"phy_", 24}})
		EXPECT_EQ(family(f.prefix), f.count) << f.prefix;

	struct Known
	{
		const char *name;
		double value;
	};
	const Known known[] = {
		{"self", -1}, {"other", -2}, {"all", -3}, {"noone", -4}, {"global", -5}, {"local", -7}, {"true", 1},
		{"false", 0}, {"pr_trianglefan", 6}, {"c_red", 255}, {"c_blue", 0xFF0000}, {"c_orange", 0x40A0FF},
		{"vk_left", 37}, {"vk_nokey", 0}, {"vk_anykey", 1}, {"vk_f12", 123}, {"vk_numpad9", 105},
		{"mb_left", 1}, {"mb_middle", 3}, {"ev_keyrelease", 10}, {"ev_step_end", 2},
		{"ev_joystick1_button8", 28}, {"ev_joystick2_button1", 36}, {"ev_mouse_wheel_down", 61},
		{"ev_no_more_health", 9}, {"ev_user15", 25}, {"ev_close_button", 30}, {"ef_snow", 11},
		{"ps_change_motion", 2}, {"pt_shape_snow", 13}, {"bm_subtract", 3}, {"bm_src_alpha_sat", 11},
		{"fa_bottom", 2}, {"fa_archive", 32}, {"ty_string", 1}, {"dll_stdcall", 1},
	};
	for (const Known &k : known)
		EXPECT_EQ(constant(k.name), k.value) << k.name;
}

TEST(Constants, UserConstantsFollowTheBuiltInOnes)
{
	ConsoleCapture console;
	GameData game = game_with({{"MAX_HP", "100"}, {"_half", "-0.5"}, {"mask", "$FF"}, {"title", "\"Quest\""},
	                           {"left_key", "vk_left"}});
	ASSERT_TRUE(prepare_user_constants(game));
	EXPECT_EQ(constant_count(), BUILTIN_CONSTANT_COUNT + 5);
	EXPECT_EQ(find_constant("MAX_HP"), BUILTIN_CONSTANT_COUNT);
	EXPECT_EQ(constant(("MAX_HP")), 100);
	EXPECT_EQ(constant("_half"), -0.5);
	EXPECT_EQ(constant("mask"), 255);
	EXPECT_EQ(constant_value(find_constant("title")).text(), "Quest");
	EXPECT_EQ(constant("left_key"), 37);
	// A new game replaces them.
	ASSERT_TRUE(prepare_user_constants(game_with({})));
	EXPECT_EQ(constant_count(), BUILTIN_CONSTANT_COUNT);
	EXPECT_EQ(find_constant("MAX_HP"), -1);
	EXPECT_TRUE(console.text().empty());
}

TEST(Constants, BadNamesAndValuesFailTheStep)
{
	struct Case
	{
		UserConstant constant;
		const char *message;
	};
	const Case cases[] = {
		{{"", "1"}, "Constant name   is not valid."},
		{{"9lives", "1"}, "Constant name 9lives  is not valid."},
		{{"a-b", "1"}, "Constant name a-b  is not valid."},
		{{"ok", "1 +"}, "Value for constant ok  is not valid."},
		{{"ok", "no_such_name"}, "Value for constant ok  is not valid."},
	};
	// The plain evaluator: a game's preparation may have left its own in place.
	set_constant_evaluator(nullptr);
	for (const Case &c : cases) {
		ConsoleCapture console;
		EXPECT_FALSE(prepare_user_constants(game_with({c.constant}))) << c.message;
		EXPECT_NE(console.text().find(c.message), std::string::npos) << console.text();
	}
	ASSERT_TRUE(prepare_user_constants(game_with({})));
}

TEST(Constants, TheCompilerEvaluatesValues)
{
	static std::vector<std::string> names;
	static int32_t self_ids = -1;
	names.clear();
	set_constant_evaluator([](const std::string &code_name, std::string_view text, CInstance *self, Value &out) {
		names.push_back(code_name);
		self_ids = self->id + self->object_index;
		out = Value((double)text.size());
		return true;
	});
	ASSERT_TRUE(prepare_user_constants(game_with({{"a", "1 + 2"}, {"b", "x"}})));
	set_constant_evaluator(nullptr);
	ASSERT_EQ(names.size(), 2u);
	EXPECT_EQ(names[0].rfind("Constant.", 0), 0u);
	EXPECT_EQ(std::stoi(names[1].substr(9)), std::stoi(names[0].substr(9)) + 1);
	EXPECT_EQ(self_ids, 0);
	EXPECT_EQ(constant("a"), 5);
	ASSERT_TRUE(prepare_user_constants(game_with({})));
}
