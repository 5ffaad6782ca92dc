// vm_variables_test.cpp: variable operands of push and pop through every scope
// form: self, other, all, noone, global, not specified, local, object index,
// instance id, an instance taken from the stack, and arrays.
#include "code/errors.h"
#include "code/variables.h"
#include "vm_fixture.h"

TEST_F(VMTest, VariableScopeForms)
{
	CInstance *a = world.add(100001, 1);
	CInstance *b = world.add(100002, 1);
	CInstance *c = world.add(100003, 2);

	// self and other
	run("push.d 3\npop.v.d self.hp\npush.d 4\npop.v.d other.hp", a, c);
	EXPECT_TRUE(ok);
	EXPECT_EQ(get(a, "hp").real(), 3.0);
	EXPECT_EQ(get(c, "hp").real(), 4.0);
	EXPECT_EQ(run("push.v other.hp", c, a).real(), 3.0);

	// global, and a name without an instance: global once declared, else self
	run("push.s \"g\"\npop.v.s global.name\npush.d 8\npop.v.d unspec.plain", a);
	EXPECT_EQ(global("name").text(), "g");
	EXPECT_EQ(get(a, "plain").real(), 8.0);
	declare_global(var("plain"));
	run("push.d 9\npop.v.d unspec.plain", a);
	EXPECT_EQ(global("plain").real(), 9.0);
	EXPECT_EQ(get(a, "plain").real(), 8.0);

	// all: a write reaches every instance, a read the first
	run("push.d 5\npop.v.d all.mark", a);
	EXPECT_EQ(get(b, "mark").real(), 5.0);
	EXPECT_EQ(get(c, "mark").real(), 5.0);
	set(a, "first", Value(1.0));
	EXPECT_EQ(run("push.v all.first", c).real(), 1.0);

	// an object index: every instance of the object; an instance id
	run("push.d 6\npop.v.d 1.pace\npush.d 7\npop.v.d id3.pace", c);
	EXPECT_EQ(get(a, "pace").real(), 6.0);
	EXPECT_EQ(get(b, "pace").real(), 6.0);
	EXPECT_EQ(get(c, "pace").real(), 7.0);
	EXPECT_EQ(run("push.v 2.pace").real(), 7.0);

	// the instance taken from the stack, with the add-100000 bit or without
	EXPECT_EQ(run("push.i 100003\npush.v stack.pace").real(), 7.0);
	run("push.d 11\npush.i 2\nword 0x4105FFFF\nword 0xC0000000");
	EXPECT_TRUE(ok);
	EXPECT_EQ(get(b, "#0").real(), 0.0); // id 0 is a built-in row, not a user variable

	// local: per run, gone afterwards
	EXPECT_EQ(run("push.d 2\npop.v.d local.t\npush.v local.t").real(), 2.0);
	EXPECT_EQ(run("push.v local.t").real(), 0.0);
	EXPECT_EQ(exits, 0);
}

TEST_F(VMTest, NooneReadsZeroAndIgnoresWrites)
{
	CInstance *a = world.add(100001, 1);
	set(a, "hp", Value(4.0));
	Value v = run("push.d 9\npop.v.d noone.hp\npush.v noone.hp", a);
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.real(), 0.0);
	EXPECT_EQ(get(a, "hp").real(), 4.0);
}

TEST_F(VMTest, ArraysThroughPoppedIndex)
{
	// a[5] = 7, a[1, 2] = 3 (index 32002), then reads.
	Value v = run("push.d 7\npush.i 5\npop.v.d global.a[]\n"
	              "push.d 3\npush.i 32002\npop.v.d global.a[]\n"
	              "push.i 5\npush.v global.a[]\n"
	              "push.i 32002\npush.v global.a[]\n"
	              "add.v.v");
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.real(), 10.0);

	// Row 0 of short holds elements 0 and 1: element 3 is out of range.
	run("push.d 1\npush.i 1\npop.v.d global.short[]\npush.i 3\npush.v global.short[]\n");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("Push :: Execution Error - Variable Index out of range short"), std::string::npos)
		<< error_last();

	clear_error_state();
	run("push.d 1\npush.i -1\npop.v.d global.neg[]");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("Pop :: Execution Error - Variable index out of range neg"), std::string::npos)
		<< error_last();
}

TEST_F(VMTest, ObjectWithoutLiveInstanceIsAnError)
{
	CInstance *a = world.add(100001, 3);
	a->marked = true; // destroyed, awaiting removal
	run("push.v 3.x");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("Push :: Execution Error - Variable Get x"), std::string::npos) << error_last();

	// Writing to an object with no instance, or a missing instance id, does nothing.
	clear_error_state();
	run("push.d 1\npop.v.d 3.x\npush.d 1\npop.v.d 44.x\npush.d 1\npop.v.d id77.x");
	EXPECT_TRUE(ok);
	EXPECT_EQ(get(a, "x").real(), 0.0);
}

TEST_F(VMTest, ReadOnlyBuiltinWriteFails)
{
	run("push.d 3\npop.v.d self.argument_count");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("Pop :: Execution Error - Variable set problem argument_count"), std::string::npos)
		<< error_last();
}
