#pragma once

#include <QByteArray>

#include <optional>

class QImage;

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
};

} // namespace quillet
