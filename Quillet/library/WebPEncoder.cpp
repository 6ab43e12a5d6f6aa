#include "Quillet/library/WebPEncoder.hpp"

#include "core/Pixels.hpp"

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstring>
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

// RGBA bytes (R, G, B, A) become libwebp's ARGB words (B, G, R, A in memory on little-endian).
void swapRedAndBlue(const QImage& image, WebPPicture& picture)
{
    for (int y = 0; y < picture.height; ++y) {
        const auto* source = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        std::uint32_t* target = picture.argb + static_cast<std::ptrdiff_t>(y) * picture.argb_stride;
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t word = source[x];
            target[x] = (word & 0xFF00FF00u) | ((word & 0xFFu) << 16) | ((word >> 16) & 0xFFu);
        }
    }
}

void copyRows(const QImage& image, WebPPicture& picture)
{
    const auto rowBytes = static_cast<std::size_t>(picture.width) * 4;
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(picture.argb + static_cast<std::ptrdiff_t>(y) * picture.argb_stride,
                    image.constScanLine(y), rowBytes);
    }
}

bool draw(const QImage& image, WebPPicture& picture)
{
    const qsizetype bytesPerRow = static_cast<qsizetype>(picture.argb_stride) * 4;
    QImage target(reinterpret_cast<uchar*>(picture.argb), picture.width, picture.height, bytesPerRow,
                  QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&target);
    if (!painter.isActive()) {
        return false;
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRect(0, 0, picture.width, picture.height), image);
    return true;
}

// Puts the image into the picture's own ARGB words as premultiplied colour (Qt's ARGB32 word order
// is libwebp's), then makes the colour straight, as WebP stores it. The capture formats are copied
// directly; anything else is drawn.
bool render(const QImage& image, WebPPicture& picture)
{
    switch (image.format()) {
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBX8888:
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            swapRedAndBlue(image, picture);
        } else if (!draw(image, picture)) {
            return false;
        }
        break;
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB32:
        copyRows(image, picture);
        break;
    default:
        if (!draw(image, picture)) {
            return false;
        }
        break;
    }
    const qsizetype bytesPerRow = static_cast<qsizetype>(picture.argb_stride) * 4;
    const auto size = static_cast<std::size_t>(bytesPerRow) * static_cast<std::size_t>(picture.height);
    Pixels::unpremultiply(std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(picture.argb), size),
                          picture.width, picture.height, bytesPerRow);
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
