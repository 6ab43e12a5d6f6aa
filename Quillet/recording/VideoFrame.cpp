#include "Quillet/recording/VideoFrame.hpp"

#include "Quillet/recording/MediaLibrary.hpp"

namespace quillet {

std::optional<QImage> VideoFrame::first(const QString& path, int maxPixels)
{
    const auto firstFrame = MediaLibrary::firstFrame();
    QImage frame;
    if (firstFrame == nullptr || maxPixels < 1 || !firstFrame(path, maxPixels, frame)) {
        return std::nullopt;
    }
    return frame;
}

} // namespace quillet
