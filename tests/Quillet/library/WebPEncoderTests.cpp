#include "Quillet/library/WebPEncoder.hpp"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <array>
#include <cmath>
#include <cstdlib>
#include <future>
#include <gtest/gtest.h>
#include <vector>
#include <webp/decode.h>
#include <webp/encode.h>

namespace quillet {
namespace {

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba; // straight colour, as WebP stores it

    [[nodiscard]] std::array<int, 4> at(int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 4;
        return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
    }
};

Decoded decode(const QByteArray& bytes)
{
    Decoded result;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    std::uint8_t* pixels =
        WebPDecodeRGBA(data, static_cast<std::size_t>(bytes.size()), &result.width, &result.height);
    if (pixels != nullptr) {
        result.rgba.assign(pixels, pixels + static_cast<std::size_t>(result.width) * result.height * 4);
        WebPFree(pixels);
    }
    return result;
}

void expectNear(const std::array<int, 4>& actual, const std::array<int, 4>& expected, int tolerance)
{
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_LE(std::abs(actual[i] - expected[i]), tolerance)
            << "component " << i << ": " << actual[i] << " vs " << expected[i];
    }
}

// Three opaque primary-coloured blocks over white, in the capture format.
QImage primaries(QImage::Format format)
{
    QImage image(96, 32, format);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(0, 0, 32, 32, QColor(230, 20, 20));
    painter.fillRect(32, 0, 32, 32, QColor(20, 200, 40));
    painter.fillRect(64, 0, 32, 32, QColor(30, 40, 220));
    return image;
}

TEST(WebPEncoder, WritesLossyVP8AtTheImagesPixelSizeWithColoursInPlace)
{
    for (const auto format :
         {QImage::Format_RGBA8888_Premultiplied, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32,
          QImage::Format_RGBX8888, QImage::Format_RGB888, QImage::Format_ARGB32}) {
        const auto bytes = WebPEncoder::encode(primaries(format));
        ASSERT_TRUE(bytes.has_value()) << format;
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->constData());
        const auto size = static_cast<std::size_t>(bytes->size());
        int width = 0;
        int height = 0;
        ASSERT_TRUE(WebPGetInfo(data, size, &width, &height));
        EXPECT_EQ(width, 96);
        EXPECT_EQ(height, 32);
        WebPBitstreamFeatures features{};
        ASSERT_EQ(WebPGetFeatures(data, size, &features), VP8_STATUS_OK);
        EXPECT_EQ(features.format, 1) << "lossy";

        const Decoded decoded = decode(*bytes);
        ASSERT_EQ(decoded.width, 96);
        expectNear(decoded.at(16, 16), {230, 20, 20, 255}, 10);
        expectNear(decoded.at(48, 16), {20, 200, 40, 255}, 10);
        expectNear(decoded.at(80, 16), {30, 40, 220, 255}, 10);
    }
}

TEST(WebPEncoder, SemiTransparentPixelsKeepStraightColour)
{
    // Straight (200, 100, 50) at alpha 128, stored premultiplied as the capture bitmaps are.
    QImage image(16, 16, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 16; ++y) {
        auto* row = image.scanLine(y);
        for (int x = 0; x < 16; ++x) {
            row[x * 4 + 0] = 100;
            row[x * 4 + 1] = 50;
            row[x * 4 + 2] = 25;
            row[x * 4 + 3] = 128;
        }
    }
    const auto bytes = WebPEncoder::encode(image);
    ASSERT_TRUE(bytes.has_value());
    const Decoded decoded = decode(*bytes);
    ASSERT_EQ(decoded.width, 16);
    expectNear(decoded.at(8, 8), {199, 99, 49, 128}, 6);
}

TEST(WebPEncoder, AnEmptyImageGivesNothingAndATransparentPixelEncodes)
{
    EXPECT_FALSE(WebPEncoder::encode(QImage()).has_value());
    EXPECT_FALSE(WebPEncoder::encode(QImage(0, 5, QImage::Format_RGBA8888_Premultiplied)).has_value());

    QImage clear(1, 1, QImage::Format_RGBA8888_Premultiplied);
    clear.fill(Qt::transparent);
    const auto bytes = WebPEncoder::encode(clear);
    ASSERT_TRUE(bytes.has_value());
    const Decoded decoded = decode(*bytes);
    ASSERT_EQ(decoded.width, 1);
    ASSERT_EQ(decoded.height, 1);
    EXPECT_EQ(decoded.at(0, 0)[3], 0);
}

// Only a picture with a pixel that is not fully opaque carries an alpha plane, wherever that pixel is
// and in either byte order of the capture formats.
TEST(WebPEncoder, AnAlphaPlaneIsWrittenExactlyWhenSomePixelIsTranslucent)
{
    struct Case {
        QImage::Format format;
        QPoint translucentAt; // (-1, -1): none
    };
    const Case cases[] = {
        {QImage::Format_ARGB32_Premultiplied, {-1, -1}}, {QImage::Format_RGBA8888_Premultiplied, {-1, -1}},
        {QImage::Format_ARGB32_Premultiplied, {0, 0}},   {QImage::Format_RGBA8888_Premultiplied, {37, 20}},
        {QImage::Format_ARGB32_Premultiplied, {38, 299}}, {QImage::Format_RGBA8888_Premultiplied, {38, 299}},
    };
    for (const Case& c : cases) {
        QImage image(39, 300, c.format);
        image.fill(QColor(40, 90, 200));
        if (c.translucentAt.x() >= 0) {
            image.setPixelColor(c.translucentAt, QColor(40, 90, 200, 254));
        }
        const auto bytes = WebPEncoder::encode(image);
        ASSERT_TRUE(bytes.has_value());
        WebPBitstreamFeatures features{};
        ASSERT_EQ(WebPGetFeatures(reinterpret_cast<const std::uint8_t*>(bytes->constData()),
                                  static_cast<std::size_t>(bytes->size()), &features),
                  VP8_STATUS_OK);
        EXPECT_EQ(features.has_alpha != 0, c.translucentAt.x() >= 0)
            << "format " << c.format << " at " << c.translucentAt.x() << "," << c.translucentAt.y();
    }
}

TEST(WebPEncoder, TooLargeForWebPGivesNothing)
{
    QImage wide(16384, 1, QImage::Format_RGBA8888_Premultiplied); // WebP's limit is 16383
    wide.fill(Qt::black);
    EXPECT_FALSE(WebPEncoder::encode(wide).has_value());
}

TEST(WebPEncoder, ConcurrentEncodesGiveTheSameBytesAsOneAtATime)
{
    QImage image(300, 200, QImage::Format_RGBA8888_Premultiplied);
    image.fill(QColor(250, 250, 250));
    QPainter painter(&image);
    for (int i = 0; i < 20; ++i) {
        painter.fillRect(i * 15, i * 10, 40, 6, QColor(i * 12, 80, 255 - i * 12, 120 + i * 6));
    }
    painter.end();
    const auto expected = WebPEncoder::encode(image);
    ASSERT_TRUE(expected.has_value());

    std::vector<std::future<std::optional<QByteArray>>> results;
    for (int i = 0; i < 4; ++i) {
        results.push_back(std::async(std::launch::async, [&image] { return WebPEncoder::encode(image); }));
    }
    for (auto& result : results) {
        EXPECT_EQ(result.get(), expected);
    }
}

// libwebp's own encode of the whole picture on one thread, from straight-colour ARGB words: what the
// banded conversion must look like.
QByteArray referenceEncode(const QImage& image)
{
    QImage argb = image.convertToFormat(QImage::Format_ARGB32); // straight colour
    WebPConfig config;
    WebPConfigPreset(&config, WEBP_PRESET_DEFAULT, 75);
    config.quality = 90;
    config.method = 4;
    config.use_sharp_yuv = 1;
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.use_argb = 1;
    picture.width = argb.width();
    picture.height = argb.height();
    picture.argb = reinterpret_cast<std::uint32_t*>(argb.bits());
    picture.argb_stride = static_cast<int>(argb.bytesPerLine() / 4);
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    const bool encoded = WebPEncode(&config, &picture) != 0;
    QByteArray bytes =
        encoded ? QByteArray(reinterpret_cast<const char*>(writer.mem), writer.size) : QByteArray();
    WebPMemoryWriterClear(&writer);
    WebPPictureFree(&picture);
    return bytes;
}

double psnr(const Decoded& a, const Decoded& b)
{
    double squares = 0;
    for (std::size_t i = 0; i < a.rgba.size(); ++i) {
        const double difference = double(a.rgba[i]) - double(b.rgba[i]);
        squares += difference * difference;
    }
    const double mean = squares / static_cast<double>(a.rgba.size());
    return mean == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mean);
}

// Tall enough for several bands, with an odd height so the last chroma row is a half row.
QImage screenLike()
{
    QImage image(700, 1101, QImage::Format_RGBA8888_Premultiplied);
    image.fill(QColor(246, 246, 248));
    QPainter painter(&image);
    painter.fillRect(0, 0, 120, 1101, QColor(51, 61, 82));
    painter.setPen(QColor(40, 40, 40));
    for (int y = 20; y < 1101; y += 17) {
        painter.drawText(140, y, QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789"));
    }
    painter.fillRect(400, 250, 250, 20, QColor(230, 40, 90));
    return image;
}

QImage photoLike()
{
    QImage image(640, 1030, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            row[x * 4 + 0] = static_cast<uchar>(128 + 127 * std::sin(x / 37.0 + y / 91.0));
            row[x * 4 + 1] = static_cast<uchar>(y * 255 / image.height());
            row[x * 4 + 2] = static_cast<uchar>(128 + 127 * std::cos(x * y / 9000.0));
            row[x * 4 + 3] = 255;
        }
    }
    return image;
}

TEST(WebPEncoder, BandedConversionLooksLikeOneWholePictureConversion)
{
    for (const auto& [name, image] : {std::pair{"screen", screenLike()}, std::pair{"photo", photoLike()}}) {
        const Decoded reference = decode(referenceEncode(image));
        for (const int threads : {1, 3}) {
            const auto bytes = WebPEncoder::encodeUsing(image, threads);
            ASSERT_TRUE(bytes.has_value()) << name;
            const Decoded ours = decode(*bytes);
            ASSERT_EQ(ours.rgba.size(), reference.rgba.size()) << name;
            EXPECT_GE(psnr(ours, reference), 50.0) << name << " on " << threads << " threads";
        }
    }
}

} // namespace
} // namespace quillet
