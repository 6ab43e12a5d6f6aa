#include "Quillet/library/WebPEncoder.hpp"

#include "core/Pixels.hpp"

#include <QImage>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <malloc.h>
#include <span>
#include <thread>
#include <vector>
#include <webp/encode.h>

namespace quillet {
namespace {

constexpr float presetQuality = 75;
constexpr float stillQuality = 90;
constexpr int speedSizeBalance = 4; // libwebp's "method": 0 fastest … 6 smallest
// Rows of one band of the colour conversion; even, so that chroma rows never straddle two bands. Each
// thread holds about 12 bytes a pixel of one band with its margins (straight colour, the conversion's
// own buffers, the band's planes): 9 MB at 5120 pixels wide.
constexpr int bandRows = 128;
// The sharp conversion refines each chroma row from its neighbours a few times over; this many rows
// beyond a band's edges are enough for its rows to come out as they would in the whole picture.
constexpr int bandMargin = 8;
constexpr std::uint8_t opaque = 0xFF;

// Owns a picture for as long as it lives.
class Picture {
public:
    Picture() { initialized_ = WebPPictureInit(&picture_) != 0; }
    ~Picture() { WebPPictureFree(&picture_); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // Straight-colour ARGB words of the given size, or false.
    bool allocateArgb(int width, int height) { return allocate(width, height, true, WEBP_YUV420); }
    // Y, U, V (and A) planes of the given size, or false.
    bool allocateYuv(int width, int height, bool withAlpha)
    {
        return allocate(width, height, false, withAlpha ? WEBP_YUV420A : WEBP_YUV420);
    }

    WebPPicture* get() { return &picture_; }
    WebPPicture* operator->() { return &picture_; }

private:
    bool allocate(int width, int height, bool argb, WebPEncCSP colorspace)
    {
        if (!initialized_) {
            return false;
        }
        picture_.use_argb = argb ? 1 : 0;
        picture_.colorspace = colorspace;
        picture_.width = width;
        picture_.height = height;
        return WebPPictureAlloc(&picture_) != 0;
    }

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

std::optional<WebPConfig> stillConfig(int threads)
{
    WebPConfig config;
    if (WebPConfigPreset(&config, WEBP_PRESET_DEFAULT, presetQuality) == 0) {
        return std::nullopt;
    }
    config.quality = stillQuality;
    config.method = speedSizeBalance;
    config.use_sharp_yuv = 1;
    config.lossless = 0;
    // Lets libwebp analyse the picture and compress alpha on a second thread; the bytes do not change.
    config.thread_level = threads > 1 ? 1 : 0;
    if (WebPValidateConfig(&config) == 0) {
        return std::nullopt;
    }
    return config;
}

// The formats whose rows go into libwebp's words without drawing. Anything else is first made one.
[[nodiscard]] bool isDirectFormat(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB32:
        return true;
    default:
        return false;
    }
}

// RGBA bytes (R, G, B, A) become libwebp's ARGB words (B, G, R, A in memory on little-endian).
void swapRedAndBlue(const std::uint32_t* source, std::uint32_t* target, int width)
{
    for (int x = 0; x < width; ++x) {
        const std::uint32_t word = source[x];
        target[x] = (word & 0xFF00FF00u) | ((word & 0xFFu) << 16) | ((word >> 16) & 0xFFu);
    }
}

// Rows [top, top + rows) of a direct-format image as straight-colour ARGB words in `band`.
void fillBand(const QImage& image, int top, int rows, WebPPicture& band)
{
    const bool isRgbaOrder =
        image.format() == QImage::Format_RGBA8888_Premultiplied || image.format() == QImage::Format_RGBX8888;
    const auto rowBytes = static_cast<std::size_t>(band.width) * 4;
    for (int y = 0; y < rows; ++y) {
        const auto* source = reinterpret_cast<const std::uint32_t*>(image.constScanLine(top + y));
        std::uint32_t* target = band.argb + static_cast<std::ptrdiff_t>(y) * band.argb_stride;
        if (isRgbaOrder && Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            swapRedAndBlue(source, target, band.width);
        } else if (isRgbaOrder) {
            // Big-endian words of RGBA bytes: a drawing does the reordering.
            QImage row(reinterpret_cast<uchar*>(target), band.width, 1, QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&row);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QPoint(0, 0), image, QRect(0, top + y, band.width, 1));
        } else {
            std::memcpy(target, source, rowBytes);
        }
    }
    const std::int64_t bytesPerRow = std::int64_t{band.argb_stride} * 4;
    Pixels::unpremultiply(std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(band.argb),
                                                  static_cast<std::size_t>(bytesPerRow) * rows),
                          band.width, rows, bytesPerRow);
}

[[nodiscard]] bool hasTranslucentPixel(const QImage& image, int top, int rows)
{
    if (!image.hasAlphaChannel()) {
        return false;
    }
    // AND-ing a row's words keeps a byte at 0xFF only where every pixel's byte is: one cheap pass the
    // compiler vectorises, instead of a branch a pixel. Alpha is the word's top byte in ARGB32 and the
    // fourth byte in memory in the RGBA formats.
    const bool isArgbWord = image.format() == QImage::Format_ARGB32_Premultiplied;
    const int width = image.width();
    for (int y = top; y < top + rows; ++y) {
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        std::uint32_t all = ~std::uint32_t{0};
        for (int x = 0; x < width; ++x) {
            all &= pixels[x];
        }
        const auto alpha = static_cast<std::uint8_t>(
            isArgbWord ? all >> 24 : reinterpret_cast<const std::uint8_t*>(&all)[3]);
        if (alpha != opaque) {
            return true;
        }
    }
    return false;
}

void copyPlane(const std::uint8_t* source, int sourceStride, std::uint8_t* target, int targetStride,
               int width, int rows)
{
    for (int y = 0; y < rows; ++y) {
        std::memcpy(target + static_cast<std::ptrdiff_t>(y) * targetStride,
                    source + static_cast<std::ptrdiff_t>(y) * sourceStride, static_cast<std::size_t>(width));
    }
}

// Fills `band`, a picture as wide as the image, with rows [from, from + band.height) as straight-colour
// ARGB words; false when it cannot.
using BandFiller = std::function<bool(int from, WebPPicture& band)>;

// Converts rows [top, top + rows) of a picture of `width` by `height` into the target's planes: the
// rows with their margin become a small ARGB picture, its sharp conversion gives YUV rows, and the
// band's own rows are copied.
bool convertBand(int width, int height, int top, int rows, const BandFiller& fill, WebPPicture& target)
{
    const int from = std::max(0, top - bandMargin);
    const int to = std::min(height, top + rows + bandMargin);
    Picture band;
    if (!band.allocateArgb(width, to - from) || !fill(from, *band.get())) {
        return false;
    }
    if (WebPPictureSharpARGBToYUVA(band.get()) == 0) {
        return false;
    }
    const int skip = top - from; // even: bands and margins start on even rows
    const int chromaWidth = (width + 1) / 2;
    const int chromaRows = (rows + 1) / 2;
    copyPlane(band->y + static_cast<std::ptrdiff_t>(skip) * band->y_stride, band->y_stride,
              target.y + static_cast<std::ptrdiff_t>(top) * target.y_stride, target.y_stride, width, rows);
    for (auto plane : {&WebPPicture::u, &WebPPicture::v}) {
        copyPlane(band.get()->*plane + static_cast<std::ptrdiff_t>(skip / 2) * band->uv_stride,
                  band->uv_stride, target.*plane + static_cast<std::ptrdiff_t>(top / 2) * target.uv_stride,
                  target.uv_stride, chromaWidth, chromaRows);
    }
    if (target.a == nullptr) {
        return true;
    }
    std::uint8_t* alpha = target.a + static_cast<std::ptrdiff_t>(top) * target.a_stride;
    if (band->a == nullptr) {
        for (int y = 0; y < rows; ++y) {
            std::memset(alpha + static_cast<std::ptrdiff_t>(y) * target.a_stride, opaque,
                        static_cast<std::size_t>(width));
        }
        return true;
    }
    copyPlane(band->a + static_cast<std::ptrdiff_t>(skip) * band->a_stride, band->a_stride, alpha,
              target.a_stride, width, rows);
    return true;
}

// Calls `work(top, rows)` for every band of `height` rows, spread over `threads` threads (the caller's
// among them); whether every call returned true.
bool forEachBand(int height, int threads, const std::function<bool(int top, int rows)>& work)
{
    const int bands = (height + bandRows - 1) / bandRows;
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    const auto drain = [&] {
        for (int band = next++; band < bands && !failed; band = next++) {
            const int top = band * bandRows;
            if (!work(top, std::min(bandRows, height - top))) {
                failed = true;
            }
        }
    };
    std::vector<std::jthread> helpers;
    for (int i = 1; i < std::min(threads, bands); ++i) {
        helpers.emplace_back(drain);
    }
    drain();
    helpers.clear();
    return !failed;
}

// The picture of `size` whose bands `fill` provides, on `threads` threads.
std::optional<QByteArray> encodeBands(QSize size, bool translucent, int threads, const BandFiller& fill)
{
    const int workers = std::max(1, threads);
    const auto config = stillConfig(workers);
    if (!config || size.isEmpty() || size.width() > WEBP_MAX_DIMENSION ||
        size.height() > WEBP_MAX_DIMENSION) {
        return std::nullopt;
    }
    Picture picture;
    if (!picture.allocateYuv(size.width(), size.height(), translucent)) {
        return std::nullopt;
    }
    if (!forEachBand(size.height(), workers, [&](int top, int rows) {
            return convertBand(size.width(), size.height(), top, rows, fill, *picture.get());
        })) {
        return std::nullopt;
    }
    MemoryWriter writer;
    writer.attach(picture.get());
    if (WebPEncode(&*config, picture.get()) == 0 || writer.isEmpty()) {
        return std::nullopt;
    }
    return writer.bytes();
}

std::optional<QByteArray> encodeOnce(const QImage& source, int threads)
{
    if (source.isNull()) {
        return std::nullopt;
    }
    const QImage image = isDirectFormat(source.format())
                             ? source
                             : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return std::nullopt;
    }
    std::atomic<bool> translucent{false};
    (void)forEachBand(image.height(), std::max(1, threads), [&](int top, int rows) {
        if (!translucent && hasTranslucentPixel(image, top, rows)) {
            translucent = true;
        }
        return true;
    });
    return encodeBands(image.size(), translucent, threads, [&image](int from, WebPPicture& band) {
        fillBand(image, from, band.height, band);
        return true;
    });
}

// A band of the picture is painted into an image of its own before it is converted.
std::optional<QByteArray> encodePainted(QSize size, QImage::Format format, bool translucent, int threads,
                                        const WebPEncoder::RowPainter& paint)
{
    if (!isDirectFormat(format)) {
        return std::nullopt;
    }
    return encodeBands(size, translucent, threads, [&](int from, WebPPicture& band) {
        QImage rows(band.width, band.height, format);
        if (rows.isNull() || !paint(from, rows)) {
            return false;
        }
        fillBand(rows, 0, band.height, band);
        return true;
    });
}

} // namespace

std::optional<QByteArray> WebPEncoder::encode(const QImage& image)
{
    return encodeUsing(image, QThread::idealThreadCount());
}

std::optional<QByteArray> WebPEncoder::encodeUsing(const QImage& image, int threads)
{
    std::optional<QByteArray> bytes = encodeOnce(image, threads);
    // The planes and the conversion's buffers are tens of megabytes the allocator would otherwise
    // keep for a next capture that may be minutes away.
    (void)malloc_trim(0);
    return bytes;
}

std::optional<QByteArray> WebPEncoder::encodeRows(QSize size, QImage::Format format, bool translucent,
                                                  const RowPainter& paint)
{
    std::optional<QByteArray> bytes =
        encodePainted(size, format, translucent, QThread::idealThreadCount(), paint);
    (void)malloc_trim(0);
    return bytes;
}

bool WebPEncoder::hasTranslucentPixel(const QImage& image)
{
    return isDirectFormat(image.format()) ? quillet::hasTranslucentPixel(image, 0, image.height())
                                          : image.hasAlphaChannel();
}

} // namespace quillet
