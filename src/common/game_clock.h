// game_clock.h: the clock game code reads (current_time, the date rows and
// randomize). A recorded or played-back run fixes it to the frame's recorded
// reading, so that the run repeats.
#pragma once

#include <cstdint>

struct ClockReading
{
	int64_t boot_ms = 0;      // milliseconds since the system started (`current_time`)
	int64_t unix_s = 0;       // seconds since 1970 (UTC)
	int32_t utc_offset_s = 0; // local time minus UTC
	uint64_t fine_ns = 0;     // the high-resolution counter that seeds randomize
};

// The live clock.
ClockReading read_live_clock();
// The reading game code sees: the fixed one when set, else the live clock.
ClockReading clock_now();
// Fixes every later reading to the given one (null: the live clock again).
void fix_clock(const ClockReading *reading);
bool clock_fixed();
// A high-resolution value for seeding: the fixed counter advanced by one
// microsecond per call since the clock was fixed, so that two seeds taken in
// one step still differ, or the live counter.
uint64_t clock_seed_ticks();
