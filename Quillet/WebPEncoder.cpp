#include "Quillet/WebPEncoder.hpp"

#include "core/Pixels.hpp"

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <span>
#include <webp/encode.h>

namespace quillet {
namespace {

constexpr float presetQuality = 75;
constexpr float stillQuality = 90;
constexpr int speedSizeBalance = 4; // libwebp's "method": 0 fastest … 6 smallest

// Owns a picture for the length of one encode.
class Picture {
public:
    Picture() { initialized_ = WebPPictureInit(&picture_) != 0; }
    ~Picture() { WebPPictureFree(&picture_); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // An ARGB buffer of the given size, or false.
    bool allocate(int width, int height)
    {
        if (!initialized_) {
            return false;
        }
        picture_.use_argb = 1;
        picture_.width = width;
        picture_.height = height;
        return WebPPictureAlloc(&picture_) != 0 && picture_.argb != nullptr;
    }

    WebPPicture* get() { return &picture_; }

private:
    WebPPicture picture_{};
    bool initialized_ = false;
};

// Owns the encoded bytes until they are copied out.
class MemoryWriter {
public:
    MemoryWriter() { WebPMemoryWriterInit(&writer_); }
    ~MemoryWriter() { WebPMemoryWriterClear(&writer_); }
    MemoryWriter(const MemoryWriter&) = delete;
    MemoryWriter& operator=(const MemoryWriter&) = delete;

    void attach(WebPPicture* picture)
    {
        picture->writer = WebPMemoryWrite;
        picture->custom_ptr = &writer_;
    }
    [[nodiscard]] QByteArray bytes() const
    {
        return QByteArray(reinterpret_cast<const char*>(writer_.mem), static_cast<qsizetype>(writer_.size));
    }
    [[nodiscard]] bool isEmpty() const { return writer_.size == 0; }

private:
    WebPMemoryWriter writer_{};
};

std::optional<WebPConfig> stillConfig()
{
    WebPConfig config;
    if (WebPConfigPreset(&config, WEBP_PRESET_DEFAULT, presetQuality) == 0) {
        return std::nullopt;
    }
    config.quality = stillQuality;
    config.method = speedSizeBalance;
    config.use_sharp_yuv = 1;
    config.lossless = 0;
    if (WebPValidateConfig(&config) == 0) {
        return std::nullopt;
    }
    return config;
}

// Draws the image into the picture's own ARGB words (in memory B, G, R, A on little-endian machines,
// which is Qt's premultiplied ARGB32), then makes the colour straight, as WebP stores it.
bool render(const QImage& image, WebPPicture& picture)
{
    const qsizetype bytesPerRow = static_cast<qsizetype>(picture.argb_stride) * 4;
    auto* bits = reinterpret_cast<uchar*>(picture.argb);
    QImage target(bits, picture.width, picture.height, bytesPerRow, QImage::Format_ARGB32_Premultiplied);
    if (target.isNull()) {
        return false;
    }
    {
        QPainter painter(&target);
        if (!painter.isActive()) {
            return false;
        }
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QRect(0, 0, picture.width, picture.height), image);
    }
    const auto size = static_cast<std::size_t>(bytesPerRow) * static_cast<std::size_t>(picture.height);
    Pixels::unpremultiply(std::span<std::uint8_t>(bits, size), picture.width, picture.height, bytesPerRow);
    return true;
}

} // namespace

std::optional<QByteArray> WebPEncoder::encode(const QImage& image)
{
    const auto config = stillConfig();
    if (!config) {
        return std::nullopt;
    }
    Picture picture;
    if (!picture.allocate(image.width(), image.height())) {
        return std::nullopt;
    }
    if (!render(image, *picture.get())) {
        return std::nullopt;
    }
    MemoryWriter writer;
    writer.attach(picture.get());
    if (WebPEncode(&*config, picture.get()) == 0 || writer.isEmpty()) {
        return std::nullopt;
    }
    return writer.bytes();
}

} // namespace quillet
