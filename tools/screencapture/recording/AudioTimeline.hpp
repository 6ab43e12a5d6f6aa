#pragma once

#include <chrono>
#include <cstdint>

namespace quillet::screencapture {

// Where each chunk of microphone samples goes on the movie's clock. Chunks are laid end to end while
// their measured start agrees with that within a tolerance, so timing jitter never cuts the sound;
// beyond it (a source that stalled, or a sound card clock that drifts from the system's) silence is
// inserted or samples are skipped, so sound and picture stay together. Sample 0 is the first frame.
class AudioTimeline {
public:
    struct Placement {
        std::int64_t silence = 0; // samples of silence to write before the chunk
        std::int64_t skipped = 0; // leading samples of the chunk to leave out

        friend bool operator==(const Placement&, const Placement&) = default;
    };

    // Measured positions jitter by a few milliseconds; beyond this the sound is moved back into place.
    static constexpr std::chrono::milliseconds jitterTolerance{20};

    explicit AudioTimeline(std::int64_t tolerance) : tolerance_(tolerance) {}

    // The recorder's timeline for sound at `sampleRate`, tolerating `jitterTolerance`.
    [[nodiscard]] static AudioTimeline forSampleRate(std::int64_t sampleRate)
    {
        return AudioTimeline(sampleRate * jitterTolerance.count() / 1000);
    }

    // A chunk of `count` samples whose first sample was measured at `measuredStart`.
    Placement place(std::int64_t measuredStart, std::int64_t count)
    {
        const std::int64_t drift = measuredStart - next_;
        if (hasStarted_ && drift <= tolerance_ && drift >= -tolerance_) {
            next_ += count;
            return {};
        }
        Placement placement;
        if (drift > 0) {
            placement.silence = drift;
        } else {
            placement.skipped = -drift < count ? -drift : count;
        }
        next_ += placement.silence + count - placement.skipped;
        hasStarted_ = hasStarted_ || next_ > 0;
        return placement;
    }

    // The position of the next sample to be written.
    [[nodiscard]] std::int64_t next() const { return next_; }

private:
    std::int64_t tolerance_;
    std::int64_t next_ = 0;
    bool hasStarted_ = false;
};

} // namespace quillet::screencapture
