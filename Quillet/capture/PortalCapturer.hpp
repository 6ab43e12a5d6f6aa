#pragma once

#include "Quillet/capture/Capturer.hpp"
#include "Quillet/common/Outcome.hpp"

#include <QDBusConnection>
#include <QImage>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include <chrono>
#include <string_view>

namespace brindle {
class PreferenceStore;
}

namespace quillet {

// How long a capture through the desktop portal waits.
struct PortalCaptureLimits {
    // For each answer the portal gives without asking the user.
    std::chrono::milliseconds answer{10'000};
    // For the user's choice when the desktop asks which monitor to share.
    std::chrono::milliseconds choice{300'000};
    // For the first whole frame once the cast runs.
    std::chrono::milliseconds frame{5'000};
};

// Takes stills through the desktop portal's screen cast, where X11 sees nothing (Wayland): the
// desktop asks the user once which monitor to share, and the portal's restore token, kept in the
// preferences, lets every later capture start without asking. Each capture opens a cast, takes one
// frame from PipeWire and closes the cast, so the desktop shows no sharing for longer than that. Where
// the cast fails for another reason than the user's cancel, the portal's screenshot is the fallback,
// which some desktops give without asking. An area is picked on the frame, shown still over the whole
// screen. Main thread only; one capture at
// a time.
class PortalCapturer : public Capturer {
    Q_OBJECT

public:
    // The preference that holds the restore token: a secret of the user, like the file it is in.
    static constexpr std::string_view restoreTokenKey = "PortalScreenCastToken";

    using Limits = PortalCaptureLimits;

    explicit PortalCapturer(brindle::PreferenceStore& preferences, Limits limits = {},
                            QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    // Closes a cast still open; a capture in flight ends without calling back.
    ~PortalCapturer() override;

    void capture(Mode mode, Completion completion) override;
    [[nodiscard]] bool isRunning() const override { return completion_ != nullptr; }

    // The still from a frame of a monitor `logicalWidth` points wide: its scale is the whole number
    // of pixels per point, at least 1.
    [[nodiscard]] static CapturedImage stillFrom(QImage frame, int logicalWidth);

private:
    void selectSources(const QVariantMap& session);
    void start();
    void openPipeWire(const QVariantMap& started);
    void takeFrame(int fd, uint node, int logicalWidth);
    void takeScreenshot();
    void handOn(CapturedImage still);
    void pickArea(CapturedImage still);
    void fail(const QString& step, const QString& reason, bool cancelledByUser = false);
    void closeSession();
    void finish(Result result);

    brindle::PreferenceStore& preferences_;
    Limits limits_;
    QDBusConnection bus_;
    Completion completion_;
    Mode mode_ = Mode::screen;
    bool triedScreenshot_ = false;
    QString castFailure_; // why the screen cast failed, while the screenshot is tried
    QString session_;
    QPointer<QWidget> picker_;
};

} // namespace quillet
