// vm_calls_test.cpp: calls of built-ins, scripts and extension functions: the
// argument order, arguments saved and restored, locals per depth, returns,
// running past the end, nested runs, and the limits of depth and arguments.
#include "code/arguments.h"
#include "code/errors.h"
#include "code/function_table.h"
#include "vm_fixture.h"

namespace {

std::shared_ptr<CCode> g_nested;

// Runs the piece in g_nested as a nested run and returns its result.
void fn_vm_test_nested(Value &result, CInstance *self, CInstance *other, int, const Value *)
{
	vm_run(*g_nested, self, other, &result);
}

// Joins its arguments' texts in argument order.
void fn_vm_test_join(Value &result, CInstance *, CInstance *, int argc, const Value *args)
{
	std::string text;
	for (int i = 0; i < argc; i++)
		text += args[i].is_string() ? std::string(args[i].text()) : std::to_string((int)args[i].real());
	result.set_string(text);
}

void register_test_functions()
{
	static bool done = false;
	if (done)
		return;
	done = true;
	register_function("vm_test_nested", fn_vm_test_nested, 0);
	register_function("vm_test_join", fn_vm_test_join, -1);
}

// Pushes n arguments, the last first, as Values: argument i is i + 1.
std::string push_args(int n)
{
	std::string code;
	for (int i = n; i >= 1; i--)
		code += "push.d " + std::to_string(i) + "\nconv.d.v\n";
	return code;
}

} // namespace

class CallTest : public VMTest
{
protected:
	void SetUp() override
	{
		VMTest::SetUp();
		register_test_functions();
	}
};

TEST_F(CallTest, BuiltinArgumentsInOrder)
{
	Value v = run(push_args(3) + "call.i vm_test_join 3");
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.text(), "123");
	v = run("push.d 3\nconv.d.v\ncall.i string 1\npush.s \"!\"\nconv.s.v\nadd.v.v");
	EXPECT_EQ(v.text(), "3!");
	v = run(push_args(17) + "call.i vm_test_join 17");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("more than 16 arguments"), std::string::npos) << error_last();
}

TEST_F(CallTest, ScriptReturnsAndRunningPastTheEnd)
{
	add_script("scr_sum", "push.v self.argument0\npush.v self.argument1\nadd.v.v\nret.v");
	add_script("scr_fall", "push.d 5\npop.v.d global.touched");
	add_script("scr_exit", "push.d 1\nexit.i\npush.d 2\nret.d");
	add_script("scr_count", "push.v self.argument_count\nret.v");
	EXPECT_EQ(run(push_args(2) + "call.i scr_sum 2").real(), 3.0);
	EXPECT_EQ(run("push.d 9\n" + push_args(1) + "call.i scr_fall 1\nadd.v.d").real(), 9.0);
	EXPECT_EQ(global("touched").real(), 5.0);
	EXPECT_EQ(run("call.i scr_exit 0").real(), 0.0);
	EXPECT_EQ(run(push_args(5) + "call.i scr_count 5").real(), 5.0);
	EXPECT_TRUE(ok);
	EXPECT_EQ(exits, 0);
}

TEST_F(CallTest, SixteenArgumentsFilledAndRestored)
{
	// argument15 is 16, argument_count 16; afterwards the caller's arguments
	// and count are as before.
	add_script("scr_last", "push.v self.argument15\npush.v self.argument_count\nadd.v.v\nret.v");
	ScriptArguments &arguments = script_arguments();
	for (int i = 0; i < 16; i++)
		arguments.values[i] = Value(1000.0 + i);
	arguments.count = 2;
	Value v = run(push_args(16) + "call.i scr_last 16\npush.v self.argument0\nadd.v.v\n"
	              "push.v self.argument_count\nadd.v.v");
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.real(), 16.0 + 16.0 + 1000.0 + 2.0);
	for (int i = 0; i < 16; i++)
		EXPECT_EQ(arguments.values[i].real(), 1000.0 + i);
	EXPECT_EQ(arguments.count, 2);

	// Arguments beyond those given read the real 0.
	add_script("scr_third", "push.v self.argument2\nret.v");
	arguments.values[2] = Value(55.0);
	EXPECT_EQ(run(push_args(1) + "call.i scr_third 1").real(), 0.0);
	EXPECT_EQ(arguments.values[2].real(), 55.0);
}

TEST_F(CallTest, MoreThanSixteenScriptArgumentsRejected)
{
	add_script("scr_any", "push.d 1\nret.d");
	run(push_args(17) + "call.i scr_any 17");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("DoCall :: Execution Error - more than 16 arguments to script scr_any"),
	          std::string::npos)
		<< error_last();
}

TEST_F(CallTest, LocalsBelongToTheirDepth)
{
	add_script("scr_local", "push.d 9\npop.v.d local.t\npush.v local.t\nret.v");
	Value v = run("push.d 5\npop.v.d local.t\ncall.i scr_local 0\npush.v local.t\nadd.v.v");
	EXPECT_EQ(v.real(), 14.0);
}

TEST_F(CallTest, SelfAndOtherAreKeptAcrossScripts)
{
	CInstance *a = world.add(100001, 1), *b = world.add(100002, 1);
	set(a, "tag", Value("a"));
	set(b, "tag", Value("b"));
	add_script("scr_tags", "push.v self.tag\npush.v other.tag\nadd.v.v\nret.v");
	Value v = run("call.i scr_tags 0\npush.v self.tag\nadd.v.v", a, b);
	EXPECT_EQ(v.text(), "aba");
}

TEST_F(CallTest, SelfAndOtherComeBackWhenAScriptReturnsInsideWith)
{
	CInstance *a = world.add(100001, 1), *b = world.add(100002, 2);
	set(a, "tag", Value("a"));
	set(b, "tag", Value("b"));
	// with (2) return self.tag + other.tag
	add_script("scr_with", "push.i 2\npushenv end\nbody:\npush.v self.tag\npush.v other.tag\nadd.v.v\nret.v\n"
	                       "end:\npopenv body\npush.d 0\nret.d");
	Value v = run("call.i scr_with 0\npush.v self.tag\nadd.v.v\npush.v other.tag\nadd.v.v", a, a);
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.text(), "baaa");
}

TEST_F(CallTest, EveryKindOfReturnLeavesTheCallersStack)
{
	// "[" + scr() + "]" through a built-in: the "]" below the call and the
	// "[" above its result must be where the caller left them.
	const struct
	{
		const char *body, *joined;
	} cases[] = {
		{"push.d 4\nret.d", "[4]"},
		{"push.s \"s\"\nconv.s.v\nret.v", "[s]"},
		{"push.s \"t\"\nret.s", "[t]"},
		{"push.d 1\npush.d 2\nslt.d.d\nret.b", "[1]"},
		{"push.s \"junk\"\nconv.s.v\npush.d 3\nret.d", "[3]"}, // what the script left is freed
		{"push.s \"junk\"\nexit.i", "[0]"},
		{"push.s \"junk\"\npopz.v", "[0]"}, // runs past its end
	};
	for (const auto &c : cases) {
		scripts.clear();
		script_names.clear();
		add_script("scr_kind", c.body);
		Value v = run("push.s \"]\"\nconv.s.v\ncall.i scr_kind 0\npush.s \"[\"\nconv.s.v\ncall.i vm_test_join 3");
		EXPECT_TRUE(ok) << c.body << error_last();
		EXPECT_EQ(v.text(), c.joined) << c.body;
	}
}

TEST_F(CallTest, ScriptArgumentsOfEverySlotType)
{
	add_script("scr_join4", "push.v self.argument3\npush.v self.argument2\npush.v self.argument1\n"
	                        "push.v self.argument0\ncall.i vm_test_join 4\nret.v");
	// Pushed last first: argument1 varies (a double, an int, a bool, a string
	// slot); the others are a string slot, a string value and a real value.
	for (const auto &[second, joined] : std::vector<std::pair<std::string, std::string>>{
		     {"push.d 2", "x2y3"},
		     {"push.i 7", "x7y3"},
		     {"push.d 1\npush.d 2\nslt.d.d", "x1y3"},
		     {"push.s \"s\"", "xsy3"}}) {
		Value v = run("push.d 3\nconv.d.v\npush.s \"y\"\nconv.s.v\n" + second +
		              "\npush.s \"x\"\ncall.i scr_join4 4");
		EXPECT_TRUE(ok) << second;
		EXPECT_EQ(v.text(), joined) << second;
	}
}

TEST_F(CallTest, ArgumentsBeyondTheCountReadZeroAfterACallThatUsedThem)
{
	// scr_wide writes argument5 and takes three arguments; scr_narrow, called
	// next at the same depth with one, reads argument2 + argument5 + argument_count.
	add_script("scr_wide", "push.d 9\npop.v.d self.argument5\npush.v self.argument2\nret.v");
	add_script("scr_narrow", "push.v self.argument2\npush.v self.argument5\nadd.v.v\n"
	                         "push.v self.argument_count\nadd.v.v\nret.v");
	std::string both = push_args(3) + "call.i scr_wide 3\npopz.v\n" + push_args(1) + "call.i scr_narrow 1\nret.v";
	EXPECT_EQ(run(both).real(), 1.0);
	// The same one level deeper.
	add_script("scr_outer", both);
	EXPECT_EQ(run("call.i scr_outer 0").real(), 1.0);
	EXPECT_TRUE(ok);
}

TEST_F(CallTest, AScriptReplacedBetweenCallsRunsItsNewCode)
{
	add_script("scr_v", "push.d 1\nret.d");
	const std::string twice = "call.i scr_v 0\ncall.i scr_v 0\nadd.d.d";
	EXPECT_EQ(run(twice).real(), 2.0);
	scripts[0] = code("push.d 2\nret.d", "scr_v"); // another piece under the index
	EXPECT_EQ(run(twice).real(), 4.0);
	// The same while the old piece lives on elsewhere: the change is announced.
	std::shared_ptr<CCode> kept = scripts[0];
	scripts[0] = code("push.d 5\nret.d", "scr_v");
	vm_scripts_changed();
	EXPECT_EQ(run(twice).real(), 10.0);
	kept.reset();
	// New bytecode in the same piece (its decoded form is dropped).
	auto other = code("push.d 3\nret.d");
	scripts[0]->set_owned_bytecode(
		std::vector<uint8_t>(other->buffer.words, other->buffer.words + other->buffer.length));
	EXPECT_EQ(run(twice).real(), 6.0);
	scripts[0]->kind = CODE_EMPTY; // an empty piece answers the real 0
	vm_scripts_changed();
	EXPECT_EQ(run(twice).real(), 0.0);
	EXPECT_TRUE(ok);
}

TEST_F(CallTest, ExtensionFunctionsAnswerZeroUntilExtensionsExist)
{
	Value v = run("push.d 3\nconv.d.v\ncall.i #500000 1\npush.d 2\nadd.d.v");
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.real(), 2.0);
}

TEST_F(CallTest, DeepRecursionGivesTheStackError)
{
	// scr_down(n): if n > 0 return scr_down(n - 1) + 1; asked for 100000 levels.
	add_script("scr_down", "push.v self.argument0\npush.d 0\nsgt.d.v\nbf bottom\n"
	                       "push.v self.argument0\npush.d 1\nsub.d.v\ncall.i scr_down 1\n"
	                       "push.d 1\nadd.d.v\nret.v\n"
	                       "bottom:\npush.d 0\nret.d");
	EXPECT_EQ(run("push.d 20\nconv.d.v\ncall.i scr_down 1").real(), 20.0);
	EXPECT_TRUE(ok);

	script_arguments().values[0] = Value(7.0);
	run("push.d 100000\nconv.d.v\ncall.i scr_down 1");
	EXPECT_FALSE(ok);
	EXPECT_EQ(exits, 1);
	EXPECT_NE(error_last().find("DoCall :: Execution Error - stack overflow calling script scr_down"),
	          std::string::npos)
		<< error_last();
	// Everything the frames held is put back.
	EXPECT_EQ(script_arguments().values[0].real(), 7.0);

	// Afterwards the machine runs again normally.
	clear_error_state();
	EXPECT_EQ(run("push.d 3\nconv.d.v\ncall.i scr_down 1").real(), 3.0);
}

TEST_F(CallTest, NestedRunsFromBuiltins)
{
	CInstance *a = world.add(100001, 1);
	set(a, "tag", Value("a"));
	g_nested = code("push.v self.tag\npush.s \"!\"\nadd.s.v\nret.v", "nested");
	EXPECT_EQ(run("call.i vm_test_nested 0\npush.v self.tag\nadd.v.v", a).text(), "a!a");

	// An error inside the nested run stops the outer run too, reported once.
	g_nested = code("push.d 1\npush.d 0\ndiv.d.d", "nested");
	run("call.i vm_test_nested 0\npush.d 1\npop.v.d global.after", a);
	EXPECT_FALSE(ok);
	EXPECT_EQ(exits, 1);
	EXPECT_EQ(global("after").real(), 0.0);
	g_nested.reset();
}

TEST_F(CallTest, NestedRunsAreBounded)
{
	// A piece whose built-in call runs the piece again, without end.
	g_nested = code("call.i vm_test_nested 0\nret.v", "nested");
	run("call.i vm_test_nested 0");
	EXPECT_FALSE(ok);
	EXPECT_EQ(exits, 1);
	EXPECT_NE(error_last().find("code nested too deeply"), std::string::npos) << error_last();
	EXPECT_EQ(vm_run_depth(), 0);
	g_nested.reset();
}

TEST_F(CallTest, CodeExecuteByKind)
{
	CCode empty;
	Value result(4.0);
	EXPECT_TRUE(code_execute(nullptr, nullptr, empty, &result));
	CCode constant;
	constant.kind = CODE_CONSTANT;
	constant.constant = Value("k");
	EXPECT_TRUE(code_execute(nullptr, nullptr, constant, &result));
	EXPECT_EQ(result.text(), "k");
	auto failing = code("push.d 1\npush.d 0\ndiv.d.d");
	EXPECT_FALSE(code_execute_script(nullptr, nullptr, *failing, result));
	EXPECT_EQ(result.text(), "ERROR");
}
