#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace quillet::screencapture {

// A fixed set of frame buffers passed from the grabbing thread to the encoding thread and back.
// The grabber never waits: when every buffer is still queued or being encoded it drops the frame,
// so a slow encoder costs frames, never unbounded memory or a stalled clock.
template <typename Frame> class FrameQueue {
public:
    explicit FrameQueue(std::vector<Frame> buffers) : free_(buffers.begin(), buffers.end()) {}

    // A buffer to fill, or nothing when all are in use (the caller drops this frame).
    [[nodiscard]] std::optional<Frame> takeFree()
    {
        std::lock_guard lock(mutex_);
        if (free_.empty()) {
            return std::nullopt;
        }
        Frame frame = free_.front();
        free_.pop_front();
        return frame;
    }

    void pushFilled(Frame frame)
    {
        {
            std::lock_guard lock(mutex_);
            filled_.push_back(frame);
        }
        changed_.notify_one();
    }

    // The oldest filled buffer; waits for one. Nothing once closed and empty.
    [[nodiscard]] std::optional<Frame> takeFilled()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !filled_.empty() || isClosed_; });
        if (filled_.empty()) {
            return std::nullopt;
        }
        Frame frame = filled_.front();
        filled_.pop_front();
        return frame;
    }

    void giveBack(Frame frame)
    {
        std::lock_guard lock(mutex_);
        free_.push_back(frame);
    }

    // No more frames will come; the consumer finishes what is queued.
    void close()
    {
        {
            std::lock_guard lock(mutex_);
            isClosed_ = true;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Frame> free_;
    std::deque<Frame> filled_;
    bool isClosed_ = false;
};

} // namespace quillet::screencapture
