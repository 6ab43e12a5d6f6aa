// Text recognition over redacted text: what an OCR program reads in an export is what the user
// handed over. Every row also reads the unredacted text, so a blind OCR cannot pass the test.
#include "Quillet/editor/AnnotationRenderer.hpp"
#include "core/AnnotationStyle.hpp"
#include "core/Mark.hpp"

#include "tests/Quillet/editor/RedactionSample.hpp"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <numeric>
#include <ostream>
#include <vector>

namespace quillet {
namespace {

using testing::TextSample;

const QString inter = QStringLiteral("Inter");
const QString mono = QStringLiteral("DejaVu Sans Mono");
const QStringList secretWords{QStringLiteral("Harbor"), QStringLiteral("Violet")};

constexpr int recognitionTimeoutMs = 30'000;
// OCR reads lines best with letters of this height; smaller and larger text is scaled to it, the
// redacted image and the plain one alike, as anyone trying to read a redaction would.
constexpr double ocrInkHeight = 40;
constexpr int ocrMarginPixels = 24;
constexpr std::uint64_t fixedSeed = 0x5EED;

struct Row {
    TextSample sample;
    double scale; // the capture's pixels per point

    friend void PrintTo(const Row& row, std::ostream* out)
    {
        *out << row.sample.family.toStdString() << ' ' << row.sample.pixelSize << "px "
             << (row.sample.dark ? "dark" : "light") << " at " << row.scale << 'x';
    }
};

// What tesseract reads on one line of `image`, or an empty list when it could not run.
[[nodiscard]] QStringList recognise(const QImage& image)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("line.png"));
    if (!dir.isValid() || !image.save(path)) {
        ADD_FAILURE() << "cannot write the image for tesseract";
        return {};
    }
    QProcess ocr;
    ocr.start(QStringLiteral("tesseract"),
              {path, QStringLiteral("stdout"), QStringLiteral("--psm"), QStringLiteral("7"),
               QStringLiteral("-l"), QStringLiteral("eng")});
    if (!ocr.waitForFinished(recognitionTimeoutMs) || ocr.exitStatus() != QProcess::NormalExit ||
        ocr.exitCode() != 0) {
        ocr.kill();
        ocr.waitForFinished(recognitionTimeoutMs);
        ADD_FAILURE() << "tesseract failed: " << ocr.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(ocr.readAllStandardOutput())
        .toLower()
        .split(QRegularExpression(QStringLiteral("[^a-z0-9]+")), Qt::SkipEmptyParts);
}

[[nodiscard]] int editDistance(const QString& a, const QString& b)
{
    std::vector<int> previous(static_cast<std::size_t>(b.size()) + 1);
    std::iota(previous.begin(), previous.end(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        std::vector<int> current{static_cast<int>(i)};
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int substitution =
                previous[static_cast<std::size_t>(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current.push_back(
                std::min({previous[static_cast<std::size_t>(j)] + 1, current.back() + 1, substitution}));
        }
        previous = std::move(current);
    }
    return previous.back();
}

// Words of the secret that OCR read, counting a word read with one letter wrong as read.
[[nodiscard]] int wordsRecovered(const QStringList& read)
{
    return static_cast<int>(std::count_if(secretWords.begin(), secretWords.end(), [&](const QString& word) {
        return std::any_of(read.begin(), read.end(),
                           [&](const QString& token) { return editDistance(token, word.toLower()) <= 1; });
    }));
}

// The redaction and its surroundings, scaled so the text stands at a height OCR reads well.
[[nodiscard]] QImage ocrCrop(const QImage& image, QRect area, int inkHeight)
{
    const QRect crop = area.adjusted(-ocrMarginPixels, -ocrMarginPixels, ocrMarginPixels, ocrMarginPixels)
                           .intersected(image.rect());
    const double factor = ocrInkHeight / inkHeight;
    return image.copy(crop).scaledToHeight(static_cast<int>(crop.height() * factor),
                                           Qt::SmoothTransformation);
}

class RedactionRecognition : public ::testing::TestWithParam<Row> {};

TEST_P(RedactionRecognition, LeavesNoWordReadable)
{
    const Row& row = GetParam();
    const QImage image = row.sample.render(secretWords.join(QLatin1Char(' ')));
    const QRect ink = testing::inkBox(image, row.sample.background());
    ASSERT_FALSE(ink.isEmpty());
    const AnnotationStyle style(row.scale);
    const AnnotationRenderer renderer(image, style, &AnnotationRenderer::pixelate, fixedSeed);
    const Rect area = testing::redactionOver(ink, image, style.redactBlockPixels());

    const std::optional<QImage> redacted =
        renderer.exportImage({Mark(Annotation::redact(area), AnnotationColor::pink)});
    ASSERT_TRUE(redacted.has_value());

    const QRect cropArea(static_cast<int>(area.origin.x), static_cast<int>(area.origin.y),
                         static_cast<int>(area.size.width), static_cast<int>(area.size.height));
    const int before = wordsRecovered(recognise(ocrCrop(image, cropArea, ink.height())));
    const int after = wordsRecovered(recognise(ocrCrop(*redacted, cropArea, ink.height())));
    RecordProperty("wordsReadUnredacted", before);
    RecordProperty("wordsReadRedacted", after);
    std::printf("recognition %s %dpx %s %.0fx: %d of %d words read unredacted, %d redacted\n",
                row.sample.family.toUtf8().constData(), row.sample.pixelSize,
                row.sample.dark ? "dark" : "light", row.scale, before, static_cast<int>(secretWords.size()),
                after);
    EXPECT_GE(before, 1) << "OCR cannot read this text even unredacted: the row proves nothing";
    EXPECT_EQ(after, 0) << "a redacted word was read back";
}

INSTANTIATE_TEST_SUITE_P(TextSizesFontsAndThemes, RedactionRecognition,
                         ::testing::Values(Row{{inter, 8, false}, 1}, Row{{mono, 13, true}, 1},
                                           Row{{inter, 28, true}, 2}, Row{{mono, 45, false}, 1},
                                           Row{{inter, 100, false}, 1}, Row{{mono, 160, true}, 2},
                                           Row{{inter, 400, true}, 1}));

} // namespace
} // namespace quillet
