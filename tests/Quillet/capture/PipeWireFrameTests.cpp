#include "Quillet/capture/PipeWireFrame.hpp"

#include <gtest/gtest.h>
#include <vector>
#include <array>

namespace quillet {
namespace {

// A compositor may fill the fourth byte of a monitor's frame with anything, zero included: the still
// is opaque all the same, with the colours the other three bytes give, and a row's padding is skipped.
TEST(PipeWireFrame, AMonitorsFrameIsOpaqueWhateverItsFourthBytesHold)
{
    constexpr int width = 3;
    constexpr int height = 2;
    constexpr int stride = width * 4 + 8;
    struct Case {
        const char* name;
        QImage::Format format;
        std::array<unsigned char, 3> bytes; // the first three bytes of a pixel, in memory order
    };
    const Case cases[] = {
        {"BGRx/BGRA", QImage::Format_RGB32, {30, 20, 10}},
        {"RGBx/RGBA", QImage::Format_RGBX8888, {10, 20, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> frame(std::size_t(stride) * height, 0x77);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                unsigned char* pixel = &frame[std::size_t(y) * stride + std::size_t(x) * 4];
                pixel[0] = c.bytes[0];
                pixel[1] = c.bytes[1];
                pixel[2] = c.bytes[2];
                pixel[3] = static_cast<unsigned char>(x * 40); // 0 at the left: fully transparent if trusted
            }
        }
        const QImage image = PipeWireFrame::opaqueImage(frame.data(), width, height, stride, c.format);
        ASSERT_EQ(image.size(), QSize(width, height));
        const QImage words = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                EXPECT_EQ(words.pixel(x, y), qRgba(10, 20, 30, 255)) << x << "," << y;
            }
        }
    }
}

} // namespace
} // namespace quillet
