#pragma once

#include "Quillet/recording/AudioAuthorization.hpp"
#include "Quillet/recording/SelectionView.hpp"
#include "Quillet/recording/AreaSelector.hpp"

#include <QMenu>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QScreen>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quillet {

class Microphones;

// The platform services the area selector asks; each has a sensible default.
struct OverlaySelectorPlatform {
    std::function<AudioAuthorization()> audioAuthorization; // always authorized on Linux
    std::function<void()> beep;                             // QApplication::beep
    std::function<bool()> hasCompositing;                   // whether translucent windows show
    // The pictures the overlays show, one per screen of `screens` (a null one for a translucent
    // overlay); by default the screen itself, frozen, where translucent windows do not show.
    std::function<std::vector<QImage>(const QList<QScreen*>& screens)> pictures = {};
    // Why click markers cannot be recorded here, shown on their pill; empty where they can.
    QString clicksUnavailable = {};
    // Whether a window may hold the keyboard and pointer; Wayland gives no client a grab, and asking
    // again and again only fills the log.
    bool canGrabInput = true;
};

// Lets the user choose what to record: one overlay per screen, a drag for an area or a click for
// the whole screen, Escape to cancel, and pills that switch the microphone and the click markers.
// The overlay window under the pointer holds the keyboard and pointer grab, and every pointer event
// is placed on the screen it happened on by its global position. Main thread only.
class OverlaySelector final : public QObject, public AreaSelector {
    Q_OBJECT

public:
    using Platform = OverlaySelectorPlatform;

    // The pause between the overlays leaving and the completion, so nothing of them is recorded.
    static constexpr std::chrono::milliseconds completionDelay{150};

    explicit OverlaySelector(const Microphones& microphones, Platform platform = {},
                             QObject* parent = nullptr);
    ~OverlaySelector() override;

    void begin(const Recorder::Options& options, Completion completion) override;
    [[nodiscard]] bool isOpen() const override { return !views_.empty(); }

    // What the views show.
    [[nodiscard]] const Recorder::Options& options() const { return options_; }
    [[nodiscard]] std::optional<QRect> selectionOn(const SelectionView* view) const;
    [[nodiscard]] QString microphoneName() const;
    [[nodiscard]] bool isMicrophoneBlocked() const;
    [[nodiscard]] const QString& clicksUnavailable() const { return platform_.clicksUnavailable; }

    // Input from the views, in the toolkit's global coordinates.
    void pressed(QPointF global);
    void moved(QPointF global);
    void released(QPointF global);
    void cancel();

    // The open overlays, main screen first, and the microphone menu while it is open.
    [[nodiscard]] std::vector<SelectionView*> views() const;
    [[nodiscard]] QMenu* microphoneMenu() const { return menu_; }

private:
    struct Drag {
        SelectionView* view = nullptr;
        QPointF start;
        QPointF current;
    };

    void finish(const Result& result);
    void microphoneClicked(QPointF local, SelectionView& view);
    void showMicrophoneMenu(QPointF local, SelectionView& view);
    void microphoneChosen(const std::optional<QString>& id);
    void redraw();
    void grabInput(int attemptsLeft);
    [[nodiscard]] SelectionView* viewAt(QPointF global) const;

    const Microphones& microphones_;
    Platform platform_;
    Recorder::Options options_;
    Completion completion_;
    std::vector<std::unique_ptr<SelectionView>> views_;
    QPointer<SelectionView> inputView_;
    std::optional<Drag> drag_;
    QPointer<QMenu> menu_;
};

} // namespace quillet
