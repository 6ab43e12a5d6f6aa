#include "tools/screencapture/recording/FrameClock.hpp"

#include <ctime>

namespace quillet::screencapture::FrameClock {

void sleepUntil(Clock::time_point deadline)
{
    // steady_clock is CLOCK_MONOTONIC on Linux, so its time points are that clock's readings.
    const auto sinceBoot = deadline.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceBoot);
    const timespec until{
        time_t(seconds.count()),
        long(std::chrono::duration_cast<std::chrono::nanoseconds>(sinceBoot - seconds).count())};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

} // namespace quillet::screencapture::FrameClock
