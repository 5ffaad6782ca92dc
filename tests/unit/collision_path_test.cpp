// collision_path_test.cpp: instances on paths in the collision pass: a solid
// meeting puts their paths back, and the move after the events takes their
// paths one step again.
#include "collision_fixture.h"
#include "code/code_ref.h"
#include "world/collision_query.h"
#include "world/motion.h"
#include "world/path.h"

namespace {

// The walker's collision event slows it down along its path.
bool slow_down(CodeRef &, CInstance *self, CInstance *, Value *)
{
	self->path_speed = 4;
	return true;
}

TEST_F(CollisionFixture, SolidMeetingStepsThePathAgainAfterTheEvents)
{
	path_table().clear();
	auto line = std::make_unique<CPath>();
	line->points = {{0, 0, 100}, {200, 0, 100}};
	line->closed = false;
	line->recompute();
	path_table().push_back(std::move(line));
	int walker = object(block(6));
	int rock = object(block(6), true);
	auto handler = std::make_unique<CEvent>();
	handler->code.source = "slow";
	object_table().find(walker)->set_event(EV_COLLISION, rock, std::move(handler));
	object_table().build_event_lists();
	CInstance *w = make(walker, 0, 0);
	make(rock, 22, 0);
	start_path(*w, 0, 20, 1, 0, false, 0);
	set_code_runner(slow_down);
	w->xprevious = w->x;
	w->path_positionprevious = w->path_position;
	motion_pass(*room);
	EXPECT_FLOAT_EQ(w->x, 20); // into the rock
	collision_pass(*room);
	set_code_runner(nullptr);
	// Put back to 0, then one step at the new speed, clear of the rock.
	EXPECT_FLOAT_EQ(w->x, 4);
	EXPECT_FLOAT_EQ(w->path_position, 0.02f);
	path_table().clear();
}

} // namespace
