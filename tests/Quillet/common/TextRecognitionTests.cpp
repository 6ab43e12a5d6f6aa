// Text read back from screenshots of known text: several fonts and sizes, dark and light. The error
// rate of each row is printed, for the record, and bounded.
#include "Quillet/common/TesseractRecognizer.hpp"

#include <QFont>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <ostream>
#include <vector>

namespace quillet {
namespace {

// Two paragraphs of two lines each, as a window or a web page would show them.
const QStringList firstParagraph{QStringLiteral("Invoice 2024-0193: total $1,284.50 due on March 7."),
                                 QStringLiteral("The quick brown fox jumps over the lazy dog.")};
const QStringList secondParagraph{QStringLiteral("Open a file, then press Ctrl+Shift+C to read it."),
                                  QStringLiteral("Settings: copy new captures to the clipboard")};

constexpr double lineSpacing = 1.5;      // of the pixel size, within a paragraph
constexpr double paragraphSpacing = 3.5; // of the pixel size, between paragraphs
constexpr int marginPixels = 24;
constexpr int widthPixels = 640;

struct Row {
    const char* family;
    int pixelSize;
    bool dark;
    double maximumErrorRate; // characters wrong per character expected

    friend void PrintTo(const Row& row, std::ostream* out)
    {
        *out << row.family << ' ' << row.pixelSize << "px " << (row.dark ? "dark" : "light");
    }
};

// The paragraphs antialiased on a plain background, as a screenshot of them would be.
[[nodiscard]] QImage screenshot(const Row& row, const std::vector<QStringList>& paragraphs)
{
    const int height = marginPixels * 2 + qRound(row.pixelSize * paragraphSpacing * 3);
    QImage image(widthPixels, height, QImage::Format_RGB32);
    image.fill(row.dark ? QColor(30, 30, 30) : QColor(250, 250, 250));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QString::fromLatin1(row.family));
    font.setPixelSize(row.pixelSize);
    painter.setFont(font);
    painter.setPen(row.dark ? QColor(235, 235, 235) : QColor(20, 20, 20));
    double baseline = marginPixels + row.pixelSize;
    for (const QStringList& lines : paragraphs) {
        for (const QString& line : lines) {
            painter.drawText(QPointF(marginPixels, baseline), line);
            baseline += row.pixelSize * lineSpacing;
        }
        baseline += row.pixelSize * (paragraphSpacing - lineSpacing);
    }
    return image;
}

[[nodiscard]] int editDistance(const QString& a, const QString& b)
{
    std::vector<int> previous(static_cast<std::size_t>(b.size()) + 1);
    std::iota(previous.begin(), previous.end(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        std::vector<int> current{static_cast<int>(i)};
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int substitution = previous[std::size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current.push_back(std::min({substitution, previous[std::size_t(j)] + 1, current.back() + 1}));
        }
        previous = std::move(current);
    }
    return previous.back();
}

[[nodiscard]] QStringList paragraphsOf(const QString& text)
{
    return text.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
}

class ReadText : public ::testing::TestWithParam<Row> {
protected:
    TesseractRecognizer recognizer_{QStringLiteral("en_US.UTF-8"),
                                    QStringLiteral("/usr/share/tesseract-ocr/5/tessdata")};
};

TEST_P(ReadText, GivesTheLinesAndParagraphsBack)
{
    const Row& row = GetParam();
    ASSERT_EQ(recognizer_.unavailableReason(), QString()) << "the bootstrap installs tesseract-ocr-eng";
    const QString expected =
        firstParagraph.join(u'\n') + QStringLiteral("\n\n") + secondParagraph.join(u'\n');

    const std::optional<QString> read = recognizer_.read(screenshot(row, {firstParagraph, secondParagraph}));

    ASSERT_TRUE(read.has_value());
    const double errorRate = double(editDistance(*read, expected)) / double(expected.size());
    std::printf("[ text     ] %s %dpx %s: %.2f %% of characters wrong\n", row.family, row.pixelSize,
                row.dark ? "dark" : "light", errorRate * 100);
    EXPECT_LE(errorRate, row.maximumErrorRate) << read->toStdString();
    const QStringList paragraphs = paragraphsOf(*read);
    ASSERT_EQ(paragraphs.size(), 2) << read->toStdString();
    EXPECT_EQ(paragraphs[0].count(u'\n'), 1) << "each line stays a line";
    EXPECT_EQ(paragraphs[1].count(u'\n'), 1);
    EXPECT_EQ(read->trimmed(), *read) << "no space around the text";

    EXPECT_EQ(recognizer_.read(screenshot(row, {})), QString()) << "a picture without text reads as empty";
}

// 2 % on UI text of 13 pixels and more; smaller text is read too, less well.
INSTANTIATE_TEST_SUITE_P(TextRecognition, ReadText,
                         ::testing::Values(Row{"Inter", 11, false, 0.05}, Row{"Inter", 13, false, 0.02},
                                           Row{"Inter", 13, true, 0.02}, Row{"Inter", 16, true, 0.02},
                                           Row{"DejaVu Sans", 13, false, 0.02},
                                           Row{"DejaVu Sans", 20, true, 0.02},
                                           Row{"DejaVu Sans Mono", 13, true, 0.02},
                                           Row{"DejaVu Sans Mono", 16, false, 0.02}));

TEST(TextRecognition, WithoutLanguageDataSaysWhatToInstallAndReadsNothing)
{
    const QTemporaryDir empty;
    const TesseractRecognizer recognizer(QStringLiteral("de_DE.UTF-8"), empty.path());
    EXPECT_EQ(recognizer.language(), QStringLiteral("eng")) << "no German data: English";
    EXPECT_TRUE(recognizer.unavailableReason().contains(QStringLiteral("tesseract-ocr-eng")));
    QImage text(200, 50, QImage::Format_RGB32);
    text.fill(Qt::white);
    EXPECT_EQ(recognizer.read(text), std::nullopt);
}

} // namespace
} // namespace quillet
