#include "tools/screencapture/recording/CastRecording.hpp"

#include "tools/screencapture/recording/PipeWireGrabber.hpp"
#include "tools/screencapture/recording/VideoRecording.hpp"

namespace quillet::screencapture::CastRecording {
namespace {

// The click rings are not drawn, so their size does not matter.
constexpr double noClickRings = 1.0;

std::optional<PixelRect> areaOf(const CastSource& cast)
{
    if (!cast.crop) {
        return std::nullopt;
    }
    return PixelRect{cast.crop->x, cast.crop->y, cast.crop->width, cast.crop->height};
}

// Pictures the compositor sent faster than the movie's frames took them; the desktop's rate is
// capped at the movie's, so these are few unless the encoder falls behind.
void reportReplacedPictures(const PipeWireGrabber::PictureCounts& counts)
{
    if (counts.replaced == 0) {
        return;
    }
    reported(ExitStatus::success, std::to_string(counts.replaced) + " of " + std::to_string(counts.came) +
                                      " pictures of the screen cast were replaced by a newer one before a frame "
                                      "took them");
}

} // namespace

ExitStatus run(const Command& command)
{
    const CastSource& cast = *command.cast;
    Command recorded = command;
    if (recorded.showsClicks) {
        reported(ExitStatus::success, "click markers need the desktop's clicks, which Wayland gives no "
                                      "program; recording without them");
        recorded.showsClicks = false;
    }
    auto connected = PipeWireGrabber::connect({cast.descriptor, cast.node, areaOf(cast)});
    if (const auto* reason = std::get_if<std::string>(&connected)) {
        return reported(ExitStatus::failure, *reason);
    }
    PipeWireGrabber& grabber = *std::get<std::unique_ptr<PipeWireGrabber>>(connected);
    const auto first = grabber.awaitFirstPicture();
    switch (first.outcome) {
    case PipeWireGrabber::FirstPicture::Outcome::stopped:
        return ExitStatus::success;
    case PipeWireGrabber::FirstPicture::Outcome::failed:
        return reported(ExitStatus::failure, first.reason);
    case PipeWireGrabber::FirstPicture::Outcome::came:
        break;
    }
    const ExitStatus status = VideoRecording::record({grabber, first.area, noClickRings, recorded});
    reportReplacedPictures(grabber.pictureCounts());
    return status;
}

} // namespace quillet::screencapture::CastRecording
