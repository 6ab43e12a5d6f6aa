// The annotation renderer against the cheapest thing it must at least do, each pair measured in the
// same iteration so the ratio does not depend on the machine or on load from other processes:
// - exporting a 5K capture with the eight sample marks (pixelated copy cached) vs copying the image
//   once: target <= 8x;
// - making the pixelated copy of a 5K capture vs copying the image once: target <= 4x;
// - one canvas draw at 1000 x 700 view points (image scaled in, eight marks) vs drawing the scaled
//   image alone: target <= 3x.
#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/EditorSample.hpp"
#include "core/CanvasFit.hpp"

#include "bench/BenchmarkRatio.hpp"
#include "bench/ScaledSampleMarks.hpp"
#include "bench/ScreenLikeImage.hpp"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using quillet::AnnotationRenderer;
using quillet::AnnotationStyle;
using quillet::EditorSample;
using quillet::Mark;
using quillet::bench::measureAgainst;

using quillet::bench::captureHeight;
using quillet::bench::capturePixelsPerPoint;
using quillet::bench::captureWidth;

constexpr double viewWidth = 1000;
constexpr double viewHeight = 700;
constexpr double canvasPadding = 20;

const QImage& capture()
{
    static const QImage image = quillet::bench::screenLikeImage(captureWidth, captureHeight);
    return image;
}

void exportCaptureWithSampleMarks(benchmark::State& state)
{
    const AnnotationStyle style(capturePixelsPerPoint);
    const AnnotationRenderer renderer(capture(), style);
    const std::vector<Mark> marks = quillet::bench::captureSampleMarks(style);
    if (!renderer.pixelated()) {
        std::abort();
    }
    measureAgainst(
        state, [&] { benchmark::DoNotOptimize(capture().copy().constBits()); },
        [&] {
            const std::optional<QImage> exported = renderer.exportImage(marks);
            benchmark::DoNotOptimize(exported->constBits());
        });
}

void pixelatedCopyOfCapture(benchmark::State& state)
{
    const int block = AnnotationStyle(capturePixelsPerPoint).redactBlockPixels();
    measureAgainst(
        state, [&] { benchmark::DoNotOptimize(capture().copy().constBits()); },
        [&] {
            const std::optional<QImage> copy = AnnotationRenderer::pixelate(capture(), block);
            benchmark::DoNotOptimize(copy->constBits());
        });
}

void drawCanvasWithSampleMarks(benchmark::State& state)
{
    const QImage screenshot = EditorSample::screenshot();
    const AnnotationRenderer renderer(screenshot, AnnotationStyle(EditorSample::pixelsPerPoint));
    const std::vector<Mark> marks = EditorSample::marks();
    if (!renderer.pixelated()) {
        std::abort();
    }
    const quillet::CanvasFit fit(
        {static_cast<double>(screenshot.width()), static_cast<double>(screenshot.height())},
        {viewWidth, viewHeight}, EditorSample::pixelsPerPoint, canvasPadding);
    QImage view(static_cast<int>(viewWidth), static_cast<int>(viewHeight),
                QImage::Format_ARGB32_Premultiplied);
    const auto paintView = [&](const auto& drawContent) {
        view.fill(Qt::lightGray);
        QPainter painter(&view);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(fit.origin.x, fit.origin.y);
        painter.scale(fit.scale, fit.scale);
        drawContent(painter);
    };
    measureAgainst(
        state,
        [&] {
            paintView([&](QPainter& painter) {
                painter.drawImage(QRectF(0, 0, screenshot.width(), screenshot.height()), screenshot);
            });
        },
        [&] { paintView([&](QPainter& painter) { renderer.draw(marks, painter); }); });
}

BENCHMARK(exportCaptureWithSampleMarks)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(pixelatedCopyOfCapture)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(drawCanvasWithSampleMarks)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

// One line per benchmark with its ratio against the target.
void printAgainstTarget(const std::string& name, double ratio)
{
    const std::map<std::string, std::pair<double, const char*>> targets{
        {"exportCaptureWithSampleMarks", {8.0, "copying the image"}},
        {"pixelatedCopyOfCapture", {4.0, "copying the image"}},
        {"drawCanvasWithSampleMarks", {3.0, "drawing the scaled image alone"}},
    };
    const auto target = targets.find(name);
    if (target == targets.end()) {
        return;
    }
    std::printf("%s: %.2f x %s (target <= %.1f x: %s)\n", name.c_str(), ratio, target->second.second,
                target->second.first, ratio <= target->second.first ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    // Text needs fonts, which need a GUI application; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    quillet::bench::RatioReporter reporter(quillet::bench::RatioName::function, printAgainstTarget);
    return quillet::bench::runBenchmarks(argc, argv, &reporter);
}
