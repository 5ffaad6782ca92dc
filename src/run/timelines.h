// timelines.h: alarms and timelines: the per-step alarm and timeline passes,
// moments performed with the error context of their timeline, and the
// timeline table's queries and changes for game code.
#pragma once

#include <cstdint>
#include <string>

class CInstance;
struct TimelineRecord;

// The moment lookups: the first moment whose time is at or after t (the
// moment count when none is), the last whose time is at or before t (-1).
int32_t first_moment_at_or_after(const TimelineRecord &timeline, double t);
int32_t last_moment_at_or_before(const TimelineRecord &timeline, double t);

// The running game's timeline at an index, or null.
TimelineRecord *find_timeline(int32_t index);

// Runs a moment's code with self = other = the instance, the event context
// naming the timeline and the moment's time. Nothing while a room change waits.
void perform_moment(CInstance *instance, int32_t timeline, int32_t moment);

// Counts down the alarms of the instances whose objects have the alarm event
// and performs it at 0.
void alarm_pass();
// Advances the running timelines of the room's instances and performs the
// moments passed.
void timeline_pass();
