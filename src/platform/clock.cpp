// clock.cpp: high-resolution time from the steady clock.
#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform {

int64_t time_us()
{
	using namespace std::chrono;
	return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void sleep_us(int64_t us)
{
	if (us > 0)
		std::this_thread::sleep_for(std::chrono::microseconds(us));
}

} // namespace platform
