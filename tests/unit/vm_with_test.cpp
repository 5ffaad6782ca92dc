// vm_with_test.cpp: the with statement over every kind of target and its
// visiting orders, and leaving a with body early.
#include "code/errors.h"
#include "vm_fixture.h"

namespace {

// with (TARGET) global.log += self.tag; then global.log, and self's tag after.
std::string with_log(const std::string &target)
{
	return "push.s \"\"\n"
	       "pop.v.s global.log\n"
	       "push.i " + target + "\n"
	       "pushenv end\n"
	       "body:\n"
	       "push.v global.log\n"
	       "push.v self.tag\n"
	       "add.v.v\n"
	       "pop.v.v global.log\n"
	       "end:\n"
	       "popenv body\n"
	       "push.v global.log\n"
	       "push.v self.tag\n"
	       "add.v.v\n";
}

} // namespace

class WithTest : public VMTest
{
protected:
	void SetUp() override
	{
		VMTest::SetUp();
		const char *tags[] = {"a", "b", "c", "d", "e"};
		int objects[] = {1, 1, 1, 2, 2};
		for (int i = 0; i < 5; i++) {
			inst[i] = world.add(100001 + i, objects[i]);
			set(inst[i], "tag", Value(tags[i]));
		}
		world.objects.push_back(7); // an object without instances
		me = world.add(100010, 9);
		set(me, "tag", Value("M"));
		you = world.add(100011, 9);
		set(you, "tag", Value("Y"));
	}
	CInstance *inst[5];
	CInstance *me, *you;
};

TEST_F(WithTest, VisitingOrders)
{
	const struct
	{
		std::string target;
		const char *log; // the visits, then self's tag after the with
	} cases[] = {
		{"1", "cbaM"},        // three instances: from the last to the first
		{"2", "deM"},         // two instances: in list order
		{"100002", "bM"},     // an instance id
		{"-1", "MM"},         // self
		{"-6", "MM"},
		{"-2", "YM"},         // other, swapped for one run
		{"-4", "M"},          // noone: the body is skipped
		{"7", "M"},           // an object without instances
		{"44", "M"},          // an object that does not exist
		{"100099", "M"},      // an instance that does not exist
		{"-3", "YMedcbaM"},   // all: the room's instances, last to first
	};
	for (const auto &c : cases) {
		Value v = run(with_log(c.target), me, you);
		EXPECT_TRUE(ok) << c.target;
		EXPECT_EQ(v.text(), c.log) << "with (" << c.target << ")";
	}
}

TEST_F(WithTest, MarkedInstancesAreNotVisitedAndOtherIsTheOldSelf)
{
	inst[1]->marked = true;
	EXPECT_EQ(run(with_log("1"), me, you).text(), "acM"); // two live ones: list order
	// other inside the body is the instance that ran the with.
	Value v = run("push.i 2\npushenv end\nbody:\npush.v other.tag\npop.v.v global.seen\nend:\npopenv body\n"
	              "push.v global.seen",
	              me, you);
	EXPECT_EQ(v.text(), "M");
}

TEST_F(WithTest, EarlyCloseRestoresSelf)
{
	// The body leaves after its first visit through popenv 0xF0.
	Value v = run("push.s \"\"\npop.v.s global.log\n"
	              "push.i 1\npushenv end\nbody:\n"
	              "push.v global.log\npush.v self.tag\nadd.v.v\npop.v.v global.log\n"
	              "popenv.close\nb after\n"
	              "end:\npopenv body\n"
	              "after:\npush.v global.log\npush.v self.tag\nadd.v.v\n",
	              me, you);
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.text(), "cM");
}

TEST_F(WithTest, NestedWith)
{
	// with (2) with (1) log += self.tag: every pair, inner loop innermost.
	std::string code = "push.s \"\"\npop.v.s global.log\n"
	                   "push.i 2\npushenv outer_end\nouter:\n"
	                   "push.i 1\npushenv inner_end\ninner:\n"
	                   "push.v global.log\npush.v self.tag\nadd.v.v\npop.v.v global.log\n"
	                   "inner_end:\npopenv inner\n"
	                   "push.v global.log\npush.v self.tag\nadd.v.v\npop.v.v global.log\n"
	                   "outer_end:\npopenv outer\n"
	                   "push.v global.log\n";
	EXPECT_EQ(run(code, me, you).text(), "cbadcbae");
}

TEST_F(WithTest, GlobalAndLocalTargetsAreReported)
{
	for (const char *target : {"-5", "-7"}) {
		clear_error_state();
		run(with_log(target), me, you);
		EXPECT_FALSE(ok);
		EXPECT_NE(error_last().find("Pushenv :: Execution Error - with cannot take"), std::string::npos)
			<< error_last();
	}
	clear_error_state();
	run("popenv.close");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("no with frame"), std::string::npos);
}
