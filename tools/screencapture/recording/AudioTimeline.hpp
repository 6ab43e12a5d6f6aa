#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>

namespace quillet::screencapture {

// Where each chunk of sound goes on the movie's clock; sample 0 is the first frame, every figure is
// in samples.
//
// The source counts its own samples, holes included. A chunk is placed by the system clock (when it
// was read, less the server's latency) only when the timeline starts or resyncs; the chunks after it
// follow by that count. So a burst that arrives late (a source waking up, a busy server) is laid end to
// end as it was heard instead of each chunk being cut or padded on its own, and latency readings that
// swing while the samples keep coming steadily move nothing. A resync happens only when the chunks
// arrive more than a viewer would notice off what the count says: a source that stopped and resumed
// without a hole, or a sound card whose clock drifts from the system's. Then silence is inserted or
// samples are skipped, once.
struct AudioTimeline {
    std::int64_t resyncLimit = 0;
    std::int64_t next = 0;                   // the next sample to be written
    std::optional<std::int64_t> shift;       // movie position minus source position, once placed
    std::int64_t age = 0;                    // how old the samples were on arrival when placed
    std::optional<std::int64_t> lastLatency; // the server's latest good reading
};

struct AudioChunk {
    std::int64_t readAt = 0;             // when the chunk was read, after the movie's first frame
    std::optional<std::int64_t> latency; // how long before that its first sample was heard, if known
    std::int64_t sourcePosition = 0;     // the source's samples before this chunk, holes included
    std::int64_t count = 0;
};

struct AudioPlacement {
    std::int64_t silence = 0; // samples of silence to write before the chunk
    std::int64_t skipped = 0; // leading samples of the chunk to leave out

    friend bool operator==(const AudioPlacement&, const AudioPlacement&) = default;
};

// Lip sync stays unnoticed within about 100 ms; jitter of the clock readings stays well inside that.
inline constexpr std::chrono::milliseconds audioResyncLimit{100};

[[nodiscard]] inline AudioTimeline audioTimelineForSampleRate(std::int64_t sampleRate)
{
    AudioTimeline timeline;
    timeline.resyncLimit = sampleRate * audioResyncLimit.count() / 1000;
    return timeline;
}

// Places `chunk` after what `timeline` has written, and moves the timeline past it.
[[nodiscard]] inline AudioPlacement place(AudioTimeline& timeline, const AudioChunk& chunk)
{
    // A failed reading says nothing about the latency, which changes slowly: the last good one stands.
    // Before any, the chunk itself is the best guess: its first sample was heard at least that long ago.
    if (chunk.latency) {
        timeline.lastLatency = chunk.latency;
    }
    const std::int64_t latency = timeline.lastLatency.value_or(chunk.count);
    const std::int64_t drift =
        timeline.shift ? chunk.readAt - (chunk.sourcePosition + *timeline.shift) - timeline.age : 0;
    if (!timeline.shift || drift > timeline.resyncLimit || drift < -timeline.resyncLimit) {
        timeline.shift = chunk.readAt - latency - chunk.sourcePosition;
        timeline.age = latency;
    }
    const std::int64_t start = chunk.sourcePosition + *timeline.shift;
    AudioPlacement placement;
    if (start > timeline.next) {
        placement.silence = start - timeline.next;
    } else {
        placement.skipped = std::min(timeline.next - start, chunk.count);
    }
    timeline.next = std::max(timeline.next, start + chunk.count);
    return placement;
}

} // namespace quillet::screencapture
