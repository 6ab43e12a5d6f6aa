#include "Quillet/recording/CastSelector.hpp"

#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/ScreenGeometry.hpp"
#include "Quillet/recording/CastCrop.hpp"
#include "Quillet/recording/SelectionPills.hpp"

#include <cmath>

namespace quillet {
namespace {

// A rectangle in program coordinates as Qt's global coordinates, against the main screen.
QRect globalRect(const Rect& rect)
{
    const QScreen* main = ScreenGeometry::mainScreen();
    const QRect mainGeometry = main ? main->geometry() : QRect();
    return {int(std::lround(mainGeometry.x() + rect.minX())),
            int(std::lround(mainGeometry.y() + mainGeometry.height() - rect.maxY())),
            int(std::lround(rect.width())), int(std::lround(rect.height()))};
}

} // namespace

CastSelector::CastSelector(const Microphones& microphones, std::shared_ptr<PortalCast> cast, QObject* parent)
    : QObject(parent), cast_(std::move(cast)), overlays_(microphones, overlayPlatform())
{
}

OverlaySelector::Platform CastSelector::overlayPlatform()
{
    OverlaySelector::Platform platform;
    platform.pictures = [this](const QList<QScreen*>& screens) { return pictures(screens); };
    platform.clicksUnavailable = SelectionPills::clicksUnavailable();
    platform.canGrabInput = false;
    return platform;
}

int CastSelector::monitorShownOn(const QRect& screen, int screenIndex,
                                 const std::vector<PortalCast::Monitor>& monitors)
{
    for (std::size_t index = 0; index < monitors.size(); ++index) {
        if (monitors[index].stream.place.topLeft() == screen.topLeft()) {
            return int(index);
        }
    }
    return screenIndex >= 0 && std::size_t(screenIndex) < monitors.size() ? screenIndex : -1;
}

void CastSelector::begin(const Recorder::Options& options, Completion completion)
{
    if (isOpen()) {
        return;
    }
    completion_ = std::move(completion);
    isOpening_ = true;
    cast_->open(
        [self = QPointer(this), options](Outcome<std::vector<PortalCast::Monitor>> monitors, bool cancelled) {
            if (self) {
                self->opened(std::move(monitors), cancelled, options);
            }
        });
}

void CastSelector::opened(Outcome<std::vector<PortalCast::Monitor>> monitors, bool cancelled,
                          const Recorder::Options& options)
{
    isOpening_ = false;
    if (!monitors.isSuccess()) {
        if (cancelled) {
            captureLog().log("the desktop's question was cancelled: %{public}s", monitors.error());
            end(Cancelled{});
            return;
        }
        end(Unavailable{monitors.error()});
        return;
    }
    monitors_ = monitors.value();
    captureLog().log("choosing what to record on %{public}d monitors of the screen cast",
                     int(monitors_.size()));
    overlays_.begin(options, [self = QPointer(this)](const Result& result) {
        if (self) {
            self->selected(result);
        }
    });
}

std::vector<QImage> CastSelector::pictures(const QList<QScreen*>& screens)
{
    shown_.clear();
    std::vector<QImage> pictures;
    for (qsizetype index = 0; index < screens.size(); ++index) {
        QScreen* screen = screens[index];
        const int monitor = monitorShownOn(screen->geometry(), int(index), monitors_);
        shown_.emplace_back(screen, monitor);
        // A monitor that sent no frame in time shows through a translucent overlay instead.
        pictures.push_back(monitor >= 0 ? monitors_[std::size_t(monitor)].frame : QImage());
    }
    return pictures;
}

void CastSelector::selected(const Result& result)
{
    const auto* record = std::get_if<Record>(&result);
    if (record == nullptr) {
        end(result);
        return;
    }
    const QRect area = globalRect(record->rect);
    for (const auto& [screen, monitor] : shown_) {
        if (!screen || monitor < 0 || !screen->geometry().contains(area.center())) {
            continue;
        }
        const PortalCast::Monitor& shown = monitors_[std::size_t(monitor)];
        const QSize frame = shown.frame.isNull()
                                ? (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize()
                                : shown.frame.size();
        const QRect crop = CastCrop::inStream(area, screen->geometry(), frame);
        captureLog().log(
            "recording %{public}dx%{public}d at %{public}d,%{public}d of the stream of monitor %{public}d",
            crop.width(), crop.height(), crop.x(), crop.y(), monitor);
        cast_->choose(shown.stream.node, crop,
                      [self = QPointer(this), record = *record](Outcome<bool> ready) {
                          if (!self) {
                              return;
                          }
                          if (!ready.isSuccess()) {
                              self->end(Unavailable{ready.error()});
                              return;
                          }
                          self->end(record);
                      });
        return;
    }
    end(Unavailable{QStringLiteral("the area lies on no monitor of the screen cast")});
}

void CastSelector::end(const Result& result)
{
    // Only a recording keeps the cast open; it closes once the recording ends.
    if (!std::holds_alternative<Record>(result)) {
        cast_->close();
    }
    monitors_.clear();
    shown_.clear();
    const Completion completion = std::exchange(completion_, nullptr);
    if (completion) {
        completion(result);
    }
}

} // namespace quillet
