#pragma once

#include "Quillet/capture/Capturer.hpp"
#include "Quillet/library/StillSaver.hpp"

#include <QImage>
#include <QObject>
#include <QString>

#include <memory>

namespace quillet {

class PermissionGate;

// A still from the key press to the saved file: asks the gate, captures, turns a blank capture into
// the permission alert and hands the rest to the saver. Main thread only.
class StillFlow : public QObject {
    Q_OBJECT

public:
    // Tells one still's signals from another's.
    using StillId = quint64;

    StillFlow(std::unique_ptr<Capturer> capturer, PermissionGate& gate, std::unique_ptr<StillSaver> saver,
              QObject* parent = nullptr);

    void capture(Capturer::Mode mode);
    // Ends a capture tool still running, with its file; no capture starts after it.
    void shutDown();

signals:
    // A still was captured and is being saved; `image` is the full capture. Exactly one of `saved`
    // and `failed` follows with the same id, unless the flow is gone first.
    void saving(StillId still, const QImage& image, double scale);
    void saved(StillId still, const QString& path);
    // The save failed; the failure was logged.
    void failed(StillId still);

private:
    void captured(std::optional<CapturedImage> image);
    void checked(const CapturedImage& image, bool blank);

    std::unique_ptr<Capturer> capturer_;
    PermissionGate& gate_;
    std::unique_ptr<StillSaver> saver_;
    StillId lastStill_ = 0;
};

} // namespace quillet
