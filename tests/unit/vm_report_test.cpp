// vm_report_test.cpp: the fatal error report of the machine (exact text and
// the exit code), tracing and breakpoints.
#include "code/errors.h"
#include "code/variables.h"
#include "test_util.h"
#include "vm_fixture.h"

namespace {

std::string object_name(int32_t) { return "obj_player"; }
std::string event_name(int32_t, int32_t) { return "Step Event"; }

std::vector<std::pair<std::string, int>> g_hits;

void note_breakpoint(const std::string &name, int line) { g_hits.push_back({name, line}); }

} // namespace

TEST_F(VMTest, FatalReportTextForAnErrorInsideAScriptCalledFromAnEvent)
{
	ErrorHooks error_hooks;
	error_hooks.object_name = object_name;
	error_hooks.event_name = event_name;
	set_error_hooks(error_hooks);
	EventContext &context = current_event_context();
	context.object_index = 0;
	context.event_type = 3;
	context.event_number = 0;
	context.action = 0;

	int32_t index = add_script("scr_divide", "push.v self.argument0\n"  // 0
	                                         "pop.v.v local.a\n"        // 8
	                                         "push.v local.a\n"         // 16: line 1
	                                         "push.d 0\n"               // 24
	                                         "div.d.v\n"                // 36
	                                         "ret.v\n");
	CCode &script = *scripts[(size_t)index];
	script.source = "var a = argument0;\nreturn a / 0;";
	script.line_table = {{0, 0}, {16, 19}};

	auto event = code("push.d 3\n"              // 0
	                  "pop.v.d self.hp\n"       // 12
	                  "push.d 5\n"              // 20: line 1
	                  "conv.d.v\n"              // 32
	                  "call.i scr_divide 1\n"   // 36
	                  "popz.v\n",
	                  "obj_player_Step_0");
	event->source = "hp = 3;\nscr_divide(5);\n";
	event->line_table = {{0, 0}, {20, 8}};

	global_set(var("total"), 0, Value(10.0));
	CInstance *player = world.add(100001, 0);
	Value result;
	EXPECT_FALSE(code_execute(player, player, *event, &result));
	EXPECT_EQ(exits, 1);
	EXPECT_EQ(exit_code, -1);

	std::string hashes(92, '#');
	EXPECT_EQ(error_last(), "FATAL ERROR in\n"
	                        "action number 1\n"
	                        "of Step Event\n"
	                        "for object obj_player:\n"
	                        "\n"
	                        "\n" +
	                            hashes + "\n"
	                            "VMError!! Occurred - DoDiv :: Divide by zero\n"
	                            " at scr_divide (line 1) - return a / 0;\n" +
	                            hashes + "\n"
	                            "Local Variables : \n"
	                            "a = 5\n"
	                            "Self Variables : \n"
	                            "hp = 3\n"
	                            "Global Variables : \n"
	                            "total = 10\n"
	                            "stack frame is\n"
	                            "scr_divide (line 1)\n"
	                            "called from - obj_player_Step_0 (line 1) - scr_divide(5);\n");
	set_error_hooks(ErrorHooks());
	context = EventContext();
}

TEST_F(VMTest, SourceLinesCountFromZeroAndStopAtTheLineEnd)
{
	CCode piece;
	EXPECT_EQ(piece.source_line(0), -1);
	std::string text;
	piece.source_line(0, &text);
	EXPECT_EQ(text, "<unknown source line>");

	piece.source = "a = 1;\r\nb = 2;\r\nc = 3;";
	piece.line_table = {{0, 0}, {8, 8}, {20, 16}, {40, 999}};
	EXPECT_EQ(piece.source_line(4, &text), 0);
	EXPECT_EQ(text, "a = 1;");
	EXPECT_EQ(piece.source_line(8, &text), 1);
	EXPECT_EQ(text, "b = 2;");
	EXPECT_EQ(piece.source_line(30, &text), 2);
	EXPECT_EQ(text, "c = 3;");
	EXPECT_EQ(piece.source_line(40, &text), 2); // a position past the text counts as its last byte
}

TEST(VMExit, MachineErrorEndsTheProcessWithMinusOne)
{
	EXPECT_EXIT(
		{
			auto piece = assemble_code("boom", "push.d 1\npush.d 0\ndiv.d.d");
			vm_run(*piece, nullptr, nullptr, nullptr);
		},
		::testing::ExitedWithCode(255), "");
}

TEST_F(VMTest, TraceWritesCodeFunctionAndScriptNames)
{
	add_script("scr_one", "push.d 1\nret.d");
	vm_settings().trace = true;
	ConsoleCapture console;
	run("call.i scr_one 0\nconv.v.s\nconv.s.v\ncall.i real 1");
	EXPECT_TRUE(ok);
	EXPECT_EQ(console.text(), "script = test_code\nscript call = scr_one\nfunc call = real\n");
}

TEST_F(VMTest, TraceOfEveryInstructionPrintsTheListing)
{
	vm_settings().trace_instructions = true;
	ConsoleCapture console;
	run("push.e -1\npopz.i");
	std::vector<std::string> lines = console.lines();
	ASSERT_EQ(lines.size(), 2u);
	EXPECT_EQ(lines[0], "00000000 : ffff0fc0                 push.e      -1");
	EXPECT_EQ(lines[1], "00000004 : 0000029f                 popz.i      ");
}

TEST_F(VMTest, BreakpointsFireOnceWhenTheirLineIsReached)
{
	g_hits.clear();
	VMHooks hooks = vm_hooks();
	hooks.breakpoint = note_breakpoint;
	set_vm_hooks(hooks);
	vm_settings().breakpoints = {{"bp_code", 1, true}, {"bp_code", 2, false}, {"other", 0, true}};
	auto piece = code("push.d 1\npopz.d\npush.d 2\npopz.d\npush.d 3\npopz.d\n", "bp_code");
	piece->source = "x\ny\nz";
	piece->line_table = {{0, 0}, {16, 2}, {32, 4}};
	EXPECT_TRUE(vm_run(*piece, nullptr, nullptr, nullptr));
	ASSERT_EQ(g_hits.size(), 1u);
	EXPECT_EQ(g_hits[0].first, "bp_code");
	EXPECT_EQ(g_hits[0].second, 1);
}

TEST_F(VMTest, WatchExpressionErrorsAreNotReported)
{
	set_evaluating_watch(true);
	run("push.d 1\npush.d 0\ndiv.d.d");
	set_evaluating_watch(false);
	EXPECT_FALSE(ok);
	EXPECT_EQ(exits, 0);
	EXPECT_TRUE(error_occurred());
	EXPECT_EQ(error_last(), "");
	// The next run is not affected.
	EXPECT_EQ(run("push.d 2").real(), 2.0);
	EXPECT_TRUE(ok);
}
