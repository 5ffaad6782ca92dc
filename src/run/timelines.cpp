// timelines.cpp: the alarm and timeline passes of the step and the moments
// they perform.
#include "run/timelines.h"

#include "code/builtin_variables.h"
#include "code/errors.h"
#include "data/game_data.h"
#include "run/rooms.h"
#include "run/run_state.h"
#include "world/events.h"
#include "world/instances.h"
#include "world/object.h"

namespace {

// The next step of a running timeline: the moments from the old position up
// to the new one, then the loop back.
void advance_timeline(CInstance *i)
{
	int32_t index = i->timeline_index;
	TimelineRecord *t = find_timeline(index);
	if (!t || t->moments.empty())
		return;
	float speed = i->timeline_speed;
	if (speed > 0) {
		int32_t a = first_moment_at_or_after(*t, i->timeline_position);
		i->timeline_position += speed;
		int32_t b = first_moment_at_or_after(*t, i->timeline_position);
		for (int32_t m = a; m < b; m++)
			perform_moment(i, index, m);
		// A moment may have deleted or changed the timeline.
		t = find_timeline(index);
		if (t && !t->moments.empty() && i->timeline_loop && i->timeline_position > t->moments.back().time)
			i->timeline_position = 0;
	} else {
		int32_t a = last_moment_at_or_before(*t, i->timeline_position);
		i->timeline_position += speed;
		int32_t b = last_moment_at_or_before(*t, i->timeline_position);
		for (int32_t m = a; m > b; m--)
			perform_moment(i, index, m);
		t = find_timeline(index);
		if (t && !t->moments.empty() && i->timeline_loop && i->timeline_position < 0)
			i->timeline_position = (float)t->moments.back().time;
	}
}

} // namespace

int32_t first_moment_at_or_after(const TimelineRecord &timeline, double t)
{
	int32_t count = (int32_t)timeline.moments.size();
	for (int32_t m = 0; m < count; m++)
		if ((double)timeline.moments[m].time >= t)
			return m;
	return count;
}

int32_t last_moment_at_or_before(const TimelineRecord &timeline, double t)
{
	for (int32_t m = (int32_t)timeline.moments.size() - 1; m >= 0; m--)
		if ((double)timeline.moments[m].time <= t)
			return m;
	return -1;
}

TimelineRecord *find_timeline(int32_t index)
{
	GameData *game = running_game();
	if (!game || index < 0 || (size_t)index >= game->timelines.size())
		return nullptr;
	return game->timelines[index].get();
}

void perform_moment(CInstance *instance, int32_t timeline, int32_t moment)
{
	if (room_change_pending() || !instance)
		return;
	TimelineRecord *t = find_timeline(timeline);
	if (!t || moment < 0 || (size_t)moment >= t->moments.size())
		return;
	// A copy: the moment's code may delete its own timeline while it runs.
	CodeRef code = t->moments[moment].code;
	EventContext &context = current_event_context();
	EventContext saved = context;
	context.object_index = TIMELINE_CONTEXT;
	context.event_type = timeline;
	context.event_number = t->moments[moment].time;
	context.action = 0;
	bool relative = argument_relative();
	set_argument_relative(false);
	run_code(code, instance, instance);
	set_argument_relative(relative);
	context = saved;
}

void alarm_pass()
{
	uint64_t pass = begin_dispatch_pass();
	for (int32_t n = 0; n < ALARM_COUNT; n++) {
		std::vector<int32_t> objects = object_table().dispatch_list(EV_ALARM, n);
		for (int32_t o : objects) {
			CObject *object = object_table().find(o);
			if (!object)
				continue;
			InstanceList snapshot = object->own_instances;
			for (CInstance *i : snapshot) {
				if (i->marked || i->deactivated || !takes_part(*i, pass) || i->alarm[n] < 0)
					continue;
				if (--i->alarm[n] == 0)
					perform_own_event(i, i, EV_ALARM, n);
			}
		}
	}
}

void timeline_pass()
{
	uint64_t pass = begin_dispatch_pass();
	for (CInstance *i : live_active_instances()) {
		if (i->marked || i->deactivated || !takes_part(*i, pass))
			continue;
		if (!i->timeline_running || i->timeline_speed == 0 || i->timeline_index < 0)
			continue;
		advance_timeline(i);
	}
}
