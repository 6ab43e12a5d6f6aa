#include "tools/screencapture/recording/AudioTimeline.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace quillet::screencapture {
namespace {

// 48 kHz as the recorder reads it: 480 samples are 10 ms, 4800 are the 100 ms a resync waits for.
TEST(AudioTimeline, FollowsTheSourcesCountAndResyncsOnlyWhenArrivalsDriftBeyondAHundredMilliseconds)
{
    struct Step {
        std::int64_t readAt;
        std::optional<std::int64_t> latency;
        std::int64_t position;
        std::int64_t count;
        AudioPlacement placement;
        std::int64_t next;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    constexpr auto failed = std::nullopt;
    const std::vector<Case> cases{
        {"a late burst with failed readings is laid end to end",
         {{9600, 1920, 0, 480, {7680, 0}, 8160},
          {9600, failed, 480, 480, {}, 8640},
          {9610, failed, 960, 480, {}, 9120},
          {9610, failed, 1440, 480, {}, 9600}}},
        {"a source that resumes after half a second keeps the last good latency",
         {{4800, 480, 0, 480, {4320, 0}, 4800},
          {5280, failed, 480, 480, {}, 5280},
          {29760, failed, 960, 480, {24000, 0}, 29760},
          {30240, failed, 1440, 480, {}, 30240}}},
        {"a reading 300 ms off while the samples come steadily moves nothing",
         {{4800, 480, 0, 480, {4320, 0}, 4800},
          {5280, 14880, 480, 480, {}, 5280},
          {5760, 480, 960, 480, {}, 5760}}},
        {"chunks that arrive 60 ms early or late are left in place",
         {{480, 0, 0, 480, {480, 0}, 960}, {3840, 0, 480, 480, {}, 1440}, {-1440, 0, 960, 480, {}, 1920}}},
        {"a hole in the source becomes silence of its length",
         {{480, 480, 0, 480, {}, 480}, {1920, 480, 1440, 480, {960, 0}, 1920}}},
        {"before the first frame: cut",
         {{240, 480, 0, 480, {0, 240}, 240}, {720, failed, 480, 480, {}, 720}}},
        {"no reading yet: the chunk's own length stands for it", {{1440, failed, 0, 480, {960, 0}, 1440}}},
        {"a count 110 ms ahead of the clock: the overlap is cut",
         {{5760, 5760, 0, 5760, {}, 5760}, {960, 480, 5760, 480, {0, 480}, 5760}}},
    };
    for (const Case& test : cases) {
        AudioTimeline timeline = audioTimelineForSampleRate(48'000);
        for (std::size_t i = 0; i < test.steps.size(); ++i) {
            const Step& step = test.steps[i];
            const AudioPlacement placement =
                place(timeline, AudioChunk{step.readAt, step.latency, step.position, step.count});
            EXPECT_EQ(placement, step.placement) << test.name << ", chunk " << i;
            EXPECT_EQ(timeline.next, step.next) << test.name << ", chunk " << i;
        }
    }
}

} // namespace
} // namespace quillet::screencapture
