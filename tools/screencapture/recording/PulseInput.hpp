#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

namespace quillet::screencapture {

// A PulseAudio source read as 32-bit float samples. The stream is pinned to its source: when the
// source goes away the stream ends, instead of following the server to another input unasked. Reads
// block on the server's own thread; `interrupt` wakes them.
class PulseInput {
public:
    struct Chunk {
        std::vector<float> samples; // interleaved
        // How long before it was read the first sample was heard; none when the server could not say yet.
        std::optional<std::chrono::nanoseconds> latency;
        std::int64_t position = 0; // the source's samples per channel before these, holes included
    };

    // The default input when `source` is empty. A one-line reason when it cannot be recorded.
    [[nodiscard]] static std::variant<std::unique_ptr<PulseInput>, std::string>
    open(const std::optional<std::string>& source, int sampleRate, int channels,
         std::chrono::milliseconds chunk);

    ~PulseInput();
    PulseInput(const PulseInput&) = delete;
    PulseInput& operator=(const PulseInput&) = delete;

    // The next samples; nothing once interrupted, or when the source failed (with `problem` set).
    [[nodiscard]] std::optional<Chunk> read(std::string& problem);

    void interrupt();

private:
    PulseInput() = default;

    [[nodiscard]] std::optional<std::string> connect(const std::optional<std::string>& source, int sampleRate,
                                                     int channels, std::chrono::milliseconds chunk);
    [[nodiscard]] std::string lastError() const;
    [[nodiscard]] std::optional<std::chrono::nanoseconds> latency() const; // with the loop's lock held

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::size_t frameBytes_ = 0;
    std::int64_t position_ = 0;  // guarded by the loop's lock
    bool isInterrupted_ = false; // guarded by the loop's lock
};

} // namespace quillet::screencapture
