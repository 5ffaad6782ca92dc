// codegen_test.cpp: code compiled from text on the bytecode machine beside the
// tree executor: a table of snippets with both results, the statement
// patterns the generator emits, line tables and compile-time refusals.
#include <gtest/gtest.h>

#include "code/compiler/code_compile.h"
#include "code/compiler/codegen.h"
#include "code/compiler/tree_exec.h"
#include "code/errors.h"
#include "code/variables.h"
#include "code/vm/instruction.h"
#include "vm_fixture.h"

namespace {

class Codegen : public VMTest
{
protected:
	void SetUp() override
	{
		VMTest::SetUp();
		self = world.add(100001, 1);
		other = world.add(100002, 2);
	}

	// The result of a piece on one executor, "ERROR" when its run fails.
	std::string result_on(const std::string &source, bool bytecode)
	{
		set_compile_to_bytecode(bytecode);
		CCode code;
		bool compiled = compile_code(code, source, "T", COMPILE_PROGRAM);
		set_compile_to_bytecode(true);
		if (!compiled)
			return "COMPILE: " + code_error_message();
		Value r;
		if (!execute_code(self, other, code, r) || exits)
			return "ERROR";
		return value_debug_text(r);
	}

	// The mnemonics of the generated code, one per instruction, with branch
	// targets as "->N" (instruction numbers).
	std::string listing(const std::string &source)
	{
		CodeTree tree;
		EXPECT_TRUE(compile_tree(tree, source, "T", COMPILE_PROGRAM)) << code_error_message();
		GeneratedCode g;
		EXPECT_TRUE(generate_code(tree, g)) << code_error_message();
		std::vector<uint32_t> starts;
		for (uint32_t pc = 0; pc < g.bytes.size();) {
			starts.push_back(pc);
			uint32_t w = g.bytes[pc] | g.bytes[pc + 1] << 8 | g.bytes[pc + 2] << 16 | (uint32_t)g.bytes[pc + 3] << 24;
			pc += instruction_length(w);
		}
		std::string out;
		for (uint32_t pc : starts) {
			uint32_t w = g.bytes[pc] | g.bytes[pc + 1] << 8 | g.bytes[pc + 2] << 16 | (uint32_t)g.bytes[pc + 3] << 24;
			const OpcodeInfo *info = opcode_info(word_opcode(w));
			out += info ? info->name : "?";
			if (info && info->format == BRANCH) {
				if (word_types(w) == POPENV_CLOSE_TYPES && word_opcode(w) == 0xBC) {
					out += ".close";
				} else {
					uint32_t target = pc + 4 * word_branch_distance(w);
					size_t n = 0;
					while (n < starts.size() && starts[n] < target)
						n++;
					out += "->" + std::to_string(n);
				}
			} else if (info && info->format != BRANCH) {
				out += type_suffix(word_t1(w));
				if (word_opcode(w) < 0x80 || (word_opcode(w) & 0xA0) == 0)
					out += type_suffix(word_t2(w));
			}
			out += ' ';
		}
		return out;
	}

	CInstance *self = nullptr, *other = nullptr;
};

} // namespace

TEST_F(Codegen, SnippetsOnBothExecutors)
{
	struct Case
	{
		const char *source, *tree, *machine;
	} cases[] = {
		{"return 1 = 1", "1", "1"},
		{"return 0.3 + 0.6 = 0.9", "0", "1"}, // exact on the tree, within 0.00001 on the machine
		{"return 1 / 3", "0.333333", "0.333333"},
		{"return 7 div 2", "3", "3"},
		{"return -7 div 2", "-3", "-3"},
		{"return -7 mod 2", "-1", "-1"},
		{"return 7 mod -2", "1", "1"},
		{"return 3 * 'ab'", "\"ababab\"", "\"ababab\""},
		{"return 'ab' * 3", "ERROR", "ERROR"},
		{"return 1 = '1'", "ERROR", "ERROR"},
		{"return 2147483647 + 1", "2147483648.000000", "2147483648.000000"},
		{"return 65536 * 65536", "4294967296.000000", "4294967296.000000"},
		{"return (1 < 2) + 1", "2", "2"},
		{"return 'a' + 'b' = 'ab'", "1", "1"},
		{"return 5 | 2 & 6", "6", "6"},
		{"return 1 << 4 >> 2", "4", "4"},
		{"return -(3)", "-3", "-3"},
		{"return !0 && 1", "1", "1"},
		{"return 1 xor 1", "0", "0"},
		{"return ~0", "-1", "-1"},
		{"var i, s; s = 0; for (i = 0; i < 10; i += 1) { if i mod 2 = 0 continue; s += i } return s", "25", "25"},
		{"var n; n = 0; repeat 3 n += 1; return n", "3", "3"},
		{"var n; n = 0; repeat 0 n += 1; return n", "0", "0"},
		{"var n; n = 0; repeat 5 { n += 1; if n = 2 break } return n", "2", "2"},
		{"var n, k; n = 0; k = 0; repeat 4 { n += 1; if n mod 2 continue; k += 1 } return k", "2", "2"},
		{"var n; n = 0; while n < 100 { n += 1; if n = 7 break } return n", "7", "7"},
		{"var n; n = 0; do n += 2; until n > 5 return n", "6", "6"},
		{"var s; s = ''; switch 2 { case 1: s += 'a' case 2: s += 'b' case 3: s += 'c'; break; default: s += 'd' } return s",
		 "\"bc\"", "\"bc\""},
		{"var s; s = ''; switch 9 { case 1: s += 'a' default: s += 'd' case 3: s += 'c' } return s", "\"dc\"",
		 "\"dc\""},
		{"var n, s; s = 0; for (n = 0; n < 4; n += 1) switch n { case 1: continue; default: s += n } return s", "5",
		 "5"},
		{"var n; n = 0; with all { n += 1; break } return n", "1", "1"},
		{"var n; n = 0; with all n += 1; return n", "2", "2"},
		{"with other { w = 5 } return other.w", "5", "5"},
		{"arr[3] = 7; arr[1, 2] = 5; return arr[3] + arr[1, 2]", "12", "12"},
		{"globalvar g; g = 2; return global.g + g", "4", "4"},
		{"s = 'a'; s += 'b'; return s", "\"ab\"", "\"ab\""},
		{"v = 1; v *= 3; v -= 1; v /= 4; return v", "0.500000", "0.500000"},
		{"exit; return 1", "0", "0"},
		{"return real('12') + 1", "13", "13"},
		{"return execute_string('return argument0 * 2', 21)", "42", "42"},
	};
	for (const Case &c : cases) {
		EXPECT_EQ(result_on(c.source, false), c.tree) << "tree: " << c.source;
		exits = 0;
		EXPECT_EQ(result_on(c.source, true), c.machine) << "machine: " << c.source;
		exits = 0;
	}
}

TEST_F(Codegen, StatementPatterns)
{
	EXPECT_EQ(listing("repeat 3 a = 1"),
	          "push.d conv.d.i dup.i push.i sle.i.i bt->13 push.d pop.v.d push.i sub.i.i dup.i conv.i.b bt->6 popz.i ");
	EXPECT_EQ(listing("for (i = 0; i < 3; i += 1) continue"),
	          "push.d pop.v.d push.v push.d slt.d.v bf->12 b->7 push.v push.d add.d.v pop.v.v b->2 ");
	EXPECT_EQ(listing("with all break"), "push.d conv.d.i pushenv->5 popenv.close b->6 popenv->3 ");
	EXPECT_EQ(listing("switch a { case 1: b = 1 case 2: b = 2; break; default: b = 3 }"),
	          "push.v dup.v push.d seq.d.v bt->11 dup.v push.d seq.d.v bt->13 b->16 b->18 push.d pop.v.d push.d "
	          "pop.v.d b->18 push.d pop.v.d popz.v ");
	EXPECT_EQ(listing("if a b = 1 else b = 2"), "push.v conv.v.b bf->6 push.d pop.v.d b->8 push.d pop.v.d ");
	EXPECT_EQ(listing("do a = 1 until a"), "push.d pop.v.d push.v conv.v.b bf->0 ");
	EXPECT_EQ(listing("real(1)"), "push.d conv.d.v call.i popz.v ");
}

TEST_F(Codegen, LineTableAndSource)
{
	CCode code;
	ASSERT_TRUE(compile_code(code, "a = 1\nb = 2\n\nc = 3", "Lines", COMPILE_PROGRAM));
	ASSERT_EQ(code.line_table.size(), 3u);
	EXPECT_EQ(code.line_table[1].position, 6u);
	std::string text;
	EXPECT_EQ(code.source_line(code.line_table[2].offset, &text), 3); // lines count from 0
	EXPECT_EQ(text, "c = 3");
	EXPECT_EQ(code.name, "Lines");
	EXPECT_FALSE(compile_code(code, "a = 1", "Lines", COMPILE_PROGRAM));
	EXPECT_NE(code_error_message().find("Internal Error: Recompiling compiled code."), std::string::npos);
	CCode empty;
	ASSERT_TRUE(compile_code(empty, "// nothing", "Empty", COMPILE_PROGRAM));
	EXPECT_FALSE(empty.has_bytecode());
	CCode constant;
	ASSERT_TRUE(compile_code(constant, "-12", "K", COMPILE_EXPRESSION));
	EXPECT_EQ(constant.kind, CODE_CONSTANT);
	Value r;
	ASSERT_TRUE(execute_code(self, other, constant, r));
	EXPECT_EQ(r.real(), -12);
}

TEST_F(Codegen, WithOverGlobalOrLocalIsRefused)
{
	CCode a, b;
	EXPECT_FALSE(compile_code(a, "with global x = 1", "T", COMPILE_PROGRAM));
	EXPECT_NE(code_error_message().find("Cannot use global in with statement."), std::string::npos);
	EXPECT_FALSE(compile_code(b, "with local x = 1", "T", COMPILE_PROGRAM));
	EXPECT_NE(code_error_message().find("Cannot use local in with statement."), std::string::npos);
}

TEST_F(Codegen, CompoundAssignmentFindsItsElementOnce)
{
	// execute_string in the place counts its runs in n; the right side may
	// change what the place was computed from.
	const char *count = "execute_string('n += 1; return argument0', ";
	struct Case
	{
		std::string source, result;
	} cases[] = {
		{std::string("n = 0; a[0] = 10; a[1] = 20; a[") + count + "1)] += 5;"
		 "return string(n) + ' ' + string(a[0]) + ' ' + string(a[1])",
		 "\"1 10 25\""},
		{std::string("n = 0; a[1, 2] = 3; a[") + count + "1), 2] *= 2; return string(n) + ' ' + string(a[1, 2])",
		 "\"1 6\""},
		{std::string("n = 0; other.v = 1; (") + count + "other.id)).v -= 4; return string(n) + ' ' + string(other.v)",
		 "\"1 -3\""},
		{std::string("n = 0; other.w[2] = 4; (") + count + "other.id)).w[" + count + "2)] |= 1;"
		 "return string(n) + ' ' + string(other.w[2])",
		 "\"2 5\""},
		{"i = 0; a[0] = 1; a[1] = 100; a[i] += execute_string('i = 1; return 5');"
		 "return string(a[0]) + ' ' + string(a[1]) + ' ' + string(i)",
		 "\"6 100 1\""},
		{"a[0] = 1; a[0] += execute_string('a[0] = 50; return 2'); return a[0]", "3"},
	};
	for (const Case &c : cases) {
		EXPECT_EQ(result_on(c.source, false), c.result) << "tree: " << c.source;
		EXPECT_EQ(result_on(c.source, true), c.result) << "machine: " << c.source;
		exits = 0;
	}
}

TEST_F(Codegen, GlobalvarDeclaresItsNamesWhenItRuns)
{
	for (bool bytecode : {false, true}) {
		SCOPED_TRACE(bytecode ? "machine" : "tree");
		reset_global_variables();
		set_compile_to_bytecode(bytecode);
		CCode declare;
		ASSERT_TRUE(compile_code(declare, "if (0) globalvar late; globalvar g", "D", COMPILE_PROGRAM));
		set_compile_to_bytecode(true);
		// Compiling declared nothing: g is still the instance's.
		EXPECT_EQ(result_on("g = 5; return string(self.g) + ' ' + string(global.g)", bytecode), "\"5 0\"");
		Value r;
		ASSERT_TRUE(execute_code(self, other, declare, r));
		EXPECT_EQ(result_on("g += 1; return string(self.g) + ' ' + string(global.g)", bytecode), "\"5 1\"");
		// A declaration that did not run declared nothing.
		EXPECT_EQ(result_on("late = 3; return string(self.late) + ' ' + string(global.late)", bytecode),
		          "\"3 0\"");
		// Within one piece, a name is the instance's until the declaration runs.
		EXPECT_EQ(result_on("h = 7; globalvar h; h += 2; return string(self.h) + ' ' + string(h)", bytecode),
		          "\"7 2\"");
	}
}
