#pragma once

#include "Quillet/capture/Capturer.hpp"
#include "Quillet/library/StillSaver.hpp"

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace quillet {

class PermissionGate;

// A still from the key press to the saved file: asks the gate, captures, turns a blank capture into
// the permission alert and hands the rest to the saver. A capture that fails (not one the user
// cancelled) is logged with its reason and sounds the alert; the flow then counts as failed until a
// capture succeeds. A still that cannot be written sounds the alert too and counts as failed until one
// is written. Main thread only.
class StillFlow : public QObject {
    Q_OBJECT

public:
    // Tells one still's signals from another's.
    using StillId = quint64;

    // `beep` is the alert sound.
    StillFlow(std::unique_ptr<Capturer> capturer, PermissionGate& gate, std::unique_ptr<StillSaver> saver,
              std::function<void()> beep, QObject* parent = nullptr);

    void capture(Capturer::Mode mode);
    // Ends a capture tool still running, with its file; no capture starts after it.
    void shutDown();
    // The latest capture failed (a cancel does not count); cleared by the next one that succeeds.
    [[nodiscard]] bool lastCaptureFailed() const { return lastCaptureFailed_; }
    // The latest still that was captured could not be written; cleared by the next one written.
    [[nodiscard]] bool lastSaveFailed() const { return lastSaveFailed_; }

signals:
    // `lastCaptureFailed` or `lastSaveFailed` changed.
    void changed();
    // A still was captured and is being saved; `image` is the full capture. Exactly one of `saved`
    // and `failed` follows with the same id, unless the flow is gone first.
    void saving(StillId still, const QImage& image, double scale);
    void saved(StillId still, const QString& path);
    // The save failed; the failure was logged.
    void failed(StillId still);

private:
    void captured(Capturer::Result result);
    void setLastCaptureFailed(bool failed);
    void stored(StillId still, const std::optional<QString>& path);
    void checked(const CapturedImage& image, bool blank);

    std::unique_ptr<Capturer> capturer_;
    PermissionGate& gate_;
    std::unique_ptr<StillSaver> saver_;
    std::function<void()> beep_;
    StillId lastStill_ = 0;
    bool lastCaptureFailed_ = false;
    bool lastSaveFailed_ = false;
};

} // namespace quillet
