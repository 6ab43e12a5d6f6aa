#pragma once

#include <chrono>

namespace quillet::screencapture::FrameClock {

using Clock = std::chrono::steady_clock;

// Sleeps until `deadline` on the monotonic clock; returns early when a signal arrives.
void sleepUntil(Clock::time_point deadline);

} // namespace quillet::screencapture::FrameClock
