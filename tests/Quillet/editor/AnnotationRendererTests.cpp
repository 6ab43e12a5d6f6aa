#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/TextLine.hpp"
#include "core/AnnotationStyle.hpp"
#include "core/Mark.hpp"
#include "core/RedactionBlocks.hpp"
#include "tests/Quillet/editor/NoiseImage.hpp"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QThread>
#include <QThreadPool>

#include <array>
#include <atomic>
#include <cstdint>

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillet {
namespace {

constexpr QImage::Format bitmapFormat = QImage::Format_RGBA8888_Premultiplied;
constexpr double testScale = 2.0; // block 28 px, text 40 px, badge radius 28 px

[[nodiscard]] QImage filled(int width, int height, QColor color)
{
    QImage image(width, height, bitmapFormat);
    image.fill(color);
    return image;
}

// Opaque pixels that differ from their neighbours, so averaging and copying are visible.
[[nodiscard]] QImage noise(int width, int height)
{
    return testing::noiseImage(width, height, 12345);
}

[[nodiscard]] bool isNear(QColor actual, QColor expected, int tolerance)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

[[nodiscard]] std::string describe(QColor c)
{
    return "(" + std::to_string(c.red()) + ", " + std::to_string(c.green()) + ", " +
           std::to_string(c.blue()) + ", " + std::to_string(c.alpha()) + ")";
}

[[nodiscard]] int luminance(QColor c)
{
    return (c.red() + c.green() + c.blue()) / 3;
}

[[nodiscard]] QImage exported(const AnnotationRenderer& renderer, const std::vector<Mark>& marks)
{
    const std::optional<QImage> image = renderer.exportImage(marks);
    EXPECT_TRUE(image.has_value());
    return image.value_or(QImage());
}

const QColor pink(255, 45, 111);
const QColor blue(0, 122, 255);

TEST(AnnotationRenderer, ExportOfNoMarksIsTheImageAtItsOwnSize)
{
    const QImage image = noise(97, 61);
    const AnnotationRenderer renderer(image, AnnotationStyle(testScale));

    const QImage result = exported(renderer, {});

    EXPECT_EQ(result.size(), image.size());
    EXPECT_EQ(result.format(), bitmapFormat);
    EXPECT_TRUE(result == image);
}

TEST(AnnotationRenderer, ArrowStaysAboveARedactionLaterInTheList)
{
    const AnnotationRenderer renderer(noise(200, 120), AnnotationStyle(testScale));
    const std::vector<Mark> marks{
        Mark(Annotation::arrow({20, 60}, {180, 60}), AnnotationColor::pink),
        Mark(Annotation::redact({56, 28, 84, 56}), AnnotationColor::pink),
    };

    const QImage result = exported(renderer, marks);

    for (const int x : {70, 100, 130}) {
        EXPECT_TRUE(isNear(result.pixelColor(x, 60), pink, 2))
            << x << ": " << describe(result.pixelColor(x, 60));
    }
}

// The mean of one block of the grid anchored at the image origin, rounded as pixelation rounds.
[[nodiscard]] std::array<int, 4> blockMean(const QImage& image, int blockX, int blockY, int block)
{
    std::array<int, 4> sums{};
    int count = 0;
    for (int y = blockY; y < std::min(blockY + block, image.height()); ++y) {
        const std::uint8_t* row = image.constScanLine(y);
        for (int x = blockX; x < std::min(blockX + block, image.width()); ++x) {
            for (int k = 0; k < 4; ++k) {
                sums[static_cast<std::size_t>(k)] += row[x * 4 + k];
            }
            ++count;
        }
    }
    for (int& sum : sums) {
        sum = (sum + count / 2) / count;
    }
    return sums;
}

// A redaction whose rectangle is off the grid still shows blocks of the grid anchored at the image
// origin: every visible pixel carries the colour of its whole origin-aligned block, which is the
// block's mean moved by at most the noise, alpha untouched.
TEST(AnnotationRenderer, RedactionShowsUniformBlocksAlignedToTheImageOrigin)
{
    const QImage image = noise(200, 150);
    const AnnotationStyle style(testScale);
    const int block = style.redactBlockPixels();
    ASSERT_EQ(block, 28);
    const AnnotationRenderer renderer(image, style);
    const QRect area(40, 45, 70, 80);

    const QImage result =
        exported(renderer, {Mark(Annotation::redact({40, 45, 70, 80}), AnnotationColor::red)});

    int mismatches = 0;
    int moved = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const std::uint8_t* row = result.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x) {
            const int blockX = x / block * block;
            const int blockY = y / block * block;
            const std::array<int, 4> mean = blockMean(image, blockX, blockY, block);
            const std::uint8_t* first =
                result.constScanLine(std::max(blockY, area.top())) + std::max(blockX, area.left()) * 4;
            for (int k = 0; k < 4; ++k) {
                const int limit = k == 3 ? 0 : RedactionBlocks::noiseLevels;
                mismatches += std::abs(row[x * 4 + k] - mean[static_cast<std::size_t>(k)]) > limit ? 1 : 0;
                mismatches += row[x * 4 + k] != first[k] ? 1 : 0;
                moved += row[x * 4 + k] != mean[static_cast<std::size_t>(k)] ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(moved, 0) << "the blocks show their exact means";
    EXPECT_EQ(result.pixelColor(39, 60), image.pixelColor(39, 60)) << "the redaction spilled left";
    EXPECT_EQ(result.pixelColor(110, 60), image.pixelColor(110, 60)) << "the redaction spilled right";
    EXPECT_EQ(result.pixelColor(60, 44), image.pixelColor(60, 44)) << "the redaction spilled up";
}

class HighlightColour : public ::testing::TestWithParam<AnnotationColor> {};

// Multiplying 70 % of (1.0, 0.86, 0.1) into white gives (1.0, 0.902, 0.37); black stays black.
TEST_P(HighlightColour, IsTheFixedYellowMultipliedIntoTheCapture)
{
    const Mark highlight(Annotation::highlight({10, 10, 60, 40}), GetParam());
    const AnnotationRenderer onWhite(filled(80, 60, Qt::white), AnnotationStyle(testScale));
    const AnnotationRenderer onBlack(filled(80, 60, Qt::black), AnnotationStyle(testScale));

    const QColor overWhite = exported(onWhite, {highlight}).pixelColor(40, 30);
    const QColor overBlack = exported(onBlack, {highlight}).pixelColor(40, 30);

    EXPECT_TRUE(isNear(overWhite, QColor(255, 230, 94), 2)) << describe(overWhite);
    EXPECT_TRUE(isNear(overBlack, Qt::black, 1)) << describe(overBlack);
}

INSTANTIATE_TEST_SUITE_P(MarkColours, HighlightColour,
                         ::testing::Values(AnnotationColor::pink, AnnotationColor::blue,
                                           AnnotationColor::black));

TEST(AnnotationRenderer, NumberBadgeHasAWhiteRingAroundTheMarkColourAndWhiteDigits)
{
    const QColor background(40, 40, 40);
    const AnnotationRenderer renderer(filled(140, 140, background), AnnotationStyle(testScale));
    const QImage result = exported(renderer, {Mark(Annotation::number({70, 70}, 7), AnnotationColor::blue)});

    // Radius 28, ring 5: the ring spans 28...33 from the centre.
    for (const QPoint ring : {QPoint(70 + 30, 70), QPoint(70 - 30, 70), QPoint(70, 70 - 30)}) {
        EXPECT_TRUE(isNear(result.pixelColor(ring), Qt::white, 3)) << describe(result.pixelColor(ring));
    }
    for (const QPoint inside : {QPoint(70 - 22, 70), QPoint(70, 70 - 22), QPoint(70 + 22, 70)}) {
        EXPECT_TRUE(isNear(result.pixelColor(inside), blue, 3)) << describe(result.pixelColor(inside));
    }
    EXPECT_TRUE(isNear(result.pixelColor(70 - 40, 70 - 40), background, 12)) << "outside the badge";

    int whiteDigitPixels = 0;
    for (int y = 58; y <= 82; ++y) {
        for (int x = 60; x <= 80; ++x) {
            whiteDigitPixels += isNear(result.pixelColor(x, y), Qt::white, 10) ? 1 : 0;
        }
    }
    EXPECT_GT(whiteDigitPixels, 30);
}

// Classifies the pixels of one row and drops anti-aliased transitions, so the row reads as a run
// list such as "GWCWG" (grey background, white outline, colour fill).
[[nodiscard]] std::string runsAlong(const QImage& image, int y, QColor background, QColor fill)
{
    std::string runs;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        char kind = 0;
        if (isNear(c, fill, 4)) {
            kind = 'C';
        } else if (isNear(c, Qt::white, 4)) {
            kind = 'W';
        } else if (isNear(c, background, 30)) {
            kind = 'G';
        }
        if (kind != 0 && (runs.empty() || runs.back() != kind)) {
            runs.push_back(kind);
        }
    }
    return runs;
}

TEST(AnnotationRenderer, TextIsFilledInTheMarkColourWithAWhiteOutline)
{
    const QColor grey(128, 128, 128);
    const AnnotationRenderer renderer(filled(120, 100, grey), AnnotationStyle(testScale));
    const QImage result = exported(renderer, {Mark(Annotation::text({40, 20}, "I"), AnnotationColor::pink)});

    const TextLine line(QStringLiteral("I"), AnnotationStyle(testScale).textFontSize(), QFont::Bold);
    const int middleOfCap = static_cast<int>(20 + line.ascent() - line.capHeight() / 2);
    EXPECT_EQ(runsAlong(result, middleOfCap, grey, pink), "GWCWG");
}

// Outlined text as a designer draws it, at every zoom of the canvas: the counter of "o" and the bay
// of "C" are white, while the space between two words stays the picture's (nothing bridges it).
TEST(AnnotationRenderer, TextOutlineFillsCountersAndBaysButBridgesNoLettersAtEveryZoom)
{
    const QColor grey(128, 128, 128);
    const QImage picture = filled(140, 90, grey);
    const AnnotationRenderer renderer(picture, AnnotationStyle(testScale));
    const Point origin{10, 20};
    const std::vector<Mark> marks{Mark(Annotation::text(origin, "Co o"), AnnotationColor::pink)};
    const TextLine line(QStringLiteral("o"), AnnotationStyle(testScale).textFontSize(), QFont::Bold);
    const double middleOfO = line.outline(QPointF(origin.x, origin.y + line.ascent())).boundingRect().center().y();
    for (const int zoom : {1, 2, 8}) {
        QImage canvas = filled(picture.width() * zoom, picture.height() * zoom, grey);
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(zoom, zoom);
        renderer.draw(marks, painter);
        painter.end();
        EXPECT_EQ(runsAlong(canvas, static_cast<int>(middleOfO * zoom), grey, pink), "GWCWCWCWGWCWCWG")
            << "at zoom " << zoom;
    }
}

TEST(AnnotationRenderer, ShadowDarkensBelowAnArrowAndNotAbove)
{
    const AnnotationRenderer renderer(filled(200, 100, Qt::white), AnnotationStyle(testScale));
    const QImage result =
        exported(renderer, {Mark(Annotation::arrow({20, 50}, {180, 50}), AnnotationColor::blue)});

    ASSERT_TRUE(isNear(result.pixelColor(60, 50), blue, 2));
    int top = 50;
    while (top > 0 && isNear(result.pixelColor(60, top - 1), blue, 40)) {
        --top;
    }
    int bottom = 50;
    while (bottom < 99 && isNear(result.pixelColor(60, bottom + 1), blue, 40)) {
        ++bottom;
    }

    // The shadow is offset one point (2 px) down with a 6 px blur: 5 px beyond the body's edge it
    // is still clearly there below, and has faded out above.
    const int below = luminance(result.pixelColor(60, bottom + 5));
    const int above = luminance(result.pixelColor(60, top - 5));
    EXPECT_LE(below, 243);
    EXPECT_GE(above, 251);
}

TEST(AnnotationRenderer, WithoutAPixelatedCopyRedactionsDrawNothingAndTheRestStillDraws)
{
    const QImage image = noise(200, 120);
    std::atomic<int> attempts = 0;
    const AnnotationRenderer renderer(image, AnnotationStyle(testScale), [&](const QImage&, int) {
        ++attempts;
        return std::optional<QImage>();
    });
    const std::vector<Mark> marks{
        Mark(Annotation::redact({28, 28, 56, 56}), AnnotationColor::pink),
        Mark(Annotation::highlight({120, 10, 60, 30}), AnnotationColor::pink),
        Mark(Annotation::arrow({100, 100}, {190, 100}), AnnotationColor::blue),
    };

    const QImage first = exported(renderer, marks);
    const QImage second = exported(renderer, marks);

    EXPECT_TRUE(first.copy(28, 28, 56, 56) == image.copy(28, 28, 56, 56));
    EXPECT_NE(first.pixelColor(150, 25), image.pixelColor(150, 25)) << "the highlight is missing";
    EXPECT_TRUE(isNear(first.pixelColor(160, 100), blue, 2)) << "the arrow is missing";
    EXPECT_TRUE(first == second);
    EXPECT_GE(attempts.load(), 2) << "a failed copy must not be cached";
}

TEST(AnnotationRenderer, PrepareComputesThePixelatedCopyOnceOnAWorkerThread)
{
    std::atomic<int> computations = 0;
    std::atomic<QThread*> computedOn = nullptr;
    const AnnotationRenderer renderer(noise(64, 64), AnnotationStyle(testScale),
                                      [&](const QImage& image, int blockPixels) {
                                          ++computations;
                                          computedOn = QThread::currentThread();
                                          return AnnotationRenderer::pixelate(image, blockPixels);
                                      });

    renderer.prepare();
    QThreadPool::globalInstance()->waitForDone();
    const std::optional<QImage> copy = renderer.pixelated();

    ASSERT_TRUE(copy.has_value());
    const int block = AnnotationStyle(testScale).redactBlockPixels();
    EXPECT_EQ(copy->size(), QSize((64 + block - 1) / block, (64 + block - 1) / block))
        << "one pixel per block";
    EXPECT_EQ(computations.load(), 1);
    EXPECT_NE(computedOn.load(), QThread::currentThread());
}

TEST(AnnotationRenderer, TextSizeIsTheTypographicWidthByAscentPlusDescent)
{
    const AnnotationRenderer renderer(filled(10, 10, Qt::white), AnnotationStyle(testScale));
    const TextLine line(QStringLiteral("Ag"), AnnotationStyle(testScale).textFontSize(), QFont::Bold);

    const Size size = renderer.textSize("Ag");

    EXPECT_DOUBLE_EQ(size.height, line.ascent() + line.descent());
    EXPECT_GT(size.height, 40.0) << "the font is not set at 20 x scale";
    EXPECT_LT(size.height, 60.0) << "the font is not set at 20 x scale";
    EXPECT_GT(renderer.textSize("Ag  ").width, size.width) << "trailing spaces must count";
}

} // namespace
} // namespace quillet
