#include "Quillet/editor/EditorImageDecoder.hpp"
#include "Quillet/library/WebPEncoder.hpp"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>
#include <optional>

namespace quillet {
namespace {

[[nodiscard]] QImage halfTransparent()
{
    QImage image(64, 48, QImage::Format_RGBA8888);
    image.fill(QColor(240, 80, 20, 128));
    return image;
}

[[nodiscard]] QByteArray png()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    halfTransparent().save(&buffer, "PNG");
    return bytes;
}

[[nodiscard]] QByteArray webp()
{
    return WebPEncoder::encode(halfTransparent()).value_or(QByteArray());
}

TEST(EditorImageDecoder, DecodesWebPAndPngPremultipliedAndRefusesEverythingElse)
{
    for (const QByteArray& bytes : {webp(), png()}) {
        const std::optional<QImage> image = EditorImageDecoder::decode(bytes);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->size(), QSize(64, 48));
        EXPECT_EQ(image->format(), QImage::Format_RGBA8888_Premultiplied);
        const QColor pixel = image->pixelColor(10, 10);
        EXPECT_NEAR(pixel.alpha(), 128, 2);
        EXPECT_NEAR(pixel.red(), 240, 6);
    }

    QImage jpegSource(8, 8, QImage::Format_RGB32);
    jpegSource.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    jpegSource.save(&buffer, "JPEG");
    const QByteArray refused[] = {
        {},
        QByteArray("not an image at all"),
        webp().left(40),
        QByteArray("RIFF\xff\xff\xff\x7fWEBPVP8 ", 16),
        png().left(png().size() / 2),
        QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(100, '\0'),
        jpeg,
    };
    for (const QByteArray& bytes : refused) {
        EXPECT_FALSE(EditorImageDecoder::decode(bytes)) << bytes.left(16).toHex().toStdString();
    }
    EXPECT_FALSE(EditorImageDecoder::read(QStringLiteral("/nonexistent/capture.webp")));
}

} // namespace
} // namespace quillet
