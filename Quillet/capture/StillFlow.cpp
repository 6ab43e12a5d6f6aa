#include "Quillet/capture/StillFlow.hpp"

#include "Quillet/capture/PermissionGate.hpp"
#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/common/BackgroundWork.hpp"
#include "Quillet/common/CaptureLog.hpp"

#include <QPointer>

namespace quillet {

StillFlow::StillFlow(std::unique_ptr<Capturer> capturer, PermissionGate& gate,
                     std::unique_ptr<StillSaver> saver, std::function<void()> beep, QObject* parent)
    : QObject(parent), capturer_(std::move(capturer)), gate_(gate), saver_(std::move(saver)),
      beep_(std::move(beep))
{
}

void StillFlow::capture(Capturer::Mode mode)
{
    if (!capturer_ || !gate_.ensure()) {
        return;
    }
    if (capturer_->isRunning()) {
        captureLog().log("a capture is running already");
        return;
    }
    // From the tool's start to the written file, a capture is work that quitting waits for.
    capturer_->capture(mode, [self = QPointer(this), work = BackgroundWork::hold()](Capturer::Result result) {
        if (self) {
            self->captured(std::move(result));
        }
        work->release();
    });
}

void StillFlow::shutDown()
{
    capturer_.reset();
}

void StillFlow::captured(Capturer::Result result)
{
    if (!result.isSuccess()) {
        captureLog().error("capture failed: %{public}s", result.error());
        setLastCaptureFailed(true);
        if (beep_) {
            beep_();
        }
        return;
    }
    std::optional<CapturedImage> image = result.value();
    if (!image) {
        captureLog().log("capture cancelled");
        return;
    }
    setLastCaptureFailed(false);
    // The blank test reads every pixel: tens of milliseconds at 4K, kept off the main thread.
    runInBackground(
        this,
        [image = std::move(*image)]() mutable {
            const bool blank = image.isBlank();
            return std::pair{std::move(image), blank};
        },
        [this](std::pair<CapturedImage, bool> tested) { checked(tested.first, tested.second); });
}

void StillFlow::setLastCaptureFailed(bool failed)
{
    if (lastCaptureFailed_ == failed) {
        return;
    }
    lastCaptureFailed_ = failed;
    emit changed();
}

void StillFlow::checked(const CapturedImage& image, bool blank)
{
    captureLog().log("captured %ldx%ld blank=%{bool}d", image.image.width(), image.image.height(), blank);
    if (blank) {
        gate_.showAlert();
        return;
    }
    const StillId still = ++lastStill_;
    emit saving(still, image.image, image.scale);
    saver_->save(image.image, [self = QPointer(this), still](const std::optional<QString>& path) {
        if (self) {
            self->stored(still, path);
        }
    });
}

void StillFlow::stored(StillId still, const std::optional<QString>& path)
{
    if (path) {
        emit saved(still, *path);
    } else {
        emit failed(still);
    }
    // A lost still is as much news as a failed capture: the folder stays broken for the next ones.
    const bool failedNow = !path;
    if (failedNow && beep_) {
        beep_();
    }
    if (lastSaveFailed_ != failedNow) {
        lastSaveFailed_ = failedNow;
        emit changed();
    }
}

} // namespace quillet
