// clock.h: high-resolution time and waiting.
#pragma once

#include <cstdint>

namespace platform {

// Microseconds since an arbitrary start, never going back.
int64_t time_us();
// Sleeps for about the given number of microseconds.
void sleep_us(int64_t us);

} // namespace platform
