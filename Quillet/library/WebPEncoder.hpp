#pragma once

#include <QByteArray>

#include <optional>

class QImage;

namespace quillet {

// Turns a captured bitmap into the bytes of a lossy WebP file (quality 90, sharp RGB→YUV, alpha kept),
// at the bitmap's full pixel size. Each call owns everything it uses, so calls may run on several
// threads at once.
struct WebPEncoder {
    // Absent when any step fails (an empty image, one too large for WebP, no memory).
    [[nodiscard]] static std::optional<QByteArray> encode(const QImage& image);
};

} // namespace quillet
