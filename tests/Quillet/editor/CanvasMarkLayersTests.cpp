#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/CanvasMarkLayers.hpp"
#include "core/AnnotationStyle.hpp"
#include "core/Mark.hpp"
#include "tests/Quillet/editor/NoiseImage.hpp"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillet {
namespace {

constexpr int width = 400;
constexpr int height = 260;

[[nodiscard]] QImage noise()
{
    return testing::noiseImage(width, height, 4242);
}

// The marks around the one that changes (index 1): a redaction under everything, a number and a text
// drawn after it, a highlight at the right.
[[nodiscard]] std::vector<Mark> marksWith(const Annotation& changing)
{
    return {
        Mark(Annotation::redact({20, 20, 60, 40}), AnnotationColor::pink),
        Mark(changing, AnnotationColor::blue),
        Mark(Annotation::number({200, 130}, 1), AnnotationColor::red),
        Mark(Annotation::text({40, 200}, "Later"), AnnotationColor::red),
        Mark(Annotation::highlight({320, 20, 70, 40}), AnnotationColor::pink),
    };
}

struct Frame {
    Annotation changing;
    // A mark kept in the transparent layer above the changing one is blended once more, and rounded.
    int tolerance;
};

struct FramesCase {
    const char* name;
    std::vector<Frame> frames;
};

class CanvasMarkLayersFrames : public ::testing::TestWithParam<FramesCase> {};

// Whatever the changing mark passes near or far from, each frame drawn from the kept layers is the
// frame drawn mark by mark in order: exactly while it lies clear of the marks drawn after it.
TEST_P(CanvasMarkLayersFrames, EachFrameIsTheMarksDrawnInOrder)
{
    const AnnotationRenderer renderer(noise(), AnnotationStyle(1), &AnnotationRenderer::pixelate, 7);
    const QImage backdrop = renderer.image().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const auto noSetUp = [](QPainter&) {};
    CanvasMarkLayers layers;
    int frame = 0;
    for (const auto& [changing, tolerance] : GetParam().frames) {
        const std::vector<Mark> marks = marksWith(changing);
        QImage layered(backdrop.size(), QImage::Format_ARGB32_Premultiplied);
        {
            QPainter painter(&layered);
            layers.paint(painter, backdrop, marks, 1, renderer, noSetUp);
        }
        QImage whole = backdrop.copy();
        {
            QPainter painter(&whole);
            renderer.drawMarks(marks, painter);
        }
        int worst = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const QRgb a = layered.pixel(x, y);
                const QRgb b = whole.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
            }
        }
        EXPECT_LE(worst, tolerance) << "frame " << frame;
        ++frame;
    }
}

INSTANTIATE_TEST_SUITE_P(Drags, CanvasMarkLayersFrames,
                         ::testing::Values(FramesCase{"arrow_clear_then_under_later_marks",
                                                      {{Annotation::arrow({300, 200}, {360, 150}), 0},
                                                       {Annotation::arrow({301, 200}, {361, 150}), 0},
                                                       {Annotation::arrow({170, 160}, {230, 110}), 1},
                                                       {Annotation::arrow({30, 230}, {120, 190}), 1},
                                                       {Annotation::arrow({300, 200}, {360, 150}), 0}}},
                                           FramesCase{"redaction_clear_then_under_the_highlight",
                                                      {{Annotation::redact({200, 200, 40, 40}), 0},
                                                       {Annotation::redact({330, 30, 40, 40}), 0},
                                                       {Annotation::redact({200, 200, 40, 40}), 0}}}),
                         [](const ::testing::TestParamInfo<FramesCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace quillet
