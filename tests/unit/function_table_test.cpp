// function_table_test.cpp: lookup of called names across scripts, extension
// functions and built-ins, argument counts, script_execute, and the FUNC chunk
// binding of call instructions.
#include <gtest/gtest.h>

#include <cstring>

#include "builtin_call.h"
#include "code/arguments.h"
#include "code/errors.h"
#include "data/chunk.h"
#include "data/game_data.h"
#include "data/readers.h"
#include "data/walk.h"
#include "data/writer.h"
#include "test_util.h"

namespace {

// Scripts "foo" (index 3), "real" (index 4) and "bad" (index 5) for the hooks.
int32_t find_script(std::string_view name)
{
	return name == "foo" ? 3 : name == "real" ? 4 : name == "bad" ? 5 : -1;
}

const char *script_name(int32_t index)
{
	return index == 3 ? "foo" : index == 4 ? "real" : index == 5 ? "bad" : nullptr;
}

std::string g_seen; // the arguments a script run saw

bool run_script(int32_t index, CInstance *, CInstance *, Value &result)
{
	ScriptArguments &a = script_arguments();
	g_seen = std::to_string(a.count) + ":";
	for (int i = 0; i < MAX_ARGUMENTS; i++)
		g_seen += value_to_text(a.values[i]) + ",";
	if (index == 5) {
		code_error(CODE_ERROR_EXPRESSION, "x", 0, "broken");
		return false;
	}
	result.set_string("ran");
	return true;
}

int32_t find_extension(std::string_view name) { return name == "ext_zero" ? 0 : name == "ext_two" ? 2 : -1; }
int extension_count(int32_t id) { return id == 0 ? 3 : -1; }

class Functions : public ::testing::Test
{
protected:
	void SetUp() override
	{
		register_builtin_families();
		set_script_hooks({find_script, script_name, run_script});
		set_extension_hooks({find_extension, extension_count});
		clear_error_state();
		set_display_errors(false);
	}
	void TearDown() override
	{
		set_script_hooks({});
		set_extension_hooks({});
		clear_error_state();
		set_display_errors(true);
	}
};

TEST_F(Functions, LookupOrder)
{
	EXPECT_EQ(function_id("foo"), SCRIPT_ID_BASE + 3);
	EXPECT_EQ(function_id("real"), SCRIPT_ID_BASE + 4); // a script before the built-in
	EXPECT_EQ(function_id("ext_zero"), EXTENSION_ID_BASE);
	EXPECT_EQ(function_id("ext_two"), EXTENSION_ID_BASE + 2);
	EXPECT_EQ(function_id("string"), builtin_function_id("string"));
	EXPECT_GE(function_id("string"), 0);
	EXPECT_EQ(function_id("String"), -1);
	EXPECT_EQ(function_id(""), -1);
	set_script_hooks({});
	set_extension_hooks({});
	EXPECT_EQ(function_id("real"), builtin_function_id("real"));
	EXPECT_EQ(function_id("ext_zero"), -1);
}

TEST_F(Functions, ArgumentCounts)
{
	EXPECT_EQ(function_argument_count(builtin_function_id("chr")), 1);
	EXPECT_EQ(function_argument_count(builtin_function_id("script_execute")), -1);
	EXPECT_EQ(function_argument_count(SCRIPT_ID_BASE + 3), -1);
	EXPECT_EQ(function_argument_count(EXTENSION_ID_BASE), 3);
	EXPECT_EQ(function_argument_count(function_count()), -100);
	EXPECT_EQ(function_argument_count(-1), -100);
	set_extension_hooks({});
	EXPECT_EQ(function_argument_count(EXTENSION_ID_BASE), -100);
}

TEST_F(Functions, DuplicateNamesFindTheFirst)
{
	int before = function_count();
	register_function("real", nullptr, 7);
	EXPECT_EQ(function_count(), before + 1);
	EXPECT_NE(builtin_function_id("real"), before);
	EXPECT_EQ(function_entry(builtin_function_id("real"))->argc, 1);
	EXPECT_STREQ(function_entry(before)->name, "real");
}

TEST_F(Functions, ScriptExecuteSavesArguments)
{
	ScriptArguments &a = script_arguments();
	a.values[0] = Value("caller");
	a.values[15] = Value(15);
	a.count = 2;
	Value result = call_builtin("script_execute", {Value(3), Value(1), S("two")});
	EXPECT_EQ(result.text(), "ran");
	EXPECT_EQ(g_seen, "2:1,two,0,0,0,0,0,0,0,0,0,0,0,0,0,0,");
	EXPECT_EQ(a.values[0].text(), "caller");
	EXPECT_EQ(a.values[15].real(), 15);
	EXPECT_EQ(a.count, 2);

	std::vector<Value> many(17, Value(9));
	many[0] = Value(2.6); // rounds to script 3
	Value r2;
	function_entry(builtin_function_id("script_execute"))->routine(r2, nullptr, nullptr, 17, many.data());
	EXPECT_EQ(g_seen, "15:9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,0,");
}

TEST_F(Functions, ScriptExecuteFailures)
{
	ConsoleCapture capture;
	Value result = call_builtin("script_execute", {Value(5)});
	EXPECT_EQ(result.text(), "ERROR");
	EXPECT_EQ(code_error_message(), "In script bad:\nError in expression: x\n position 1: broken");

	result = call_builtin("script_execute", {Value(42)});
	EXPECT_TRUE(result.is_real());
	EXPECT_NE(error_last().find("Trying to execute non-existing script."), std::string::npos);
	set_script_hooks({});
	clear_error_state();
	call_builtin("script_execute", {Value(3)});
	EXPECT_NE(error_last().find("Trying to execute non-existing script."), std::string::npos);
}

// A game whose one code entry calls foo, real and foo again; the FUNC chunk
// chains the two calls of foo and the one of real.
struct CallGame
{
	GameData game;
	uint32_t code_at = 0; // file offset of the bytecode
};

uint32_t call_word(int argc) { return 0xDAu << 24 | 2u << 16 | (uint32_t)argc; }

void build_call_game(CallGame &g, const char *first_name, uint32_t foo_distance, uint32_t foo_count = 2)
{
	DataFileWriter w;
	ChunkBuilder &code = w.chunk("CODE");
	code.u32(1).ref(8);
	code.string_ref("main").u32(24);
	code.u32(call_word(1)).u32(foo_distance); // 0: foo
	code.u32(call_word(1)).u32(0);            // 8: real
	code.u32(call_word(0)).u32(0);            // 16: foo
	ChunkBuilder &func = w.chunk("FUNC");
	func.string_ref(first_name).u32(foo_count).ref_to(code.index(), 16);
	func.string_ref("real").u32(1).ref_to(code.index(), 24);
	g.game.block.bytes = w.build();
	ASSERT_TRUE(first_pass(g.game).ok);
	g.code_at = g.game.code_entries.at(0) + 8;
}

Chunk find_chunk(const GameData &game, const char *tag)
{
	Chunk found;
	for_each_chunk(game.file(), [&](const Chunk &c) {
		if (c.tag == make_tag("FUNC") && std::strcmp(tag, "FUNC") == 0)
			found = c;
	});
	return found;
}

TEST_F(Functions, FuncChunkPatchesEveryCall)
{
	CallGame g;
	build_call_game(g, "foo", 16);
	ASSERT_TRUE(read_functions(g.game, find_chunk(g.game, "FUNC"), {}));
	ByteReader file = g.game.file();
	EXPECT_EQ(file.u32(g.code_at + 4), (uint32_t)(SCRIPT_ID_BASE + 3));
	EXPECT_EQ(file.u32(g.code_at + 12), (uint32_t)(SCRIPT_ID_BASE + 4)); // "real" is also a script
	EXPECT_EQ(file.u32(g.code_at + 20), (uint32_t)(SCRIPT_ID_BASE + 3));
	EXPECT_EQ(file.u32(g.code_at), call_word(1));
}

TEST_F(Functions, FuncChunkChainsAreChecked)
{
	// A distance that leaves the code, and a chain that lands on a non-call.
	for (uint32_t distance : {4000u, 4u, 0xFFFFFFF0u}) {
		CallGame g;
		build_call_game(g, "foo", distance);
		EXPECT_THROW(read_functions(g.game, find_chunk(g.game, "FUNC"), {}), DataError) << distance;
	}
	CallGame g;
	build_call_game(g, "foo", 16, 0x40000000u);
	EXPECT_THROW(read_functions(g.game, find_chunk(g.game, "FUNC"), {}), DataError);
}

TEST_F(Functions, FuncChunkUnknownNameFailsTheLoad)
{
	CallGame g;
	build_call_game(g, "nowhere", 16);
	set_display_errors(true);
	ConsoleCapture capture;
	testing::internal::CaptureStderr();
	LoadResult r = main_walk(g.game);
	std::string err = testing::internal::GetCapturedStderr();
	EXPECT_FALSE(r.ok);
	EXPECT_EQ(r.error, "");
	EXPECT_NE(err.find("Error on load\r\nUnable to find function nowhere\r\n"), std::string::npos) << err;
	EXPECT_EQ(error_last(), "Error on load\nUnable to find function nowhere\n");
}

TEST(FunctionBinding, UnknownFunctionEndsTheProgramWithOne)
{
	DataFileWriter w;
	GameHeader h;
	h.major_version = 8;
	write_header(w, h, "Calls", "Default");
	ChunkBuilder &code = w.chunk("CODE");
	code.u32(1).ref(8);
	code.string_ref("main").u32(8);
	code.u32(call_word(0)).u32(0);
	w.chunk("FUNC").string_ref("no_such_function").u32(1).ref_to(code.index(), 16);
	TempDir dir;
	dir.write("calls.win", w.build());
	ProgramResult r =
		run_program(ZENTRIX_BIN, {"-game", dir.file("calls.win"), "--headless", "--unpaced", "--frames", "2"});
	EXPECT_EQ(r.exit_code, 1);
	EXPECT_NE(r.err.find("Unable to find function no_such_function"), std::string::npos) << r.err;
	EXPECT_NE(r.out.find("ERROR!!! :: Error on load\nUnable to find function no_such_function\n"), std::string::npos)
		<< r.out;
}

} // namespace
