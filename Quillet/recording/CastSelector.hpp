#pragma once

#include "Quillet/recording/AreaSelector.hpp"
#include "Quillet/recording/OverlaySelector.hpp"
#include "Quillet/recording/PortalCast.hpp"

#include <QObject>
#include <QPointer>
#include <QScreen>

#include <memory>
#include <vector>

namespace quillet {

class Microphones;

// The area selector where the program sees the screen only through the desktop's screen cast
// (Wayland): it opens the cast the recording will use, shows each monitor's frame, still, under the
// same overlays, hint and pills as elsewhere, and on a drag or a click opens the chosen monitor's
// stream for the recorder. Escape closes the cast. Click markers are off: no client gets the desktop's
// clicks there. Main thread only.
class CastSelector final : public QObject, public AreaSelector {
    Q_OBJECT

public:
    CastSelector(const Microphones& microphones, std::shared_ptr<PortalCast> cast, QObject* parent = nullptr);

    void begin(const Recorder::Options& options, Completion completion) override;
    [[nodiscard]] bool isOpen() const override { return isOpening_ || overlays_.isOpen(); }

    // The monitor of `monitors` that a screen shows: the one at its place, else the one at its position
    // in the list (a desktop may place the program's screens differently); -1 for none.
    [[nodiscard]] static int monitorShownOn(const QRect& screen, int screenIndex,
                                            const std::vector<PortalCast::Monitor>& monitors);

private:
    [[nodiscard]] OverlaySelector::Platform overlayPlatform();
    void opened(Outcome<std::vector<PortalCast::Monitor>> monitors, bool cancelled,
                const Recorder::Options& options);
    [[nodiscard]] std::vector<QImage> pictures(const QList<QScreen*>& screens);
    void selected(const Result& result);
    void end(const Result& result);

    std::shared_ptr<PortalCast> cast_;
    OverlaySelector overlays_;
    Completion completion_;
    bool isOpening_ = false;
    std::vector<PortalCast::Monitor> monitors_;
    // Each overlay's screen and the monitor it shows.
    std::vector<std::pair<QPointer<QScreen>, int>> shown_;
};

} // namespace quillet
