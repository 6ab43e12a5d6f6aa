#include "Quillet/editor/EditorImageDecoder.hpp"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cstdint>
#include <webp/decode.h>

namespace quillet {

namespace {

constexpr QImage::Format decodedFormat = QImage::Format_RGBA8888_Premultiplied;
constexpr qsizetype riffHeaderBytes = 12;
// Larger files are not captures; refusing them keeps a hostile file from exhausting memory.
constexpr qint64 largestFileBytes = qint64{1} << 30;

[[nodiscard]] bool isWebP(const QByteArray& bytes)
{
    return bytes.size() >= riffHeaderBytes && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP";
}

[[nodiscard]] std::optional<QImage> decodeWebP(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const auto size = static_cast<std::size_t>(bytes.size());
    int width = 0;
    int height = 0;
    if (WebPGetInfo(data, size, &width, &height) == 0 || width <= 0 || height <= 0) {
        return std::nullopt;
    }
    QImage image(width, height, decodedFormat);
    if (image.isNull()) {
        return std::nullopt;
    }
    // Premultiplied straight from the decoder ("rgbA"), the layout the renderer works in.
    WebPDecoderConfig config;
    if (WebPInitDecoderConfig(&config) == 0) {
        return std::nullopt;
    }
    config.output.colorspace = MODE_rgbA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = static_cast<int>(image.bytesPerLine());
    config.output.u.RGBA.size = static_cast<std::size_t>(image.sizeInBytes());
    const VP8StatusCode status = WebPDecode(data, size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) {
        return std::nullopt;
    }
    return image;
}

[[nodiscard]] std::optional<QImage> decodePng(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull()) {
        return std::nullopt;
    }
    QImage converted = image.convertToFormat(decodedFormat);
    if (converted.isNull()) {
        return std::nullopt;
    }
    return converted;
}

} // namespace

std::optional<QImage> EditorImageDecoder::decode(const QByteArray& bytes)
{
    if (isWebP(bytes)) {
        return decodeWebP(bytes);
    }
    if (bytes.startsWith("\x89PNG\r\n\x1a\n")) {
        return decodePng(bytes);
    }
    return std::nullopt;
}

std::optional<QImage> EditorImageDecoder::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > largestFileBytes) {
        return std::nullopt;
    }
    return decode(file.readAll());
}

} // namespace quillet
