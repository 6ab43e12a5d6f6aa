#pragma once

#include "tools/screencapture/recording/AudioTimeline.hpp"
#include "tools/screencapture/recording/PulseInput.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

struct AVCodecContext;

namespace quillet::screencapture {

class EncodedStream;
class MovieWriter;

// Sound from a PulseAudio source, encoded to AAC into the movie on a thread of its own, on the same
// monotonic clock as the frames. A source that goes away ends the sound; the picture goes on.
class AudioRecorder {
public:
    using Clock = std::chrono::steady_clock;

    // Connects to `source` (the default input when none is named) and adds the sound track; a one-line
    // reason when the source cannot be recorded. Samples are read from now on, and kept from the
    // movie's first frame (`setOrigin`).
    [[nodiscard]] static std::variant<std::unique_ptr<AudioRecorder>, std::string>
    start(const std::optional<std::string>& source, MovieWriter& writer);

    ~AudioRecorder();
    AudioRecorder(const AudioRecorder&) = delete;
    AudioRecorder& operator=(const AudioRecorder&) = delete;

    // The time of the movie's first frame.
    void setOrigin(Clock::time_point origin);

    // Ends the sound track at `end` (the end of the picture), waiting a moment for the samples still
    // on their way: what was heard is encoded and written. A one-line reason if it failed.
    [[nodiscard]] std::optional<std::string> finish(std::optional<Clock::time_point> end);

private:
    AudioRecorder(std::unique_ptr<PulseInput> input, std::unique_ptr<EncodedStream> stream,
                  std::string sourceName);

    void record();
    [[nodiscard]] bool append(const PulseInput::Chunk& chunk, Clock::time_point readAt);
    [[nodiscard]] bool encodeWhole(bool includesPartial);
    [[nodiscard]] bool hasReachedTheEnd() const;

    std::unique_ptr<PulseInput> input_;
    std::unique_ptr<EncodedStream> stream_;
    std::string sourceName_;
    AudioTimeline timeline_;
    std::vector<float> pending_[2]; // one channel each, waiting for a whole encoder frame
    std::int64_t pendingStart_ = 0;
    std::atomic<std::int64_t> originNanoseconds_ = -1;
    std::atomic<std::int64_t> endNanoseconds_ = -1;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool hasEnded_ = false; // guarded by mutex_
    std::optional<std::string> problem_;
    std::thread thread_;
};

} // namespace quillet::screencapture
