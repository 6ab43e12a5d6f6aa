#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

class QProcess;

namespace quillet {

// Whether the desktop itself binds a capture action's default combination (⇧⌘3, ⇧⌘4, ⇧⌘5 — Shift and
// Super with 3, 4, 5). Desktops that grab keys through the X input extension take such a key before
// our hot key sees it, and the X server does not report the clash, so the desktop's own settings are
// read: GNOME's, Cinnamon's and MATE's key bindings through their settings tool. Elsewhere, or
// without the tool, the desktop counts as binding none of them. The tool runs in the background, each
// run in a process group of its own that is killed when it overruns; one long-lived "monitor" per
// schema announces changes, so nothing is read again until something changed. Main thread only.
class DesktopScreenshotShortcuts : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds readTimeout{1000};

    // The settings schemas whose key bindings count.
    [[nodiscard]] static QStringList bindingSchemas();

    // `settingsTool` is the program's name or path; gsettings unless a test says otherwise.
    explicit DesktopScreenshotShortcuts(const QString& settingsTool = QStringLiteral("gsettings"),
                                        QObject* parent = nullptr);
    // Ends the watch and every run of the tool.
    ~DesktopScreenshotShortcuts() override;

    // The last complete reading; false until there is one. The first call starts the watch and the
    // first reading and returns at once.
    [[nodiscard]] bool anyEnabled();

private:
    using Output = std::function<void(std::optional<QByteArray>)>;

    void run(const QStringList& arguments, Output done);
    void schemasListed(const std::optional<QByteArray>& output);
    void watchSchemas();
    void readBindings();
    void readSchema(qsizetype index, QByteArray listing);

    QString tool_;        // absolute path; empty when the tool is not installed
    QStringList schemas_; // those of bindingSchemas() the desktop has
    std::optional<bool> last_;
    bool started_ = false;
    bool reading_ = false;
    bool readAgain_ = false; // a change came while a reading ran
};

} // namespace quillet
