#include "Quillet/app/EditorSnapshot.hpp"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

namespace quillet {
namespace {

// The mode reads the user's settings; point them at an empty folder so the test never sees (or
// disturbs) the real ones.
class EditorSnapshotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid());
        ASSERT_TRUE(output_.isValid());
        savedConfigHome_ = qgetenv("XDG_CONFIG_HOME");
        hadConfigHome_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
    }

    void TearDown() override
    {
        if (hadConfigHome_) {
            qputenv("XDG_CONFIG_HOME", savedConfigHome_);
        } else {
            qunsetenv("XDG_CONFIG_HOME");
        }
    }

    QTemporaryDir config_;
    QTemporaryDir output_;
    QByteArray savedConfigHome_;
    bool hadConfigHome_ = false;
};

[[nodiscard]] double meanDifference(const QImage& a, const QImage& b)
{
    const QImage first = a.convertToFormat(QImage::Format_RGBA8888);
    const QImage second = b.convertToFormat(QImage::Format_RGBA8888);
    double total = 0;
    for (int y = 0; y < first.height(); ++y) {
        const uchar* p = first.constScanLine(y);
        const uchar* q = second.constScanLine(y);
        for (int x = 0; x < first.width() * 4; ++x) {
            total += std::abs(p[x] - q[x]);
        }
    }
    return total / (first.width() * first.height() * 4.0);
}

TEST_F(EditorSnapshotTest, WritesTheMarkedExportAndWhatItsWebPLooksLike)
{
    EXPECT_EQ(EditorSnapshot::render(output_.path()), QStringList());

    const QDir folder(output_.path());
    const QImage exported(folder.filePath(EditorSnapshot::exportFileName));
    const QImage roundTrip(folder.filePath(EditorSnapshot::webPRoundTripFileName));
    ASSERT_EQ(exported.size(), QSize(1600, 1000));
    ASSERT_EQ(roundTrip.size(), QSize(1600, 1000));
    // Inside the highlight over the shipping line, clear of its text: the 0.97 white times the
    // highlight yellow.
    const QColor highlighted = exported.pixelColor(645, 288);
    EXPECT_NEAR(highlighted.red(), 247, 3);
    EXPECT_NEAR(highlighted.green(), 223, 3);
    EXPECT_NEAR(highlighted.blue(), 91, 3);
    EXPECT_LT(meanDifference(exported, roundTrip), 2.0) << "the WebP round trip should look like the export";

    // The editor window, light and dark, at twice its 1000 x 700 points: the bar follows the
    // appearance, the canvas around the image is the same dark grey in both.
    const QImage light(folder.filePath(EditorSnapshot::windowFileName(QStringLiteral("light"))));
    const QImage dark(folder.filePath(EditorSnapshot::windowFileName(QStringLiteral("dark"))));
    ASSERT_EQ(light.size(), QSize(2000, 1400));
    ASSERT_EQ(dark.size(), QSize(2000, 1400));
    EXPECT_GT(qGray(light.pixel(1000, 4)), 200);
    EXPECT_LT(qGray(dark.pixel(1000, 4)), 60);
    for (const QImage* window : {&light, &dark}) {
        EXPECT_EQ(window->pixelColor(4, 1390), QColor(33, 33, 33));
    }
    EXPECT_FALSE(folder.exists(QStringLiteral("sample.webp")));
    EXPECT_EQ(folder.entryList(QDir::Files).size(), 4);
}

TEST_F(EditorSnapshotTest, MissingDirectoryYieldsNoFiles)
{
    const QString missing = output_.filePath(QStringLiteral("missing"));

    EXPECT_EQ(EditorSnapshot::render(missing), QStringList{missing + " is not a folder"});
    EXPECT_FALSE(QFileInfo::exists(missing));
}

} // namespace
} // namespace quillet
