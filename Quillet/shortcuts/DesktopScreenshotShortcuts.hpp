#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

class QProcess;

namespace quillet {

// Whether the desktop itself binds a capture action's default combination (⇧⌘3, ⇧⌘4, ⇧⌘5 — Shift and
// Super with 3, 4, 5). Desktops that grab keys through the X input extension take such a key before
// our hot key sees it, and the X server does not report the clash, so the desktop's own settings are
// read: GNOME's, Cinnamon's and MATE's key bindings through their settings tool. Elsewhere, or
// without the tool, the desktop counts as binding none of them. Main thread only.
class DesktopScreenshotShortcuts {
public:
    static constexpr std::chrono::milliseconds readTimeout{1000};

    // The settings schemas whose key bindings count.
    [[nodiscard]] static QStringList bindingSchemas();

    // `settingsTool` is the program's name or path; gsettings unless a test says otherwise.
    explicit DesktopScreenshotShortcuts(const QString& settingsTool = QStringLiteral("gsettings"));
    ~DesktopScreenshotShortcuts();
    DesktopScreenshotShortcuts(const DesktopScreenshotShortcuts&) = delete;
    DesktopScreenshotShortcuts& operator=(const DesktopScreenshotShortcuts&) = delete;

    // The first call reads the bindings, waiting at most `readTimeout`. Later calls answer with the
    // last reading at once and start the next one in the background, so the answer follows a change
    // of the desktop's settings by one call.
    [[nodiscard]] bool anyEnabled();

private:
    [[nodiscard]] std::unique_ptr<QProcess> startListing() const;
    void findSchemas();
    void readNow();
    void startReading();
    void listingFinished(QProcess& process);

    QString tool_;             // absolute path; empty when the tool is not installed
    QStringList schemas_;      // those of bindingSchemas() the desktop has
    std::optional<bool> last_; // the last complete reading
    std::unique_ptr<QProcess> reading_;
};

} // namespace quillet
