// vm_local_slots_test.cpp: locals the machine keeps in numbered slots read
// and write as locals in the list do: per run and per script call, unset
// until written, visible inside with, in the error report with their latest
// values, and through every other way of reaching a local.
#include "code/errors.h"
#include "code/variables.h"
#include "vm_fixture.h"

namespace {

class LocalSlots : public VMTest
{
protected:
	void TearDown() override
	{
		set_unset_variable_read_fails(false);
		VMTest::TearDown();
	}
};

// Each run and each call starts with its locals unset, even where an earlier
// run or call at the same depth left a value in the same slot.
TEST_F(LocalSlots, EachRunAndCallStartsUnset)
{
	EXPECT_EQ(run("push.d 2\npop.v.d local.t\npush.v local.t").real(), 2.0);
	EXPECT_EQ(run("push.v local.u").real(), 0.0); // local.u takes slot 0 too
	set_unset_variable_read_fails(true);
	run("push.d 2\npop.v.d local.t\npush.v local.t\npopz.v\npush.v local.u");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("Push :: Execution Error - Variable Get u\n"), std::string::npos) << error_last();
	exits = 0;
	add_script("scr_set", "push.d 9\npop.v.d local.k\npush.v local.k\nret.v");
	add_script("scr_get", "push.v local.j\nret.v");
	set_unset_variable_read_fails(false);
	EXPECT_EQ(run("call.i scr_set 0\npopz.v\ncall.i scr_get 0").real(), 0.0);
	EXPECT_EQ(exits, 0);
}

// A recursive script's calls each keep their own locals.
TEST_F(LocalSlots, RecursiveCallsKeepTheirOwn)
{
	add_script("scr_down", "push.v self.argument0\npop.v.v local.n\n"
	                       "push.v local.n\npush.d 0\nsgt.d.v\nbf done\n"
	                       "push.v local.n\npush.d 1\nsub.d.v\ncall.i scr_down 1\n"
	                       "push.v local.n\nadd.v.v\npop.v.v local.sum\npush.v local.sum\nret.v\n"
	                       "done:\npush.v local.n\nret.v");
	EXPECT_EQ(run("push.d 4\nconv.d.v\ncall.i scr_down 1").real(), 10.0);
	EXPECT_TRUE(ok);
}

// with changes self and other, never the locals.
TEST_F(LocalSlots, ReadAndWrittenInsideWith)
{
	CInstance *a = world.add(100001, 1);
	world.add(100002, 1);
	Value v = run("push.d 0\npop.v.d local.count\npush.i 1\npushenv end\nbody:\n"
	              "push.v local.count\npush.d 1\nadd.d.v\npop.v.v local.count\n"
	              "push.v local.count\npop.v.v self.order\nend:\npopenv body\npush.v local.count",
	              a);
	EXPECT_TRUE(ok);
	EXPECT_EQ(v.real(), 2.0);
	EXPECT_EQ(get(a, "order").real(), 1.0);
}

// A local also reached through an array index or an instance taken from the
// stack is one variable whichever way it is read or written.
TEST_F(LocalSlots, OtherWaysReachTheSameLocal)
{
	const struct
	{
		const char *text;
		double want;
	} cases[] = {
		{"push.d 4\npop.v.d local.a\npush.d 0\nconv.d.i\npush.v local.a[]", 4},
		{"push.d 5\npush.d 0\nconv.d.i\npop.v.d local.a[]\npush.v local.a", 5},
		{"push.d 7\npop.v.d local.a\npush.i -7\npush.v stack.a", 7},
		{"push.d 8\npush.i -7\npop.v.d stack.a\npush.v local.a", 8},
	};
	for (const auto &c : cases) {
		EXPECT_EQ(run(c.text).real(), c.want) << c.text;
		EXPECT_TRUE(ok) << c.text;
	}
}

// The report lists the locals newest first with the values they hold when
// the error happens, beside those kept in the list.
TEST_F(LocalSlots, ReportShowsLatestValues)
{
	run("push.d 1\npop.v.d local.b\npush.d 2\npop.v.d local.a\npush.s \"x\"\npop.v.s local.b\n"
	    "push.d 1\npush.d 0\nconv.d.i\npop.v.d local.arr[]\npush.d 1\npush.d 0\ndiv.d.d");
	EXPECT_FALSE(ok);
	EXPECT_NE(error_last().find("Local Variables : \narr = 1\na = 2\nb = \"x\"\n"), std::string::npos)
	    << error_last();
}

} // namespace
