#include "Quillet/app/MemoryProbe.hpp"

#include <QImage>
#include <QStringList>

#include <gtest/gtest.h>

namespace quillet {
namespace {

constexpr std::uint64_t mebibyte = 1024 * 1024;

TEST(MemoryProbe, ReportsEveryStepInOrderAndSkipsTheEditorForACaptureThatFailed)
{
    std::uint64_t readings = 0;
    MemoryProbe::Setup setup;
    setup.captureSize = QSize(880, 500);
    setup.captures = 3;
    setup.makeCapture = [](int seed) {
        if (seed == 2) {
            return QImage();
        }
        QImage image(880, 500, QImage::Format_RGBA8888_Premultiplied);
        image.fill(QColor::fromRgbF(0.1F * static_cast<float>(seed), 0.5F, 0.9F));
        return image;
    };
    setup.readMemory = [&readings] {
        ++readings;
        return brindle::MemoryFootprint::Reading{readings * mebibyte, 2 * readings * mebibyte};
    };

    const QString text = MemoryProbe::report(setup);

    ASSERT_TRUE(text.endsWith(QLatin1Char('\n')));
    const QStringList lines = text.chopped(1).split(QLatin1Char('\n'));
    const QStringList labels = {
        QStringLiteral("start"),
        QStringLiteral("capture 1: encoded, thumbnail kept"),
        QStringLiteral("capture 2: encoded, thumbnail kept"),
        QStringLiteral("capture 3: encoded, thumbnail kept"),
        QString(),
        QStringLiteral("editor 1: opened, redacted, saved, closed"),
        QStringLiteral("editor 3: opened, redacted, saved, closed"),
        QStringLiteral("thumbnails dismissed"),
    };
    ASSERT_EQ(lines.size(), 2 + labels.size()) << text.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Quillet memory (880\u00d7500 captures, 3 of them)"));
    EXPECT_EQ(lines[1], QString());
    // Two 440 × 250 thumbnails: 2 × 440 × 250 × 4 bytes.
    EXPECT_EQ(lines[6],
              QStringLiteral("  thumbnails hold 859 KB of pixels; at full size (1.0) they held 5 MB"));
    std::uint64_t reading = 0;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        if (labels[i].isEmpty()) {
            continue;
        }
        ++reading;
        EXPECT_EQ(lines[2 + i],
                  labels[i].leftJustified(52) +
                      QString::asprintf("%7.1f MB   peak %7.1f MB", double(reading), double(2 * reading)));
    }
    EXPECT_EQ(readings, 7U);
}

} // namespace
} // namespace quillet
