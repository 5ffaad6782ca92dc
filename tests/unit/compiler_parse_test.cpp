// compiler_parse_test.cpp: the compiler's front end: tokens, precedence, the
// statement grammar, every parse error with its line and position, and the
// protection against deep nesting.
#include <gtest/gtest.h>

#include "code/compiler/compiler.h"
#include "code/errors.h"
#include "code/function_table.h"

namespace {

std::string dump_program(const std::string &source, CompileMode mode = COMPILE_PROGRAM)
{
	register_builtin_families();
	CodeTree tree;
	if (!compile_tree(tree, source, "T", mode))
		return "ERROR: " + code_error_message();
	std::string d = dump_tree(tree);
	return d.substr(d.find('\n') + 1);
}

// The last line of the code error (the position and the message).
std::string error_of(const std::string &source, CompileMode mode = COMPILE_PROGRAM)
{
	register_builtin_families();
	CodeTree tree;
	if (compile_tree(tree, source, "T", mode))
		return "compiled";
	const std::string &m = code_error_message();
	size_t at = m.rfind("position ");
	return at == std::string::npos ? m : m.substr(at);
}

} // namespace

TEST(CompilerParse, PrecedenceLevels)
{
	struct Case
	{
		const char *source, *dump;
	} cases[] = {
		{"1 + 2 * 3", "(1 + (2 * 3))"},
		{"a || b && c", "((a || b) && c)"},           // one level, left to right
		{"a = 1 | 2", "(a = (1 | 2))"},               // bit operators bind tighter than comparisons
		{"1 | 2 & 3 ^ 4", "(((1 | 2) & 3) ^ 4)"},
		{"1 << 2 + 3", "(1 << (2 + 3))"},
		{"a < b == c", "((a < b) == c)"},
		{"7 div 2 mod 3", "((7 div 2) mod 3)"},
		{"-a.b * 2", "(-a.b * 2)"},
		{"not a and b", "(!a && b)"},
		{"a xor b or c", "((a ^^ b) || c)"},
		{"-3 - -2", "(-3 - -2)"},
		{"$1F + .5", "(31 + 0.500000)"},
		{"'it''s' + \"x\"", "ERROR"},
		{"other.a.b[1, 2]", "other.a.b[1,2]"},
	};
	for (const Case &c : cases) {
		std::string got = dump_program(c.source, COMPILE_EXPRESSION);
		if (std::string(c.dump) == "ERROR")
			EXPECT_EQ(got.rfind("ERROR", 0), 0u) << c.source;
		else
			EXPECT_EQ(got, std::string(c.dump) + "\n") << c.source;
	}
}

TEST(CompilerParse, StatementsAndLexicalForms)
{
	std::string src = "// a comment\n"
	                  "var i, s; globalvar g\n"
	                  "/* block\n comment */ s = 'single' + \"double\"\n"
	                  "begin if i = 1 then s += 'x' else { s -= 2 } end\n"
	                  "for (i = 0; i < 3; i += 1) { continue }\n"
	                  "while i > 0 do i -= 1\n"
	                  "do i += 1; until i >= 2\n"
	                  "repeat 3 break\n"
	                  "with other do x = 1\n"
	                  "switch i { case 1: case 2: exit; default: return i }\n"
	                  "(other).y *= 2; a[1] |= 1; a[1,2] &= 3; b ^= 4; c /= 5";
	std::string d = dump_program(src);
	EXPECT_EQ(d.rfind("ERROR", 0), std::string::npos) << d;
	for (const char *piece : {"var i, s", "globalvar g", "s = (\"single\" + \"double\")", "if (i = 1)",
	                          "s += \"x\"", "s -= 2", "continue", "until (i >= 2)", "repeat 3", "with other",
	                          "case 1:", "default:", "return i", "other.y *= 2", "a[1] |= 1",
	                          "a[1,2] &= 3", "b ^= 4", "c /= 5"})
		EXPECT_NE(d.find(piece), std::string::npos) << piece << "\n" << d;
}

TEST(CompilerParse, EveryParseErrorWithItsPosition)
{
	struct Case
	{
		const char *source, *error;
	} cases[] = {
		{"x = 1; )", "position 8: Unexpected symbol."},
		{"x = 1 @", "position 7: Unexpected symbol."},
		{"x = )", "position 5: Unexpected symbol in expression."},
		{"x = 1 + ;", "position 9: (Sub-)expression expected."},
		{"x = ;", "position 5: Expression expected"},
		{"x = 1; 5", "position 8: Statement expected."},
		{"var 5", "position 5: Variable name expected."},
		{"a.(b) = 1", "position 3: Variable name expected."},
		{"x 5", "position 3: Assignment operator expected."},
		{"a.b(1)", "position 3: Function name expected."},
		{"for i = 0", "position 5: Symbol ( expected."},
		{"for (i = 0; i < 2; i += 1 x = 1", "position 27: Symbol ) expected."},
		{"x = (1 + 2", "position 11: Symbol ) expected."},
		{"x = real(\"1\" 2)", "position 14: Symbol , or ) expected."},
		{"x = a[1, 2 3]", "position 12: Symbol ] expected."},
		{"x = a[1 2]", "position 9: Symbol , or ] expected."},
		{"x = a[1, 2, 3]", "position 11: Only 1- and 2-dimensional arrays are supported."},
		{"switch x { case 1 x = 2 }", "position 19: Symbol : expected."},
		{"switch x case 1: y = 1", "position 10: Symbol {  expected."},
		{"{ x = 1", "position 8: Symbol  } expected."},
		{"switch x { case 1: y = 1", "position 25: Symbol  } expected."},
		{"do x = 1", "position 9: Keyword until expected."},
		{"case 1: x = 1", "position 1: Case statement only allowed inside switch statement."},
		{"default: x = 1", "position 1: Default statement only allowed inside switch statement."},
		{"if x", "position 5: Unexpected end of code reached."},
		{"x = 'open", "position 5: Unexpected end of code reached."},
		{"x = 1 /* open", "position 7: Unexpected end of code reached."},
		{"x = 1 }", "position 7: Program ends before end of the code."},
		{"5 + 3", "position 1: This is not a program."},
		{"x = no_such_function(1)", "position 5: Unknown function or script: no_such_function"},
		{"x = real(1, 2)", "position 5: Wrong number of arguments to function or script."},
		{"x = $", "position 5: Unexpected symbol."},
		{"x = 1 +", "position 8: (Sub-)expression expected."},
	};
	for (const Case &c : cases)
		EXPECT_EQ(error_of(c.source), c.error) << c.source;
	// An extra test of the error that closes the list: an expression ends early.
	EXPECT_EQ(error_of("1 2", COMPILE_EXPRESSION), "position 3: Unexpected symbol.");
}

TEST(CompilerParse, ErrorTextsCarryLineAndMode)
{
	register_builtin_families();
	CodeTree tree;
	EXPECT_FALSE(compile_tree(tree, "x = 1\ny = 2 +\n  z = *", "T", COMPILE_PROGRAM));
	EXPECT_EQ(code_error_message(), "Error in code at line 3:\n     z = *\n\nat position 7: Unexpected symbol in expression.");
	CodeTree e;
	EXPECT_FALSE(compile_tree(e, "1 + (2", "T", COMPILE_EXPRESSION));
	EXPECT_EQ(code_error_message(), "Error in expression: 1 + (2\n position 7: Symbol ) expected.");
}

TEST(CompilerParse, RecompilingIsRefused)
{
	CodeTree tree;
	ASSERT_TRUE(compile_tree(tree, "x = 1", "T", COMPILE_PROGRAM));
	EXPECT_FALSE(compile_tree(tree, "x = 2", "T", COMPILE_PROGRAM));
	EXPECT_NE(code_error_message().find("Internal Error: Recompiling compiled code."), std::string::npos);
	ASSERT_TRUE(tree.root);
	EXPECT_EQ(tree.kind, TREE_PROGRAM);
}

TEST(CompilerParse, ArgumentCountRule)
{
	std::string many = "x = real(";
	for (int i = 0; i < 17; i++)
		many += i ? ",1" : "1";
	many += ")";
	EXPECT_EQ(error_of(many), "position 5: Wrong number of arguments to function or script.");
	EXPECT_EQ(error_of("x = real()"), "position 5: Wrong number of arguments to function or script.");
	EXPECT_EQ(error_of("x = real(1)"), "compiled");
}

TEST(CompilerParse, DeepNestingIsAnErrorNotACrash)
{
	for (std::string open : {"(", "-", "{", "if 1 ", "a[", "real("}) {
		std::string src = "x = ";
		if (open == "{" || open == "if 1 ")
			src.clear();
		for (int i = 0; i < 20000; i++)
			src += open;
		std::string e = error_of(src);
		EXPECT_NE(e.find("Code is nested too deeply."), std::string::npos) << open << ": " << e.substr(0, 80);
	}
	std::string chain = "x = 1";
	for (int i = 0; i < 20000; i++)
		chain += "+1";
	EXPECT_NE(error_of(chain).find("Code is nested too deeply."), std::string::npos);
	std::string members = "x = a";
	for (int i = 0; i < 20000; i++)
		members += ".a";
	EXPECT_NE(error_of(members).find("Code is nested too deeply."), std::string::npos);
	// Long but shallow code is fine.
	std::string flat;
	for (int i = 0; i < 20000; i++)
		flat += "x = x + 1;\n";
	EXPECT_EQ(error_of(flat), "compiled");
}
