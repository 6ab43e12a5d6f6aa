#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

namespace quillet {

// Opens an address with the desktop's opener (xdg-open) and tells when it did not: when the opener
// cannot start, and when it gives up with an error (no browser or file manager behind it). An opener
// still running after `answerLimit` is taken to have handed the address over: a browser it started
// may run for hours. Main thread only.
class DesktopOpener : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::seconds answerLimit{10};
    static constexpr std::chrono::milliseconds startLimit{5000};
    using Failed = std::function<void(const QUrl&)>;

    DesktopOpener(QString program, Failed failed, QObject* parent = nullptr);

    // False when the opener could not even start (logged; the caller tells the user). A later
    // failure goes to `failed`.
    bool open(const QUrl& address);

private:
    QString program_;
    Failed failed_;
};

} // namespace quillet
