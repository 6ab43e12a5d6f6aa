#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <functional>
#include <optional>

namespace quillet {

// Turns a captured bitmap into the bytes of a lossy WebP file (quality 90, sharp RGB→YUV, alpha kept),
// at the bitmap's full pixel size. Each call owns everything it uses, so calls may run on several
// threads at once.
//
// The sharp colour conversion runs in horizontal bands on several threads, each band with a margin
// of rows above and below that is converted and thrown away, so that the seams match a conversion
// of the whole picture; the encoder then starts from the finished YUV planes. Only a band's worth of
// straight-colour pixels exists at a time per thread, never a copy of the whole bitmap.
struct WebPEncoder {
    // Absent when any step fails (an empty image, one too large for WebP, no memory). Uses every core.
    [[nodiscard]] static std::optional<QByteArray> encode(const QImage& image);
    // The same on at most `threads` threads (at least one).
    [[nodiscard]] static std::optional<QByteArray> encodeUsing(const QImage& image, int threads);

    // Paints rows [top, top + band.height()) of the picture into `band`, an image as wide as the
    // picture in the format given to `encodeRows`; false when it cannot. Called on several threads at
    // once.
    using RowPainter = std::function<bool(int top, QImage& band)>;
    // A picture of `size` painted a band at a time, so that no bitmap of the whole of it is ever held.
    // `format` must be one the rows are read from directly (premultiplied RGBA or ARGB32, RGBX8888,
    // RGB32); without `translucent` the alpha channel is dropped.
    [[nodiscard]] static std::optional<QByteArray> encodeRows(QSize size, QImage::Format format,
                                                              bool translucent, const RowPainter& paint);

    // Whether any pixel is less than opaque.
    [[nodiscard]] static bool hasTranslucentPixel(const QImage& image);
};

} // namespace quillet
