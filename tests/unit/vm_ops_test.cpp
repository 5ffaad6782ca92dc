// vm_ops_test.cpp: the machine's opcodes on every family of operands: a table
// of small assembled pieces with the value each leaves, and the errors.
#include "code/errors.h"
#include "vm_fixture.h"

namespace {

struct OpCase
{
	const char *code;
	Value expected;
};

Value str(const char *s) { return Value(s); }

void expect_same(const Value &got, const Value &want, const char *code)
{
	EXPECT_EQ(got.kind(), want.kind()) << code;
	if (want.is_string())
		EXPECT_EQ(got.text(), want.text()) << code;
	else
		EXPECT_DOUBLE_EQ(got.real(), want.real()) << code;
}

} // namespace

TEST_F(VMTest, OperatorsOnTypePairs)
{
	const OpCase cases[] = {
		// add, sub, mul: doubles, ints (wrapping), mixed, strings
		{"push.d 2.5\npush.d 0.5\nadd.d.d", 3.0},
		{"push.i 2147483647\npush.i 1\nadd.i.i", -2147483648.0},
		{"push.i 2147483647\npush.d 1\nadd.d.i", 2147483648.0},
		{"push.s \"abc\"\npush.s \"def\"\nadd.s.s", str("abcdef")},
		{"push.d 1\npush.v global.never\nadd.v.d", 1.0},
		{"push.d 10\npush.i 4\nsub.i.d", 6.0},
		{"push.i 6\npush.i 7\nmul.i.i", 42.0},
		{"push.i 3\npush.s \"ab\"\nmul.s.i", str("ababab")},
		{"push.i 0\npush.s \"ab\"\nmul.s.i", str("")},
		// div, rem, mod
		{"push.d 7\npush.d 2\ndiv.d.d", 3.5},
		{"push.i 7\npush.i 2\ndiv.i.i", 3.0},
		{"push.d 7\npush.d 0.0001\ndiv.d.d", 70000.0},
		{"push.d 7.5\npush.d 2\nrem.d.d", 3.0},
		{"push.d -7\npush.d 2\nmod.d.d", -1.0},
		{"push.i -7\npush.i 2\nmod.i.i", -1.0},
		// bitwise and logical
		{"push.d 12\npush.d 10\nand.d.d", 8.0},
		{"push.d 12\npush.d 10\nor.d.d", 14.0},
		{"push.i 12\npush.i 10\nxor.i.i", 6.0},
		{"push.b true\npush.b false\nand.b.b", 0.0},
		{"push.b true\npush.b false\nor.b.b", 1.0},
		{"push.d 1\npush.d 4\nshl.d.d", 16.0},
		{"push.i 256\npush.i 36\nshr.i.i", 16.0}, // count & 31
		// neg and not
		{"push.d 5\nneg.d", -5.0},
		{"push.i 5\nneg.i", -5.0},
		{"push.d 0\nnot.d", -1.0},
		{"push.b false\nnot.b", 1.0},
		// comparisons with the tolerance, strings, ints
		{"push.d 0.1\npush.d 0.2\nadd.d.d\npush.d 0.3\nseq.d.d", 1.0},
		{"push.d 1\npush.d 1.000009\nseq.d.d", 1.0},
		{"push.d 1\npush.d 1.00002\nsne.d.d", 1.0},
		{"push.d 1\npush.d 1.00002\nslt.d.d", 1.0},
		{"push.d 1\npush.d 1.000009\nslt.d.d", 0.0},
		{"push.d 1\npush.d 1.000009\nsge.d.d", 1.0},
		{"push.d 2\npush.d 1\nsgt.d.d", 1.0},
		{"push.i 2\npush.i 2\nsle.i.i", 1.0},
		{"push.s \"abc\"\npush.s \"abd\"\nslt.s.s", 1.0},
		{"push.s \"ab\"\npush.s \"ab\"\nseq.s.s", 1.0},
		// conv
		{"push.d 0.5\nconv.d.b", 0.0},
		{"push.d 0.51\nconv.d.b", 1.0},
		{"push.d -0.7\nconv.d.b", 0.0},
		{"push.d -0.7\nconv.d.v\nconv.v.b", 1.0},
		{"push.d 2.5\nconv.d.s", str("2.5")},
		{"push.i 7\nconv.i.s", str("7")},
		{"push.l 9000000000\nconv.l.d", 9e9},
		{"push.f 1.5\nconv.f.d", 1.5},
		{"push.s \"  12abc\"\nconv.s.d", 12.0},
		{"push.b true\nconv.b.s", str("true")},
		{"push.s \"x\"\nconv.s.v", str("x")},
		{"push.d 3.9\nconv.d.i", 3.0},
		// push forms, dup and popz
		{"push.e 65535", -1.0},
		{"push.e -32768", -32768.0},
		{"push.s \"x\"\ndup.s\nadd.s.s", str("xx")},
		{"push.d 1\npush.s \"gone\"\npopz.s", 1.0},
		{"break.i 0\npush.d 4", 4.0},
		{"word 0x01000000\npush.d 4", 4.0}, // an opcode the table does not list does nothing
	};
	for (const OpCase &c : cases) {
		Value got = run(c.code);
		EXPECT_TRUE(ok) << c.code;
		expect_same(got, c.expected, c.code);
	}
	EXPECT_EQ(exits, 0);
}

TEST_F(VMTest, OperatorErrorsAreFatal)
{
	const struct
	{
		const char *code;
		const char *message;
	} cases[] = {
		{"push.d 1\npush.d 0.00000000001\ndiv.d.d", "DoDiv :: Divide by zero"},
		{"push.i 1\npush.i 0\nrem.i.i", "DoRem :: Divide by zero"},
		{"push.s \"a\"\npush.d 1\nadd.d.s", "DoAdd :: Execution Error"},
		{"push.s \"a\"\nneg.s", "DoNeg :: Execution Engine - Cannot operate on string type"},
		{"push.s \"a\"\npush.d 1\nslt.d.s", "DoSet :: Invalid comparison type"},
		{"push.d 1\nconv.d.d", "DoConv :: Execution Error"},
		{"push.d 1\ncall.d #0 0", "DoCall :: Execution Engine type error"},
		{"push.d 1\nword 0x4102FFFF\nword 0xA0000000", "Pop :: Execution Error - Instruction malformed"},
		{"push.f 1\npop.v.f global.x", "Pop :: Execution Engine"},
		{"add.d.d", "stack underflow"},
		{"b 0", "a branch jumps to itself"},
	};
	for (const auto &c : cases) {
		clear_error_state();
		exits = 0;
		run(c.code);
		EXPECT_FALSE(ok) << c.code;
		EXPECT_EQ(exits, 1) << c.code;
		EXPECT_EQ(exit_code, -1);
		EXPECT_NE(error_last().find(c.message), std::string::npos) << c.code << "\n" << error_last();
		EXPECT_EQ(error_last().rfind("FATAL ERROR in\n", 0), 0u) << error_last();
	}
}

TEST_F(VMTest, BranchesAndLoops)
{
	// global.i counts to 10 with a backward branch.
	Value v = run("push.d 0\n"
	              "pop.v.d global.i\n"
	              "loop:\n"
	              "push.v global.i\n"
	              "push.d 10\n"
	              "slt.d.v\n"
	              "bf done\n"
	              "push.v global.i\n"
	              "push.d 1\n"
	              "add.d.v\n"
	              "pop.v.v global.i\n"
	              "b loop\n"
	              "done:\n"
	              "push.v global.i\n");
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.real(), 10.0);

	// bt takes the branch on true; running onto the end finishes the run.
	v = run("push.b true\nbt skip\npush.d 1\nret.d\nskip:\npush.d 2");
	EXPECT_EQ(v.real(), 2.0);
	v = run("push.b true\nbt end\npush.d 1\nend:");
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.real(), 0.0); // nothing left on the stack: the real 0
}

TEST_F(VMTest, ConditionalBranchToItselfStopsWithoutHanging)
{
	// Distance 0 loops on the same instruction: bt pops each time, so the stack
	// runs dry and the run stops with an error; with a full stack of trues the
	// instruction budget stops it.
	vm_settings().instruction_budget = 5000;
	run("push.b true\npush.b true\nhere:\nbt here");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("stack underflow"), std::string::npos);

	clear_error_state();
	std::string code = "top:\npush.b true\nb top";
	run(code);
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("stack overflow"), std::string::npos) << error_last();

	clear_error_state();
	run("top:\npush.d 1\npopz.d\nb top");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("instruction limit reached"), std::string::npos) << error_last();
}
