#include "Quillet/recording/VideoFrame.hpp"

#include "tests/Quillet/recording/MovieFixture.hpp"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(VideoFrame, TheFirstFrameFitsTheLimitWithItsProportionsAndNothingComesOfAFileThatIsNoMovie)
{
    QTemporaryDir folder;
    struct Case {
        QString size;
        int limit;
        QSize expected;
    };
    const Case cases[] = {
        {"2880x1800", 440, {440, 275}},
        {"1080x1920", 440, {248, 440}},
        {"320x200", 440, {320, 200}}, // never enlarged
    };
    for (const auto& c : cases) {
        const QString movie = folder.filePath(c.size + ".mov");
        if (!testing::makeMovie(movie, c.size, 0.1)) {
            GTEST_SKIP() << "ffmpeg is needed to make a movie";
        }
        const auto frame = VideoFrame::first(movie, c.limit);
        ASSERT_TRUE(frame.has_value()) << c.size.toStdString();
        EXPECT_EQ(frame->size(), c.expected) << c.size.toStdString();
        // The test pattern is colourful from its first row: a failed conversion leaves black.
        EXPECT_NE(frame->pixel(frame->width() / 8, frame->height() / 4), qRgb(0, 0, 0));
    }
    QFile garbage(folder.filePath("garbage.mov"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a movie");
    garbage.close();
    EXPECT_EQ(VideoFrame::first(garbage.fileName(), 440), std::nullopt);
    EXPECT_EQ(VideoFrame::first(folder.filePath("missing.mov"), 440), std::nullopt);
}

} // namespace
} // namespace quillet
