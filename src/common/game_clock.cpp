// game_clock.cpp: the clock game code reads, live or fixed to a recorded frame.
#include "common/game_clock.h"

#include <chrono>
#include <ctime>

namespace {

bool g_fixed = false;
ClockReading g_reading;
uint64_t g_seed_calls = 0;

} // namespace

ClockReading read_live_clock()
{
	ClockReading r;
	timespec ts{};
	clock_gettime(CLOCK_BOOTTIME, &ts);
	r.boot_ms = (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
	std::time_t now = std::time(nullptr);
	r.unix_s = (int64_t)now;
	std::tm local{};
	localtime_r(&now, &local);
	r.utc_offset_s = (int32_t)local.tm_gmtoff;
	auto ticks = std::chrono::steady_clock::now().time_since_epoch();
	r.fine_ns = (uint64_t)std::chrono::duration_cast<std::chrono::nanoseconds>(ticks).count();
	return r;
}

ClockReading clock_now() { return g_fixed ? g_reading : read_live_clock(); }

void fix_clock(const ClockReading *reading)
{
	g_fixed = reading != nullptr;
	if (reading)
		g_reading = *reading;
	g_seed_calls = 0;
}

bool clock_fixed() { return g_fixed; }

uint64_t clock_seed_ticks()
{
	if (!g_fixed)
		return read_live_clock().fine_ns;
	return g_reading.fine_ns + 1000 * g_seed_calls++;
}
