// vm_fused_test.cpp: the combined handlers that run common instruction
// sequences at once give what the instructions one by one give: each piece
// runs once with them and once counting instructions (which runs every
// instruction alone), including the cases where they must step aside.
#include "code/arguments.h"
#include "code/compiler/code_compile.h"
#include "code/errors.h"
#include "code/variables.h"
#include "code/value.h"
#include "vm_fixture.h"

namespace {

class Fused : public VMTest
{
protected:
	// The result text of a piece ("ERROR" when it fails), run fresh on a new instance.
	std::string outcome(const std::string &text, bool combined)
	{
		vm_settings().instruction_budget = combined ? -1 : 10000000;
		reset_global_variables();
		CInstance *self = world.add(100001 + (int32_t)runs++, 1);
		exits = 0;
		Value v = run(text, self, self);
		return ok && exits == 0 ? value_debug_text(v) : "ERROR";
	}
	void expect(const std::string &text, const std::string &want)
	{
		std::string plain = outcome(text, false);
		EXPECT_EQ(outcome(text, true), plain) << text;
		EXPECT_EQ(plain, want) << text;
	}
	int runs = 0;
};

TEST_F(Fused, SameResultsAsOneByOne)
{
	const struct
	{
		const char *text, *want;
	} cases[] = {
		// A counting loop on locals: compare and branch, x = a + b, a + k, add and store.
		{"push.d 0\npop.v.d local.t\npush.d 0\npop.v.d local.i\n"
		 "top:\npush.v local.i\npush.d 100\nslt.d.v\nbf end\n"
		 "push.v local.t\npush.v local.i\npush.d 2\nmul.d.v\npush.d 1\nsub.d.v\nadd.v.v\npop.v.v local.t\n"
		 "push.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top\nend:\npush.v local.t",
		 "9800"},
		// The same on self's variables, bt instead of bf.
		{"push.d 0\npop.v.d self.i\ntop:\npush.v self.i\npush.d 3\nadd.d.v\npop.v.v self.i\n"
		 "push.v self.i\npush.d 30\nsge.d.v\nbt end\nb top\nend:\npush.v self.i",
		 "30"},
		// Variables not present yet: read as 0, created by the pop.
		{"push.v local.none\npush.d 1\nadd.d.v\npop.v.v local.made\npush.v local.made", "1"},
		{"push.v self.none\npush.d 1\nslt.d.v\nbf no\npush.d 7\nret.d\nno:\npush.d 8", "7"},
		// Strings are left to the general operators.
		{"push.s \"ab\"\npop.v.s local.s\npush.v local.s\npush.v local.s\nadd.v.v\npop.v.v local.s\n"
		 "push.v local.s",
		 "\"abab\""},
		{"push.s \"x\"\npop.v.s local.s\npush.v local.s\npush.d 1\nslt.d.v\nbf no\npush.d 1\nret.d\nno:\npush.d 2",
		 "ERROR"},
		{"push.s \"x\"\npush.v local.none\npush.d 2\nmul.d.v\nadd.v.s", "ERROR"},
		// Comparisons keep their tolerance; constants alone make a double.
		{"push.d 0.3\npop.v.d local.a\npush.v local.a\npush.d 0.6\nadd.d.v\npop.v.v local.a\n"
		 "push.v local.a\npush.d 0.9\nseq.d.v\nbf no\npush.d 1\nret.d\nno:\npush.d 0",
		 "1"},
		{"push.d 2\npush.d 3\nmul.d.d\nconv.d.v", "6"},
		// A loop while i < 1 keeps the tolerance: 0.1 added ten times is not below 1.
		{"push.d 0\npop.v.d local.i\npush.d 0\npop.v.d local.n\ntop:\npush.v local.i\npush.d 1\nslt.d.v\nbf end\n"
		 "push.v local.n\npush.d 1\nadd.d.v\npop.v.v local.n\npush.v local.i\npush.d 0.1\nadd.d.v\npop.v.v local.i\n"
		 "b top\nend:\npush.v local.n",
		 "10"},
		// The step then the test at once; a bound not present makes the test step aside.
		{"push.d -3\npop.v.d local.i\ntop:\npush.v local.i\npush.v self.lim\nslt.v.v\nbf end\n"
		 "push.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top\nend:\npush.v local.i",
		 "0"},
		// The same with the bound a local in a slot; a bound turned to a string
		// makes the test step aside.
		{"push.d 0\npop.v.d local.i\npush.d 5\npop.v.d local.n\ntop:\npush.v local.i\npush.v local.n\nslt.v.v\nbf end\n"
		 "push.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top\nend:\npush.v local.i",
		 "5"},
		{"push.d 0\npop.v.d local.i\npush.d 5\npop.v.d local.n\ntop:\npush.v local.i\npush.v local.n\nslt.v.v\nbf end\n"
		 "push.s \"x\"\npop.v.s local.n\npush.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top\nend:\npush.v local.i",
		 "ERROR"},
		// A branch into the middle of a sequence runs the rest one by one.
		{"push.d 10\npop.v.d local.a\npush.v local.a\nb mid\npush.v local.a\nmid:\npush.d 2\nadd.d.v\n"
		 "pop.v.v local.b\npush.v local.b",
		 "12"},
		// Array elements: written and read through a computed index, index 0
		// is the plain value, growth and a read outside the rows go the general way.
		{"push.d 0\npop.v.d local.i\ntop:\npush.v local.i\npush.d 5\nslt.d.v\nbf end\n"
		 "push.v local.i\npush.v local.i\nconv.v.i\npop.v.v self.arr[]\n"
		 "push.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top\nend:\n"
		 "push.d 40\npush.d 0\nconv.d.i\npop.v.d self.arr[]\n"
		 "push.d 3\nconv.d.i\npush.v self.arr[]\npush.v self.arr\nadd.v.v\n"
		 "push.d 4\nconv.d.i\npush.v self.arr[]\nadd.v.v",
		 "47"},
		{"push.d 1\npush.d 2\nconv.d.i\npop.v.d self.arr[]\npush.d 9\nconv.d.i\npush.v self.arr[]", "ERROR"},
		{"push.s \"s\"\npush.d 1\nconv.d.i\npop.v.s local.arr[]\npush.d 1\nconv.d.i\npush.v local.arr[]", "\"s\""},
		// A jump back to the loop's test steps aside when the test's operand
		// is no longer a real: the test then fails as it does one by one.
		{"push.d 0\npop.v.d local.i\ntop:\npush.v local.i\npush.d 3\nslt.d.v\nbf end\n"
		 "push.s \"x\"\npop.v.s local.i\nb top\nend:\npush.v local.i",
		 "ERROR"},
		// a op b op c at once; a string third operand steps aside.
		{"push.d 3\npop.v.d local.a\npush.v local.a\npush.d 2\nmul.d.v\npush.v local.a\nsub.v.v\n"
		 "pop.v.v local.r\npush.v local.r",
		 "3"},
		{"push.s \"s\"\npop.v.s local.s\npush.d 3\npush.d 2\nmul.d.d\npush.v local.s\nadd.v.d", "ERROR"},
		// x += a[i] and a[i] = x with both operands pushed; a string element
		// or value, an index outside the rows and a negative one go the general way.
		{"push.d 0\npop.v.d local.i\npush.d 0\npop.v.d local.t\ntop:\npush.v local.i\npush.d 4\nslt.d.v\nbf end\n"
		 "push.v local.i\npush.v local.i\nconv.v.i\npop.v.v self.arr[]\n"
		 "push.v local.t\npush.v local.i\nconv.v.i\npush.v self.arr[]\nadd.v.v\npop.v.v local.t\n"
		 "push.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top\nend:\n"
		 "push.v local.t\npush.d 10\npush.d 3\nconv.d.i\npush.v self.arr[]\nmul.v.d\nadd.v.v",
		 "36"},
		{"push.s \"s\"\npop.v.s local.s\npush.v local.s\npush.d 1\nconv.d.i\npop.v.v self.arr[]\n"
		 "push.d 1\npush.d 1\nconv.d.i\npush.v self.arr[]\nadd.v.d",
		 "ERROR"},
		{"push.s \"s\"\npop.v.s local.s\npush.v local.s\npush.d 1\nconv.d.i\npop.v.v self.arr[]\n"
		 "push.d 1\nconv.d.i\npush.v self.arr[]",
		 "\"s\""},
		{"push.d 2\npush.d 5\nconv.d.i\npop.v.d self.arr[]\npush.d 1\npush.d 7\nconv.d.i\npush.v self.arr[]\nadd.v.d",
		 "ERROR"},
		{"push.d 2\npop.v.d local.x\npush.v local.x\npush.d -1\nconv.d.i\npop.v.v self.arr[]\npush.d 1", "ERROR"},
		// A write past the end of row 0 grows it, elements between read 0;
		// other rows are grown the general way.
		{"push.d 1\npush.d 0\nconv.d.i\npop.v.d self.arr[]\npush.d 5\npush.d 3\nconv.d.i\npop.v.d self.arr[]\n"
		 "push.d 7\npush.d 32001\nconv.d.i\npop.v.d self.arr[]\npush.d 2\nconv.d.i\npush.v self.arr[]\n"
		 "push.d 3\nconv.d.i\npush.v self.arr[]\nadd.v.v\npush.d 32001\nconv.d.i\npush.v self.arr[]\nadd.v.v\n"
		 "push.d 0\nconv.d.i\npush.v self.arr[]\nadd.v.v",
		 "13"},
		// Locals in slots: i = a op k and x op= a op b op c at once; a target
		// not yet written, a string operand or a string target go the general way.
		{"push.d 0\npop.v.d local.y\npush.d 10\npop.v.d local.x\npush.d 4\npop.v.d local.a\n"
		 "push.v local.x\npush.v local.a\npush.d 3\nsub.d.v\npush.v local.a\nmul.v.d\nsub.v.v\npop.v.v local.y\n"
		 "push.v local.y\npush.d 3\nmul.d.v\npop.v.v local.y\npush.v local.y",
		 "18"},
		{"push.d 5\npop.v.d local.a\npush.v local.a\npush.d 2\nsub.d.v\npop.v.v local.b\npush.v local.b", "3"},
		{"push.s \"x\"\npop.v.s local.a\npush.v local.a\npush.d 2\nmul.d.v\npop.v.v local.a", "ERROR"},
		{"push.s \"x\"\npop.v.s local.b\npush.d 1\npop.v.d local.a\npush.v local.a\npush.d 2\nsub.d.v\n"
		 "pop.v.v local.b\npush.v local.b",
		 "-1"},
		{"push.v local.t\npush.d 1\npush.d 2\nadd.d.d\npush.d 3\nmul.d.v\nadd.v.v\npop.v.v local.t\npush.v local.t",
		 "9"},
		{"push.s \"z\"\npop.v.s local.z\npush.d 0\npop.v.d local.t\npush.v local.t\npush.d 1\npush.d 2\nadd.d.d\n"
		 "push.v local.z\nadd.v.d\nadd.v.v\npop.v.v local.t\npush.v local.t",
		 "ERROR"},
		{"push.s \"z\"\npop.v.s local.u\npush.d 2\npop.v.d local.t\npush.v local.t\npush.d 1\npush.v local.t\n"
		 "add.v.d\npush.d 3\nmul.d.v\nadd.v.v\npop.v.v local.u\npush.v local.u",
		 "11"},
		// x += a[i] and a[i] = x on locals in slots; a string element or x, an
		// unset local (read as 0), an index outside the rows and a negative one
		// go the general way.
		{"push.d 0\npop.v.d local.i\npush.d 0\npop.v.d local.t\ntop:\npush.v local.i\npush.d 4\nslt.d.v\nbf end\n"
		 "push.v local.i\npush.v local.i\nconv.v.i\npop.v.v self.arr[]\n"
		 "push.v local.t\npush.v local.i\nconv.v.i\npush.v self.arr[]\nadd.v.v\npop.v.v local.t\n"
		 "push.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top\nend:\npush.v local.t",
		 "6"},
		{"push.s \"s\"\npush.d 1\nconv.d.i\npop.v.s self.arr[]\npush.s \"t\"\npop.v.s local.t\npush.d 1\n"
		 "pop.v.d local.i\npush.v local.t\npush.v local.i\nconv.v.i\npush.v self.arr[]\nadd.v.v\npop.v.v local.t\n"
		 "push.v local.t",
		 "\"ts\""},
		{"push.d 2\npop.v.d local.t\npush.d 1\npop.v.d local.i\npush.d 5\npush.d 1\nconv.d.i\npop.v.d self.arr[]\n"
		 "push.v local.t\npush.v local.i\nconv.v.i\npush.v self.arr[]\nadd.v.v\npop.v.v local.u\npush.v local.u",
		 "7"},
		{"push.d 2\npop.v.d local.t\npush.d 9\npop.v.d local.i\npush.d 5\npush.d 1\nconv.d.i\npop.v.d self.arr[]\n"
		 "push.v local.t\npush.v local.i\nconv.v.i\npush.v self.arr[]\nadd.v.v\npop.v.v local.t\npush.v local.t",
		 "ERROR"},
		{"push.d 1\npop.v.d local.i\npush.d 5\npush.d 1\nconv.d.i\npop.v.d self.arr[]\n"
		 "push.v local.t\npush.v local.i\nconv.v.i\npush.v self.arr[]\nadd.v.v\npop.v.v local.t\npush.v local.t",
		 "5"},
		{"push.s \"x\"\npop.v.s local.x\npush.d 2\npop.v.d local.i\npush.v local.x\npush.v local.i\nconv.v.i\n"
		 "pop.v.v self.arr[]\npush.d 2\nconv.d.i\npush.v self.arr[]",
		 "\"x\""},
		{"push.d 3\npop.v.d local.x\npush.d 3\npop.v.d local.i\npush.v local.x\npush.v local.i\nconv.v.i\n"
		 "pop.v.v self.arr[]\npush.d 1\nconv.d.i\npush.v self.arr[]\npush.d 3\nconv.d.i\npush.v self.arr[]\n"
		 "add.v.v",
		 "3"},
		{"push.d 3\npop.v.d local.x\npush.d -2\npop.v.d local.i\npush.v local.x\npush.v local.i\nconv.v.i\n"
		 "pop.v.v self.arr[]\npush.d 1",
		 "ERROR"},
		{"push.d 3\npop.v.d local.x\npush.v local.x\npush.v local.i\nconv.v.i\npop.v.v self.arr[]\npush.d 1",
		 "1"},
		// An array given a real keeps its rows; a string element written
		// over with a real.
		{"push.d 4\npush.d 1\nconv.d.i\npop.v.d self.arr[]\npush.d 5\npop.v.d self.arr\n"
		 "push.d 1\nconv.d.i\npush.v self.arr[]\npush.v self.arr\nadd.v.v",
		 "9"},
		{"push.s \"s\"\npush.d 1\nconv.d.i\npop.v.s self.arr[]\npush.d 6\npop.v.d local.x\npush.d 1\n"
		 "pop.v.d local.i\npush.v local.x\npush.v local.i\nconv.v.i\npop.v.v self.arr[]\n"
		 "push.d 1\nconv.d.i\npush.v self.arr[]",
		 "6"},
		// Arguments read and written through their rows' fast way.
		{"push.d 4\npop.v.d self.argument3\npush.v self.argument3\npush.d 1\nadd.d.v\npop.v.v self.argument3\n"
		 "push.v self.argument3",
		 "5"},
	};
	for (const auto &c : cases)
		expect(c.text, c.want);
}

// Two loops on locals in slots, i from 0 while i < n: arr[index] = stored,
// then t += arr[index]; `between` runs between them.
std::string fill_and_sum(const std::string &setup, const std::string &stored, const std::string &index,
                         const std::string &between = "")
{
	return setup + "push.d 0\npop.v.d local.i\ntop1:\npush.v local.i\npush.v local.n\nslt.v.v\nbf end1\n"
	               "push.v " + stored + "\npush.v " + index + "\nconv.v.i\npop.v.v self.arr[]\n"
	               "push.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top1\nend1:\npush.d 0\npop.v.d local.i\n" +
	       between + "top2:\npush.v local.i\npush.v local.n\nslt.v.v\nbf end2\n"
	                 "push.v local.t\npush.v " + index + "\nconv.v.i\npush.v self.arr[]\nadd.v.v\npop.v.v local.t\n"
	                 "push.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top2\nend2:\npush.v local.t";
}

// Loops whose bodies are a[i] = x and t += a[i] with the step and the test
// i < n on locals in slots, one handler going straight to the next or running
// the whole loop; strings make each body step aside.
TEST_F(Fused, ArrayLoopsAsOneByOne)
{
	const std::string n5 = "push.d 5\npop.v.d local.n\npush.d 0\npop.v.d local.t\n";
	expect(fill_and_sum(n5, "local.i", "local.i"), "10");
	expect(fill_and_sum("push.d 3\npop.v.d local.n\npush.s \"\"\npop.v.s local.t\npush.s \"ab\"\npop.v.s local.s\n",
	                    "local.s", "local.i"),
	       "\"ababab\"");
	// Indexed by another local than the loop's.
	expect(fill_and_sum("push.d 4\npop.v.d local.n\npush.d 2\npop.v.d local.j\npush.d 0\npop.v.d local.t\n", "local.i",
	                    "local.j"),
	       "12");
	// Past the end of row 0, and meeting a string element half-way: the body
	// steps aside there.
	expect(fill_and_sum("push.d 32003\npop.v.d local.n\npush.d 0\npop.v.d local.t\n", "local.i", "local.i"),
	       "512080003");
	expect(fill_and_sum(n5, "local.i", "local.i", "push.s \"s\"\npush.d 3\nconv.d.i\npop.v.s self.arr[]\n"), "ERROR");
}

// Calls with their arguments computed in place and returns of a computed real,
// with the cases that must take the general call or return.
TEST_F(Fused, CallsAndReturnsAsOneByOne)
{
	add_script("scr_fib", "push.v self.argument0\npush.d 2\nslt.d.v\nbf rec\npush.v self.argument0\nret.v\nrec:\n"
	                      "push.v self.argument0\npush.d 1\nsub.d.v\ncall.i scr_fib 1\n"
	                      "push.v self.argument0\npush.d 2\nsub.d.v\ncall.i scr_fib 1\nadd.v.v\nret.v");
	add_script("scr_add2", "push.v self.argument0\npush.v self.argument1\nadd.v.v\nret.v");
	add_script("scr_count", "push.v self.argument_count\npush.v self.argument0\nmul.v.v\npush.v self.argument1\n"
	                        "sub.v.v\nret.v");
	add_script("scr_mark", "push.d 9\npop.v.d self.argument5\npush.v self.argument0\nret.v");
	add_script("scr_peek5", "push.v self.argument5\nret.v");
	add_script("scr_text", "push.s \"s\"\npop.v.s local.s\npush.v local.s\nret.v");
	add_script("scr_with", "push.d 7\npop.v.d self.q\npush.i -1\npushenv end\nbody:\npush.v self.q\nret.v\n"
	                       "end:\npopenv body\npush.d 0\nret.d");
	add_script("scr_junk", "push.s \"junk\"\nconv.s.v\npush.d 2\nconv.d.v\npush.d 3\nconv.d.v\nsub.v.v\nret.v");
	add_script("scr_junk2", "push.s \"junk\"\nconv.s.v\npush.v self.argument0\npush.d 1\nsub.d.v\nret.v");
	add_script("scr_deep", "push.v self.argument0\npush.d 1\nadd.d.v\ncall.i scr_deep 1\nret.v");
	const struct
	{
		const char *text, *want;
	} cases[] = {
		{"push.d 15\nconv.d.v\ncall.i scr_fib 1", "610"},
		// f(t, i) in a loop on locals; count and arguments as given.
		{"push.d 0\npop.v.d local.t\npush.d 0\npop.v.d local.i\ntop:\npush.v local.i\npush.d 50\nslt.d.v\nbf end\n"
		 "push.v local.i\npush.v local.t\ncall.i scr_add2 2\npop.v.v local.t\n"
		 "push.v local.i\npush.d 1\nadd.d.v\npop.v.v local.i\nb top\nend:\npush.v local.t",
		 "1225"},
		{"push.d 5\npop.v.d local.a\npush.d 4\npop.v.d local.b\npush.v local.a\npush.v local.b\ncall.i scr_count 2",
		 "3"},
		// x = f(...) into a local holding a string, or not yet written.
		{"push.s \"a\"\npop.v.s local.x\npush.d 1\npush.d 2\nadd.d.d\ncall.i scr_fib 1\npop.v.v local.x\n"
		 "push.v local.x",
		 "2"},
		{"push.d 1\npush.d 3\nadd.d.d\ncall.i scr_fib 1\npop.v.v local.x\npush.v local.x", "3"},
		// Strings go the general way: argument0 is the last pushed.
		{"push.s \"x\"\npop.v.s local.a\npush.s \"y\"\npop.v.s local.b\npush.v local.a\npush.v local.b\n"
		 "call.i scr_add2 2",
		 "\"yx\""},
		{"push.s \"x\"\npop.v.s local.a\npush.v local.a\npush.d 1\nadd.d.v\ncall.i scr_fib 1", "ERROR"},
		// What one call wrote beyond its arguments is gone for the next.
		{"push.d 1\npush.d 2\nadd.d.d\ncall.i scr_mark 1\npush.d 1\npush.d 2\nadd.d.d\ncall.i scr_peek5 1\nadd.v.v",
		 "3"},
		// A string result, a return inside with, a return from the outermost
		// piece, leftovers on the script's stack.
		{"call.i scr_text 0\ncall.i scr_text 0\nadd.v.v", "\"ss\""},
		{"call.i scr_with 0\npush.v self.q\nadd.v.v", "14"},
		{"push.d 5\npop.v.d local.x\npush.v local.x\nret.v", "5"},
		{"push.d 5\npop.v.d local.x\npush.v local.x\npush.d 2\nsub.d.v\nret.v", "3"},
		{"call.i scr_junk 0\npush.d 4\npush.d 1\nadd.d.d\ncall.i scr_junk2 1\nadd.v.v", "3"},
		// No room for another frame: the general call reports the overflow.
		{"push.d 0\npush.d 1\nadd.d.d\ncall.i scr_deep 1", "ERROR"},
	};
	for (const auto &c : cases)
		expect(c.text, c.want);
}

// The combined handlers keep the variable of an array element from one run
// to the next; whatever changes where the name leads is seen at once.
TEST_F(Fused, KeptArrayVariablesFollowChanges)
{
	vm_settings().instruction_budget = -1;
	reset_global_variables();
	CInstance *a = world.add(100001, 1);
	CInstance *b = world.add(100002, 1);
	// arr[1] + arr[2] of a name without an instance: self's, or the global one.
	auto piece = code("push.d 0\npop.v.d local.t\npush.d 1\npop.v.d local.i\n"
	                  "push.v local.t\npush.v local.i\nconv.v.i\npush.v unspec.arr[]\nadd.v.v\npop.v.v local.t\n"
	                  "push.d 2\nconv.d.i\npush.v unspec.arr[]\npush.v local.t\nadd.v.v");
	auto sum = [&](CInstance *self) {
		Value r;
		ok = vm_run(*piece, self, self, &r);
		return ok ? r.real() : -1.0;
	};
	auto fill = [&](CVariableList &store, double first) {
		store.set(var("arr"), 1, Value(first));
		store.set(var("arr"), 2, Value(first * 10));
	};
	fill(a->variables, 1);
	fill(b->variables, 2);
	EXPECT_EQ(sum(a), 11);
	EXPECT_EQ(sum(b), 22);
	EXPECT_EQ(sum(a), 11);
	// Declared global between two runs, then no longer.
	declare_global(var("arr"));
	fill(global_variables(), 3);
	EXPECT_EQ(sum(a), 33);
	reset_global_variables();
	EXPECT_EQ(sum(a), 11);
	// Self's variables moved by many new ones, then all gone, then made again.
	for (int k = 0; k < 40; k++)
		a->variables.set(var("filler" + std::to_string(k)), 0, Value(1.0));
	EXPECT_EQ(sum(a), 11);
	a->variables.clear();
	EXPECT_EQ(sum(a), 0);
	fill(a->variables, 4);
	EXPECT_EQ(sum(a), 44);
	// Within one run: a global declared, self's variables moved by new ones.
	std::string fillers;
	for (int k = 0; k < 300; k++)
		fillers += "f" + std::to_string(k) + " = 0; ";
	const struct
	{
		std::string source;
		double want;
	} runs_of_source[] = {
		{"var i, j, t; t = 0; j = 1; arr[1] = 5; global.arr[1] = 7;\n"
		 "for (i = 0; i < 2; i += 1) { t += arr[j]; globalvar arr; }\nreturn t",
		 12},
		{"var i, j, t; t = 0; j = 1; arr[1] = 5;\nfor (i = 0; i < 2; i += 1) { t += arr[j]; " + fillers + "}\nreturn t",
		 10},
	};
	for (const auto &c : runs_of_source)
		for (bool combined : {true, false}) {
			vm_settings().instruction_budget = combined ? -1 : 10000000;
			reset_global_variables();
			CCode compiled;
			ASSERT_TRUE(compile_code(compiled, c.source, "T", COMPILE_PROGRAM)) << code_error_message();
			Value r;
			EXPECT_TRUE(execute_code(world.add(100010 + (int32_t)runs++, 2), nullptr, compiled, r)) << c.source;
			EXPECT_EQ(r.real(), c.want) << c.source;
		}
	vm_settings().instruction_budget = -1;
	// Inside with, self changes from one instance to the next.
	Value v = run("push.d 0\npop.v.d local.t\npush.i 1\npushenv end\nbody:\npush.v local.t\npush.d 1\n"
	              "conv.d.i\npush.v unspec.arr[]\nadd.v.v\npop.v.v local.t\nend:\npopenv body\npush.v local.t",
	              a);
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.real(), 4.0 + 2.0);
}

// A script's arguments live in its call's frame: what it writes (beyond those
// given too) is gone after the call, and the caller's are as they were.
TEST_F(Fused, ArgumentsBelongToTheirCall)
{
	vm_settings().instruction_budget = -1;
	add_script("scr_mark", "push.v self.argument0\npop.v.v self.argument5\npush.s \"t\"\npop.v.s self.argument9\n"
	                       "push.v self.argument5\nret.v");
	add_script("scr_peek", "push.v self.argument5\npush.v self.argument9\npush.v self.argument0\nadd.v.v\n"
	                       "add.v.v\nret.v");
	ScriptArguments &arguments = script_arguments();
	arguments.values[0] = Value(100.0);
	Value v = run("push.d 3\nconv.d.v\ncall.i scr_mark 1\npush.d 4\nconv.d.v\ncall.i scr_peek 1\nadd.v.v\n"
	              "push.v self.argument0\nadd.v.v");
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.real(), 3.0 + 4.0 + 100.0);
	EXPECT_EQ(arguments.values[0].real(), 100.0);
	EXPECT_EQ(arguments.values[5].real(), 0.0);
}

} // namespace
