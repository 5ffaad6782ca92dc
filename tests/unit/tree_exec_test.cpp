// tree_exec_test.cpp: the tree executor: a table of snippets with their
// results (value rules, statements, edge cases), its run-time errors, `with`
// over instance sets, scripts, and execute_string / execute_file.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

#include "builtin_call.h"
#include "code/arguments.h"
#include "code/compiler/compiler.h"
#include "code/compiler/tree_exec.h"
#include "code/constants.h"
#include "code/errors.h"
#include "code/variables.h"
#include "code/vm/machine.h"
#include "data/game_data.h"
#include "code/compiler/code_compile.h"
#include "test_util.h"
#include "world/instance.h"

namespace {

class Room : public IInstanceDirectory
{
public:
	Room() { set_instance_directory(this); }
	~Room() override { set_instance_directory(nullptr); }
	CInstance *add(int32_t id, int32_t object)
	{
		m_all.push_back(std::make_unique<CInstance>(id, object));
		m_objects[object] = true;
		return m_all.back().get();
	}
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

class TreeExec : public ::testing::Test
{
protected:
	void SetUp() override
	{
		register_builtin_families();
		clear_error_state();
		reset_global_variables();
		prepare_user_constants(GameData()); // only the built-in constants: `a` is a variable here
		self = room.add(100001, 1);
		other = room.add(100002, 2);
	}

	// The result as diagnostics print it, or "ERROR: " and the error's last line.
	std::string run(const std::string &source, CompileMode mode = COMPILE_PROGRAM)
	{
		CodeTree tree;
		if (!compile_tree(tree, source, "T", mode))
			return "COMPILE: " + last_line(code_error_message());
		Value result;
		if (!execute_tree(tree, self, other, result))
			return "ERROR: " + last_line(code_error_message());
		return value_debug_text(result);
	}
	static std::string last_line(const std::string &m)
	{
		size_t at = m.rfind("position ");
		return at == std::string::npos ? m : m.substr(at);
	}

	// Calls a built-in with self and other as game code would.
	Value call_as_self(const char *name, std::initializer_list<Value> args)
	{
		const BuiltinEntry *entry = function_entry(builtin_function_id(name));
		std::vector<Value> argv(args);
		Value result;
		entry->routine(result, self, other, (int)argv.size(), argv.data());
		return result;
	}

	Room room;
	CInstance *self = nullptr, *other = nullptr;
};

} // namespace

TEST_F(TreeExec, SnippetResults)
{
	struct Case
	{
		const char *source, *result;
	} cases[] = {
		// `=` compares inside an expression.
		{"return 1 = 1", "1"},
		{"a = 1 = 1; return a", "1"},
		{"return 'a' = 'a'", "1"},
		// Exact comparison: 0.3 + 0.6 is not 0.9 here.
		{"return 0.3 + 0.6 = 0.9", "0"},
		{"return 0.3 + 0.6 < 0.9", "1"},
		{"return 1 / 3", "0.333333"},
		{"return 7 div 2", "3"},
		{"return -7 div 2", "-3"},
		{"return 7 div -2", "-3"},
		{"return -7 mod 2", "-1"},
		{"return 7 mod -2", "1"},
		{"return 7.5 mod 2", "1.500000"},
		{"return -2147483648 div -1", "2147483648.000000"},
		{"return 3 * 'ab'", "\"ababab\""},
		{"return 2.5 * 'ab'", "\"abab\""}, // round(2.5) is 2
		{"return 0 * 'ab'", "\"\""},
		{"return 'ab' + 'cd'", "\"abcd\""},
		{"return 5 | 2 & 6 ^ 1", "7"},
		{"return 1 << 33", "2"},
		{"return -8 >> 1", "-4"},
		{"return 2.5 | 0", "2"},
		{"return ~0", "-1"},
		{"return !0.4 + !0.5", "1"},
		{"return 0.5 && 1", "1"},
		{"return 0.4 || 0.49", "0"},
		{"return 1 xor 1", "0"},
		{"return -(2 + 3) * 2", "-10"},
		{"return 2147483647 + 1", "2147483648.000000"},
		{"return $FF + $10", "271"},
		{"return \"it's\" + 'say \"hi\"'", "\"it'ssay \"hi\"\""},
		// Statements.
		{"var i, s; s = 0; for (i = 0; i < 10; i += 1) { if i mod 2 = 0 continue; s += i } return s", "25"},
		{"var n; n = 0; repeat 3.5 n += 1; return n", "4"},
		{"var n; n = 0; repeat -2 n += 1; return n", "0"},
		{"var n; n = 0; while n < 100 { n += 1; if n = 7 break } return n", "7"},
		{"var n; n = 0; do n += 2; until n > 5 return n", "6"},
		{"var s; s = ''; switch 2 { case 1: s += 'a' case 2: s += 'b' case 3: s += 'c'; break; default: s += 'd' } return s",
		 "\"bc\""},
		{"var s; s = ''; switch 9 { case 1: s += 'a' default: s += 'd' case 3: s += 'c' } return s", "\"dc\""},
		{"switch 'x' { case 1: return 1 case 'x': return 2 }", "2"},
		{"w = 4; exit; w = 5", "0"}, {"return w", "4"},
		{"break; return 3", "3"}, // nothing outside a loop
		{"arr[3] = 7; arr[1, 2] = 5; return arr[3] + arr[1, 2] + arr[0]", "12"},
		{"globalvar g; g = 2; return global.g + g", "4"},
		{"self.z = 3; return z", "3"},
		{"v = 1; v *= 3; v -= 1; v /= 4; v |= 4; v &= 5; v ^= 1; return v", "5"},
		{"s = 'a'; s += 'b'; return s", "\"ab\""},
		{"if 0.49999999 return 1 else return 2", "1"}, {"if 0.49999 return 1 else return 2", "2"}, // single-precision condition
		{"return real('12') + 1", "13"},
		{"return pi > 3.14159 && pi < 3.1416", "1"},
		{"return noone.x", "0"},
	};
	for (const Case &c : cases)
		EXPECT_EQ(run(c.source), c.result) << c.source;
	EXPECT_EQ(run("(1 + 2) * 3", COMPILE_EXPRESSION), "9");
	EXPECT_EQ(run("3 * 'ab'", COMPILE_EXPRESSION), "\"ababab\"");
}

TEST_F(TreeExec, RunTimeErrors)
{
	struct Case
	{
		const char *source, *error;
	} cases[] = {
		{"return 'ab' * 3", "position 13: Wrong type of arguments to *."},
		{"return 1 = '1'", "position 10: Cannot compare arguments."},
		{"return 1 + 'a'", "position 10: Wrong type of arguments to +."},
		{"return 'a' - 'b'", "position 12: Wrong type of arguments to -."},
		{"return 1 / 0", "position 10: Division by 0."},
		{"return 1 div 0.5", "position 10: Division by 0."},
		{"return 1 mod 0", "position 10: Modulo by 0."},
		{"return 'a' div 1", "position 12: Wrong type of arguments to div."},
		{"return 'a' mod 1", "position 12: Wrong type of arguments to mod."},
		{"return 'a' / 1", "position 12: Wrong type of arguments to /."},
		{"return 'a' && 1", "position 12: Wrong type of arguments for &&."},
		{"return 'a' || 1", "position 12: Wrong type of arguments for ||."},
		{"return 'a' ^^ 1", "position 12: Wrong type of arguments for ^^."},
		{"return 'a' | 1", "position 12: Wrong type of arguments for |."},
		{"return 'a' << 1", "position 12: Wrong type of arguments for <<."},
		{"return -'a'", "position 8: Wrong type of arguments to unary operator."},
		{"if 'a' x = 1", "position 4: bool expression expected"},
		{"while 'a' x = 1", "position 7: bool expression expected"},
		{"repeat 'a' x = 1", "position 8: Repeat count must be a number"},
		{"with 'a' x = 1", "position 6: Object id expected"},
		{"with global x = 1", "position 6: Cannot use global in with statement."},
		{"with local x = 1", "position 6: Cannot use local in with statement."},
		{"return a['x']", "position 10: Wrong type of array index"},
		{"return a[-1]", "position 10: Negative array index"},
		{"a[32000] = 1", "position 3: Array index >= 32000"},
		{"a[2] = 1; return a[5]", "position 18: Unknown variable a or array index out of bounds"},
		{"return 5.q", "position 10: Unknown variable q or array index out of bounds"},
		{"s = 'a'; s -= 1", "position 10: Left hand side must be a real value."},
		{"s = 'a'; s *= 2", "position 10: Left hand side must be a real value."},
		{"return 1000000000 * 'ab'", "position 19: String too long."},
		{"var x", "COMPILE: position 5: Cannot redeclare a builtin variable."},
	};
	for (const Case &c : cases) {
		std::string want = c.error;
		if (want.rfind("COMPILE", 0) != 0)
			want = "ERROR: " + want;
		EXPECT_EQ(run(c.source), want) << c.source;
	}
	EXPECT_EQ(run("1 + 5.q", COMPILE_EXPRESSION), "ERROR: position 7: Unknown variable q or array index out of bounds");
}

TEST_F(TreeExec, InternalErrors)
{
	CodeTree tree;
	Value r;
	EXPECT_FALSE(execute_tree(tree, self, other, r));
	EXPECT_NE(code_error_message().find("Internal Error: Executing non-compiled code->"), std::string::npos);
	ASSERT_TRUE(compile_tree(tree, "x = 1", "T", COMPILE_PROGRAM));
	EXPECT_FALSE(execute_tree(tree, nullptr, other, r));
	EXPECT_NE(code_error_message().find("Internal Error: Executing code for nil instance."), std::string::npos);
}

TEST_F(TreeExec, WithVisitsTheMachinesInstanceSets)
{
	CInstance *a = room.add(100010, 7), *b = room.add(100011, 7), *c = room.add(100012, 7);
	b->marked = true; // destroyed: not visited
	EXPECT_EQ(run("var s; s = ''; with 7 s += string(id); return s"), "\"100010100012\"");
	c->marked = false;
	room.add(100013, 7);
	// Three or more run in reverse list order, as on the bytecode machine.
	EXPECT_EQ(run("var s; s = ''; with 7 s += string(id) + ','; return s"), "\"100013,100012,100010,\"");
	EXPECT_EQ(run("with 100012 { v = other.id } return 100012.v"), "100001");
	EXPECT_EQ(run("with other { w = 5 } return other.w"), "5");
	EXPECT_EQ(run("var n; n = 0; with 7 { n += 1; break } return n"), "1");
	EXPECT_EQ(run("with all { k = 1 }; return 100011.k + 100012.k"), "ERROR: position 35: Unknown variable k or array index out of bounds");
	EXPECT_EQ(run("with noone { k = 1 } return 9"), "9");
	(void)a;
}

namespace {

CodeTree *g_script = nullptr;

int32_t find_twice(std::string_view name) { return name == "twice" ? 0 : -1; }
const char *twice_name(int32_t index) { return index == 0 ? "twice" : nullptr; }
bool run_twice(int32_t, CInstance *self, CInstance *other, Value &result)
{
	return execute_tree(*g_script, self, other, result);
}

} // namespace

TEST_F(TreeExec, ScriptsAndNestedRuns)
{
	ScriptHooks hooks;
	hooks.find = find_twice;
	hooks.name = twice_name;
	hooks.run = run_twice;
	set_script_hooks(hooks);
	CodeTree script;
	ASSERT_TRUE(compile_tree(script, "if argument0 <= 1 return 1; return argument0 * twice(argument0 - 1)",
	                         "twice", COMPILE_PROGRAM));
	g_script = &script;
	EXPECT_EQ(run("argument0 = 'keep'; return twice(5)"), "120");
	EXPECT_EQ(value_to_text(script_arguments().values[0]), "keep");
	// Runaway recursion stops with an error instead of overflowing the stack.
	EXPECT_EQ(run("return twice(1000)").rfind("ERROR", 0), 0u);
	set_script_hooks(ScriptHooks());
}

TEST_F(TreeExec, ExecuteStringAndFile)
{
	set_compile_to_bytecode(false); // the machine's errors end the process
	EXPECT_EQ(value_to_text(call_as_self("execute_string", {S("return argument0 + argument1"), 2, 3})), "5");
	EXPECT_EQ(value_to_text(call_as_self("execute_string", {S("return 3 * 'ab'")})), "ababab");
	ConsoleCapture console;
	call_as_self("execute_string", {S("x = ")});
	EXPECT_NE(error_last().find("COMPILATION ERROR in string to be executed\nError in code at line 1:\n   x = \n\nat position 4: Expression expected"),
	          std::string::npos)
		<< error_last();
	call_as_self("execute_string", {S("return 1 / 0")});
	EXPECT_NE(error_last().find("Division by 0."), std::string::npos);
	TempDir dir;
	dir.write("code.txt", "var a;\na = argument0 * 2\nreturn a + 1");
	EXPECT_EQ(value_to_text(call_as_self("execute_file", {S(dir.file("code.txt").c_str()), 4})), "9");
	dir.write("bad.txt", "a = 1\nb = (2");
	call_as_self("execute_file", {S(dir.file("bad.txt").c_str())});
	EXPECT_NE(error_last().find("COMPILATION ERROR in file to be executed\nError in code at line 2:\n   b = (2\n\nat position 7: Symbol ) expected."),
	          std::string::npos)
		<< error_last();
	call_as_self("execute_file", {S(dir.file("missing.txt").c_str())});
	EXPECT_NE(error_last().find("Trying to execute non-existing file."), std::string::npos);
	set_compile_to_bytecode(true);
}

TEST_F(TreeExec, ExecuteKeepsTheCallersArgumentsAndReadsFilesSafely)
{
	set_compile_to_bytecode(false);
	ScriptArguments &arguments = script_arguments();
	arguments.values[0] = S("a0");
	arguments.values[5] = S("a5");
	arguments.count = 6;
	// The given arguments replace the caller's, the rest read the real 0, and
	// the caller's come back afterwards.
	EXPECT_EQ(value_to_text(call_as_self(
				  "execute_string", {S("return argument0 + argument1 + string(argument5) + string(argument_count)"),
	                                 S("x"), S("y")})),
	          "xy02");
	EXPECT_EQ(value_to_text(arguments.values[0]), "a0");
	EXPECT_EQ(value_to_text(arguments.values[5]), "a5");
	EXPECT_EQ(arguments.count, 6);
	// At most 15 arguments follow the text; a sixteenth is not used.
	std::vector<Value> many = {S("return argument14 * 100 + argument15")};
	for (int i = 0; i < 16; i++)
		many.push_back(Value(i + 1.0));
	Value result;
	function_entry(builtin_function_id("execute_string"))->routine(result, self, other, 17, many.data());
	EXPECT_EQ(value_to_text(result), "1500");

	ConsoleCapture console;
	TempDir dir;
	struct Case
	{
		std::string name, content, expected; // the result, or a piece of the error
	} cases[] = {
		{"crlf.txt", "a = 2\r\nreturn a + argument0\r\n", "5"},
		{"crlf_bad.txt", "a = 2\r\nb = (a\r\n", "Error in code at line 2:\n   b = (a\n\nat position 7: Symbol ) expected."},
		{"last_line.txt", "return 7", "7"},
		{"empty.txt", "", "0"},
		{"folder", "", "Trying to execute non-existing file."},
		{"huge.txt", std::string((8u << 20) + 1, ' '), "Trying to execute a file larger than 8 MiB: "},
	};
	std::filesystem::create_directory(dir.file("folder"));
	for (const Case &c : cases) {
		if (c.name != "folder")
			dir.write(c.name, c.content);
		clear_error_state();
		std::string got = value_to_text(call_as_self("execute_file", {S(dir.file(c.name).c_str()), 3}));
		if (error_last().empty())
			EXPECT_EQ(got, c.expected) << c.name;
		else
			EXPECT_NE(error_last().find(c.expected), std::string::npos) << c.name << ": " << error_last();
	}
	set_compile_to_bytecode(true);
}

TEST_F(TreeExec, ConstantValuesAreCompiledExpressions)
{
	CInstance temporary(0, 0);
	Value v;
	ASSERT_TRUE(evaluate_constant_text("Constant.0", "2 * pi + $10", &temporary, v));
	EXPECT_NEAR(v.real(), 2 * 3.1415927410125732 + 16, 1e-12);
	ASSERT_TRUE(evaluate_constant_text("Constant.1", "'a' + \"b\"", &temporary, v));
	EXPECT_EQ(v.text(), "ab");
	EXPECT_FALSE(evaluate_constant_text("Constant.2", "1 +", &temporary, v));
	EXPECT_FALSE(evaluate_constant_text("Constant.3", "1 / 0", &temporary, v));
}

namespace {

int32_t find_extension(std::string_view name) { return name == "ext_twice" ? 7 : -1; }
int extension_argc(int32_t) { return 1; }

} // namespace

TEST_F(TreeExec, ExtensionFunctionsGoThroughThePackagesLayer)
{
	ExtensionHooks ext;
	ext.find = find_extension;
	ext.argument_count = extension_argc;
	set_extension_hooks(ext);
	VMHooks vm;
	vm.call_extension = [](int32_t id, int argc, const Value *args, Value &result) {
		result.set_real(id * 100 + argc * 10 + args[0].real() * 2);
	};
	set_vm_hooks(vm);
	EXPECT_EQ(run("return ext_twice(3)"), "716");
	EXPECT_EQ(run("return ext_twice(3, 4)"), "COMPILE: position 8: Wrong number of arguments to function or script.");
	set_vm_hooks(VMHooks());
	set_extension_hooks(ExtensionHooks());
}
