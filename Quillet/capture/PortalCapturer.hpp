#pragma once

#include "Quillet/capture/Capturer.hpp"
#include "Quillet/capture/CastScreen.hpp"
#include "Quillet/common/Outcome.hpp"
#include "Quillet/common/ScreenCastSession.hpp"
#include "Quillet/common/WindowsHiddenForGrab.hpp"

#include <QDBusConnection>
#include <QImage>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include <chrono>
#include <optional>
#include <string_view>
#include <vector>

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
// desktop asks the user once which monitors to share (every one, so that any can be taken), and the
// portal's restore token, kept in the preferences, lets every later capture start without asking.
// Each capture opens a cast, takes one frame of every monitor from PipeWire and closes the cast, so
// the desktop shows no sharing for longer than that. A Wayland client cannot ask where the pointer
// is; the cast tells it instead, as cursor metadata on the monitor that has the pointer. Where the
// cast fails for another reason than the user's cancel, the portal's screenshot is the fallback,
// which some desktops give without asking. An area is picked on the frames, each shown still over its
// own screen. The program's own windows stay off the screen from before the desktop is first asked
// until the capture ends, however it ends. Main thread only; one capture at a time.
class PortalCapturer : public Capturer {
    Q_OBJECT

public:
    // The preference that holds the restore token: a secret of the user, like the file it is in.
    static constexpr std::string_view restoreTokenKey = ScreenCastSession::restoreTokenKey;
    // Where earlier versions kept a token for one monitor only: dropped, so the desktop asks once more.
    static constexpr std::string_view singleMonitorTokenKey = ScreenCastSession::singleMonitorTokenKey;

    using Limits = PortalCaptureLimits;

    explicit PortalCapturer(brindle::PreferenceStore& preferences, Limits limits = {},
                            QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    // Closes a cast still open; a capture in flight ends without calling back.
    ~PortalCapturer() override;

    // The program the desktop's portal runs for a screenshot, known to be missing: a failure then says
    // what to install instead of only the portal's bare refusal.
    void setMissingScreenshotProgram(QString program) { missingProgram_ = std::move(program); }

    void capture(Mode mode, Completion completion) override;
    [[nodiscard]] bool isRunning() const override { return completion_ != nullptr; }

    // The still from a frame of a monitor `logicalWidth` points wide: its scale is the whole number
    // of pixels per point, at least 1.
    [[nodiscard]] static CapturedImage stillFrom(QImage frame, int logicalWidth);

    using Stream = ScreenCastSession::Stream;

private:
    void startCast();
    void takeFrames(int fd, std::vector<Stream> streams);
    void takeScreenshot();
    void handOn(std::vector<CastScreen> screens);
    void pickArea(std::vector<CastScreen> screens);
    void closePickers();
    void fail(const QString& failure, bool cancelledByUser = false);
    void finish(Result result);

    Limits limits_;
    QDBusConnection bus_;
    ScreenCastSession cast_;
    Completion completion_;
    Mode mode_ = Mode::screen;
    bool triedScreenshot_ = false;
    QString castFailure_; // why the screen cast failed, while the screenshot is tried
    QString missingProgram_;
    bool retriedFrames_ = false;
    std::vector<QPointer<QWidget>> pickers_;
    std::unique_ptr<WindowsHiddenForGrab> ownWindowsHidden_;
};

} // namespace quillet
