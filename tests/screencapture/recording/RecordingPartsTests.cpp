#include "tools/screencapture/recording/ClickRings.hpp"
#include "tools/screencapture/recording/FrameSchedule.hpp"
#include "tools/screencapture/recording/I420Conversion.hpp"

#include <gtest/gtest.h>
#include <vector>

namespace quillet::screencapture {
namespace {

using namespace std::chrono_literals;

TEST(FrameSchedule, KeepsToTheStartTimeAndSkipsWhatAnOverrunMissed)
{
    const FrameSchedule::Clock::time_point start{};
    FrameSchedule schedule(start, 10ms);
    struct Step {
        std::chrono::milliseconds takenAt;
        std::int64_t missed;
        std::chrono::milliseconds nextDeadline;
    };
    // Late frames do not shift the later deadlines; an overrun of two periods skips two of them.
    for (const Step& step : {Step{0ms, 0, 10ms}, Step{13ms, 0, 20ms}, Step{21ms, 0, 30ms},
                             Step{55ms, 2, 60ms}, Step{60ms, 0, 70ms}}) {
        EXPECT_EQ(schedule.advance(start + step.takenAt), step.missed) << step.takenAt.count();
        EXPECT_EQ(schedule.nextDeadline(), start + step.nextDeadline) << step.takenAt.count();
    }
}

TEST(I420Conversion, PadsOddSizesByRepeatingTheEdge)
{
    // 3 × 3 pixels: white, with a black last column and a mid-grey last row.
    std::vector<std::uint8_t> pixels(3 * 3 * 4, 0xff);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            const std::uint8_t value = y == 2 ? 0x80 : x == 2 ? 0x00 : 0xff;
            std::fill_n(pixels.begin() + (y * 3 + x) * 4, 3, value);
        }
    }
    const Bitmap source{3, 3, 12, pixels.data(), nullptr};
    std::vector<std::uint8_t> y(4 * 4, 0x55), u(2 * 2), v(2 * 2);
    convertToI420(source, I420Planes{y.data(), u.data(), v.data(), 4, 2, 2});
    EXPECT_EQ(evenSize(3), 4);
    EXPECT_EQ(evenSize(4), 4);
    EXPECT_EQ(y[0], 235); // white in limited range
    EXPECT_EQ(y[2], 16);  // black
    EXPECT_EQ(y[3], y[2]);
    EXPECT_EQ(y[4 + 3], y[4 + 2]);
    EXPECT_EQ(std::vector<std::uint8_t>(y.begin() + 12, y.end()),
              std::vector<std::uint8_t>(y.begin() + 8, y.begin() + 12));
}

TEST(ClickRings, DrawAFadingRingAroundThePressUntilItsLifetimeEnds)
{
    constexpr long size = 80;
    std::vector<std::uint8_t> pixels(size * size * 4, 0);
    const Bitmap frame{size, size, size * 4, pixels.data(), nullptr};
    const auto pixel = [&](long x, long y) { return pixels.data() + (y * size + x) * 4; };
    ClickRings rings(1.0);
    const ClickRings::Clock::time_point pressed{1s};
    // A press at root (140, 240) inside a frame of the area starting at root (100, 200).
    rings.add(pressed, 140, 240);
    const PixelRect area{100, 200, size, size};

    rings.draw(frame, area, pressed - 1ms);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0), long(pixels.size())) << "drawn before the press";

    rings.draw(frame, area, pressed);
    EXPECT_GT(pixel(40 + 10, 40)[2], 200) << "the ring starts at its start radius, in amber";
    EXPECT_EQ(pixel(40, 40)[2], 0) << "its centre stays clear";
    const std::uint8_t early = pixel(40, 40 - 10)[2];

    std::fill(pixels.begin(), pixels.end(), 0);
    rings.draw(frame, area, pressed + 300ms);
    const long laterRadius =
        long(ClickRings::startRadius + (ClickRings::endRadius - ClickRings::startRadius) * 0.75);
    EXPECT_GT(pixel(40, 40 + laterRadius)[2], 0) << "it has widened";
    EXPECT_LT(pixel(40, 40 + laterRadius)[2], early) << "and faded";

    std::fill(pixels.begin(), pixels.end(), 0);
    rings.draw(frame, area, pressed + ClickRings::lifetime);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0), long(pixels.size())) << "gone after its lifetime";
}

} // namespace
} // namespace quillet::screencapture
