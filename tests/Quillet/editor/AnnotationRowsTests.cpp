#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/library/WebPEncoder.hpp"
#include "core/AnnotationGeometry.hpp"
#include "core/AnnotationStyle.hpp"
#include "core/Mark.hpp"
#include "tests/Quillet/editor/NoiseImage.hpp"

#include <QImage>

#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace quillet {
namespace {

constexpr QImage::Format bitmapFormat = QImage::Format_RGBA8888_Premultiplied;
constexpr int imageWidth = 640;
constexpr int imageHeight = 560;

// Pixels that differ from their neighbours, so a row painted one off shows; `alpha` for all of them.
[[nodiscard]] QImage noise(std::uint8_t alpha)
{
    return testing::noiseImage(imageWidth, imageHeight, 987654321, alpha);
}

// Every kind of mark, each across the seams of the encoder's 128-row bands and their margins.
[[nodiscard]] std::vector<Mark> marksAcrossBands(const AnnotationStyle& style)
{
    const Rect bounds(0, 0, imageWidth, imageHeight);
    return {
        Mark(Annotation::redact(AnnotationGeometry::redactionRect(Rect{40, 100, 260, 70},
                                                                  style.redactBlockPixels(), bounds)),
             AnnotationColor::pink),
        Mark(Annotation::redact(AnnotationGeometry::redactionRect(Rect{330, 230, 300, 310},
                                                                  style.redactBlockPixels(), bounds)),
             AnnotationColor::pink),
        Mark(Annotation::highlight(Rect{20.5, 240.25, 400, 35}), AnnotationColor::pink),
        Mark(Annotation::arrow({30, 380}, {350.5, 120.75}), AnnotationColor::blue),
        Mark(Annotation::number({500, 127}, 7), AnnotationColor::red),
        Mark(Annotation::text({60, 250}, "Band seams"), AnnotationColor::red),
    };
}

struct RowsCase {
    const char* name;
    double scale;
    std::uint8_t alpha;
};

class AnnotationRows : public ::testing::TestWithParam<RowsCase> {};

// Bands painted one by one are the export's own rows, pixel for pixel, and the file encoded from them
// is byte for byte the one encoded from the whole export: saving without the whole bitmap changes
// nothing in the file.
TEST_P(AnnotationRows, PaintedBandsAreTheExportAndEncodeToTheSameFile)
{
    const RowsCase c = GetParam();
    const AnnotationRenderer renderer(noise(c.alpha), AnnotationStyle(c.scale), &AnnotationRenderer::pixelate,
                                      42);
    const std::vector<Mark> marks = marksAcrossBands(renderer.style());
    const std::optional<QImage> whole = renderer.exportImage(marks);
    ASSERT_TRUE(whole);

    for (const auto& [top, rows] : {std::pair{0, 144}, std::pair{120, 144}, std::pair{127, 1},
                                    std::pair{248, 150}, std::pair{imageHeight - 50, 50}}) {
        QImage band(imageWidth, rows, bitmapFormat);
        ASSERT_TRUE(renderer.paintRows(marks, top, band));
        EXPECT_TRUE(band == whole->copy(0, top, imageWidth, rows)) << "rows from " << top;
    }
    QImage past(imageWidth, 10, bitmapFormat);
    EXPECT_FALSE(renderer.paintRows(marks, imageHeight - 5, past)) << "rows past the image";

    const std::optional<QByteArray> fromRows = WebPEncoder::encodeRows(
        renderer.image().size(), bitmapFormat, WebPEncoder::hasTranslucentPixel(renderer.image()),
        [&](int top, QImage& band) { return renderer.paintRows(marks, top, band); });
    const std::optional<QByteArray> fromWhole = WebPEncoder::encode(*whole);
    ASSERT_TRUE(fromRows && fromWhole);
    EXPECT_TRUE(*fromRows == *fromWhole) << fromRows->size() << " bytes against " << fromWhole->size();
}

INSTANTIATE_TEST_SUITE_P(
    Scales, AnnotationRows,
    ::testing::Values(RowsCase{"opaque_at_1x", 1, 255}, RowsCase{"opaque_at_1_5x", 1.5, 255},
                      RowsCase{"opaque_at_2x", 2, 255}, RowsCase{"translucent_at_2x", 2, 160}),
    [](const ::testing::TestParamInfo<RowsCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
