#pragma once

#include <chrono>
#include <cstdint>

namespace quillet::screencapture {

// Frame deadlines fixed to the start time: frame n is due at start + n × period, so the rate never
// drifts with the time each frame takes. A grab that overruns one or more deadlines skips them
// rather than catching up with a burst of frames.
class FrameSchedule {
public:
    using Clock = std::chrono::steady_clock;

    FrameSchedule(Clock::time_point start, Clock::duration period) : start_(start), period_(period) {}

    [[nodiscard]] Clock::time_point nextDeadline() const { return start_ + period_ * next_; }

    // Called after a frame that was taken at `now`; returns how many deadlines were missed.
    std::int64_t advance(Clock::time_point now)
    {
        const std::int64_t due = (now - start_) / period_ + 1;
        const std::int64_t missed = due > next_ + 1 ? due - next_ - 1 : 0;
        next_ = due > next_ ? due : next_ + 1;
        return missed;
    }

private:
    Clock::time_point start_;
    Clock::duration period_;
    std::int64_t next_ = 0;
};

} // namespace quillet::screencapture
