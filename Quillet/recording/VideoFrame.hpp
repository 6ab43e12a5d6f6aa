#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace quillet {

// The picture a recording's card shows. Any thread.
struct VideoFrame {
    // The first frame of the movie at `path`, scaled down (never up) to fit `maxPixels` × `maxPixels`
    // with its proportions kept; nothing when the file holds no decodable video.
    [[nodiscard]] static std::optional<QImage> first(const QString& path, int maxPixels);
};

} // namespace quillet
