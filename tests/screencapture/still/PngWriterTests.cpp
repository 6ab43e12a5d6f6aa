#include "tools/screencapture/still/PngWriter.hpp"

#include <QImage>

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace quillet::screencapture {
namespace {

// B,G,R and a fourth byte of 0, as the X server hands pixels over.
Bitmap noiseBitmap(long width, long height, unsigned seed)
{
    Bitmap bitmap = Bitmap::black(width, height);
    std::mt19937 random(seed);
    for (long y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (long x = 0; x < width; ++x) {
            // Runs of equal pixels as on screens, mixed with noise as in photos.
            const std::uint32_t value = (x / 7 + y / 5) % 3 == 0 ? 0x204080u : random();
            row[4 * x] = std::uint8_t(value);
            row[4 * x + 1] = std::uint8_t(value >> 8);
            row[4 * x + 2] = std::uint8_t(value >> 16);
            row[4 * x + 3] = 0;
        }
    }
    return bitmap;
}

QImage decode(const std::vector<std::uint8_t>& png)
{
    return QImage::fromData(png.data(), int(png.size()), "PNG");
}

struct SizeCase {
    long width;
    long height;
};

void PrintTo(const SizeCase& c, std::ostream* out)
{
    *out << c.width << "x" << c.height;
}

class PngRoundTrip : public ::testing::TestWithParam<SizeCase> {};

// Heights from one row to many bands: every band boundary must join into one valid stream.
TEST_P(PngRoundTrip, DecodesToTheSameOpaquePixels)
{
    const auto [width, height] = GetParam();
    const Bitmap bitmap = noiseBitmap(width, height, unsigned(width * height));
    const QImage image = decode(PngWriter::encode(bitmap, 1));
    ASSERT_EQ(image.width(), width);
    ASSERT_EQ(image.height(), height);
    for (long y = 0; y < height; ++y) {
        const std::uint8_t* row = bitmap.row(y);
        for (long x = 0; x < width; ++x) {
            const QRgb expected = qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
            ASSERT_EQ(image.pixel(int(x), int(y)), expected) << "at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PngWriter, PngRoundTrip,
                         ::testing::Values(SizeCase{1, 1}, SizeCase{3, 63}, SizeCase{17, 64},
                                           SizeCase{640, 129}, SizeCase{333, 1001}, SizeCase{1200, 2500}));

struct ResolutionCase {
    double pixelsPerPoint;
    int dotsPerMeter;
};

void PrintTo(const ResolutionCase& c, std::ostream* out)
{
    *out << c.pixelsPerPoint << " pixels per point";
}

class PngResolution : public ::testing::TestWithParam<ResolutionCase> {};

TEST_P(PngResolution, Is72DpiPerPixelPerPoint)
{
    const QImage image = decode(PngWriter::encode(noiseBitmap(4, 4, 1), GetParam().pixelsPerPoint));
    EXPECT_EQ(image.dotsPerMeterX(), GetParam().dotsPerMeter);
    EXPECT_EQ(image.dotsPerMeterY(), GetParam().dotsPerMeter);
}

// 72 dpi = 2834.6 px/m, 144 dpi = 5669.3, 108 dpi = 4251.97.
INSTANTIATE_TEST_SUITE_P(PngWriter, PngResolution,
                         ::testing::Values(ResolutionCase{1, 2835}, ResolutionCase{2, 5669},
                                           ResolutionCase{1.5, 4252}));

TEST(PngWriter, EmptyBitmapEncodesToNothing)
{
    EXPECT_TRUE(PngWriter::encode(Bitmap{}, 1).empty());
}

class PngFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/quillet-png-test-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string folder_;
};

TEST_F(PngFile, IsReadableByTheOwnerOnlyWhateverTheUmask)
{
    const mode_t previous = umask(0);
    const auto problem = PngWriter::writeFile({1, 2, 3}, folder_ + "/a.png");
    umask(previous);
    ASSERT_FALSE(problem.has_value()) << *problem;
    struct stat info {};
    ASSERT_EQ(stat((folder_ + "/a.png").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 3);
}

TEST_F(PngFile, ReplacesAnExistingFileWhole)
{
    const std::string path = folder_ + "/a.png";
    ASSERT_FALSE(PngWriter::writeFile(std::vector<std::uint8_t>(1000, 7), path).has_value());
    ASSERT_FALSE(PngWriter::writeFile({1, 2}, path).has_value());
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 2);
}

TEST_F(PngFile, MissingFolderFailsWithTheReason)
{
    const std::string path = folder_ + "/missing/a.png";
    const auto problem = PngWriter::writeFile({1, 2, 3}, path);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find(path), std::string::npos);
    EXPECT_NE(problem->find("No such file or directory"), std::string::npos);
}

TEST_F(PngFile, FailedRenameLeavesNoTemporaryFile)
{
    const std::string path = folder_ + "/taken";
    ASSERT_TRUE(std::filesystem::create_directory(path));
    ASSERT_TRUE(PngWriter::writeFile({1, 2, 3}, path).has_value());
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator()),
        1);
}

} // namespace
} // namespace quillet::screencapture
