// command_line_test.cpp: command-line tokens, options and options.ini.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "test_util.h"

TEST(CommandLine, Tokenize)
{
	struct Case
	{
		const char *line;
		std::vector<std::string> tokens;
	};
	const Case cases[] = {
		{"", {}},
		{"   ", {}},
		{"zentrix -game a.win", {"zentrix", "-game", "a.win"}},
		{"zentrix  \t-debug\n-trace", {"zentrix", "-debug", "-trace"}},
		{"zentrix -game \"C:/My Games/x.win\"", {"zentrix", "-game", "C:/My Games/x.win"}},
		{"a\"b c\"d e", {"ab cd", "e"}},
		{"\"unclosed quote  stays", {"unclosed quote  stays"}},
		{"\"\"", {""}},
	};
	for (const Case &c : cases)
		EXPECT_EQ(tokenize_command_line(c.line), c.tokens) << c.line;
}

TEST(CommandLine, ArgsAreQuotedAndCut)
{
	const char *argv[] = {"zentrix", "-game", "/tmp/My Game/data file.win", ""};
	std::string line = command_line_from_args(4, argv);
	EXPECT_EQ(line, "zentrix -game \"/tmp/My Game/data file.win\" \"\"");
	EXPECT_EQ(tokenize_command_line(line),
	          (std::vector<std::string>{"zentrix", "-game", "/tmp/My Game/data file.win", ""}));

	std::string long_arg(9000, 'x');
	const char *long_argv[] = {"z", "-game", long_arg.c_str()};
	std::string cut = command_line_from_args(3, long_argv);
	EXPECT_EQ(cut.size(), COMMAND_LINE_MAX - 1);
}

TEST(CommandLine, Options)
{
	Settings s;
	parse_command_line("zentrix -debug -trace -ext -oldexec -noaudio -inawindow -record in.rec", s);
	EXPECT_TRUE(s.debug);
	EXPECT_EQ(s.debug_output_level, 2);
	EXPECT_TRUE(s.physics_assert_report);
	EXPECT_TRUE(s.trace);
	EXPECT_TRUE(s.external_calls_suppressed);
	EXPECT_FALSE(s.bytecode);
	EXPECT_TRUE(s.no_audio);
	EXPECT_TRUE(s.in_a_window);
	EXPECT_TRUE(s.record);
	EXPECT_EQ(s.input_file, "in.rec");
	EXPECT_EQ(s.others, std::vector<std::string>{"zentrix"});

	// Options compare exactly; every parse starts from the defaults.
	parse_command_line("zentrix -DEBUG --debug debug", s);
	EXPECT_FALSE(s.debug);
	EXPECT_TRUE(s.bytecode);
	EXPECT_EQ(s.others, (std::vector<std::string>{"zentrix", "-DEBUG", "--debug", "debug"}));
}

TEST(CommandLine, GameGivenTwiceKeepsTheFirst)
{
	Settings s;
	parse_command_line("zentrix -game first.win -game second.win", s);
	EXPECT_EQ(s.game_path, "first.win");
	EXPECT_EQ(s.others, std::vector<std::string>{"zentrix"});
	parse_command_line("zentrix -game \"/a b/c.win\"", s);
	EXPECT_EQ(s.game_path, "/a b/c.win");
}

TEST(CommandLine, Breakpoints)
{
	Settings s;
	parse_command_line("z -bp scr_move@12 -bp obj_player -bp a@b@3 -bp x@", s);
	ASSERT_EQ(s.breakpoints.size(), 4u);
	EXPECT_EQ(s.breakpoints[0].name, "scr_move");
	EXPECT_EQ(s.breakpoints[0].line, 11);
	EXPECT_TRUE(s.breakpoints[0].enabled);
	EXPECT_EQ(s.breakpoints[1].name, "obj_player");
	EXPECT_EQ(s.breakpoints[1].line, -1);
	EXPECT_EQ(s.breakpoints[2].name, "a"); // split at the first "@"
	EXPECT_EQ(s.breakpoints[2].line, -1);  // "b@3" reads as 0
	EXPECT_EQ(s.breakpoints[3].line, -1);

	std::string line = "z";
	for (int i = 1; i <= 11; i++)
		line += " -bp s" + std::to_string(i) + "@" + std::to_string(i);
	parse_command_line(line, s);
	ASSERT_EQ(s.breakpoints.size(), MAX_BREAKPOINTS); // the eleventh is ignored
	EXPECT_EQ(s.breakpoints.back().name, "s10");
}

TEST(CommandLine, RunnerOptions)
{
	Settings s;
	parse_command_line("z --headless --frames 12 --unpaced --screenshot out.png game.win", s);
	EXPECT_TRUE(s.headless);
	EXPECT_EQ(s.frames, 12);
	EXPECT_TRUE(s.unpaced);
	EXPECT_EQ(s.screenshot, "out.png");
	EXPECT_EQ(s.others, (std::vector<std::string>{"z", "game.win"}));
	EXPECT_TRUE(s.problem.empty());

	for (const char *bad : {"z --frames", "z --frames -3", "z --frames 1x", "z --screenshot"}) {
		parse_command_line(bad, s);
		EXPECT_FALSE(s.problem.empty()) << bad;
	}

	// Without the game's options (a data.win beside the program) only ours count.
	parse_command_line("z -game other.win -debug --headless", s, false);
	EXPECT_TRUE(s.game_path.empty());
	EXPECT_FALSE(s.debug);
	EXPECT_TRUE(s.headless);
}

TEST(CommandLine, OptionsIniComesAfterTheCommandLine)
{
	TempDir dir;
	Settings s;

	dir.write("on.ini", "[DEFAULT]\nDebug=1\nTrace=2\n");
	parse_command_line("z", s);
	apply_options_ini(dir.file("on.ini"), s);
	EXPECT_TRUE(s.debug);
	EXPECT_EQ(s.debug_output_level, 2);
	EXPECT_TRUE(s.trace);

	dir.write("off.ini", "[DEFAULT]\r\nDebug = 0 ; no debugger\r\nTrace=0\r\n");
	parse_command_line("z -debug -trace", s);
	apply_options_ini(dir.file("off.ini"), s);
	EXPECT_FALSE(s.debug);
	EXPECT_FALSE(s.trace);

	// Other sections, and keys in another case, change nothing.
	dir.write("other.ini", "[debug]\nDebug=1\n[DEFAULT]\ndebug=1\n");
	parse_command_line("z", s);
	apply_options_ini(dir.file("other.ini"), s);
	EXPECT_FALSE(s.debug);
}
