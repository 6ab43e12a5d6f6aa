#include "Quillet/shortcuts/DesktopScreenshotShortcuts.hpp"

#include "core/DesktopKeyBindings.hpp"
#include "core/SystemScreenshotShortcuts.hpp"

#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace quillet {
namespace {

bool anyEnabledIn(const QByteArray& listing)
{
    const auto bound =
        DesktopKeyBindings::boundShortcuts(std::string_view(listing.constData(), listing.size()));
    return SystemScreenshotShortcuts::anyEnabled(DesktopKeyBindings::symbolicHotKeys(bound));
}

// The output of a run that ended by itself within the time, or nothing.
std::optional<QByteArray> finishedOutput(QProcess& process)
{
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(0)) {
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

} // namespace

QStringList DesktopScreenshotShortcuts::bindingSchemas()
{
    return {QStringLiteral("org.gnome.shell.keybindings"),
            QStringLiteral("org.gnome.settings-daemon.plugins.media-keys"),
            QStringLiteral("org.gnome.desktop.wm.keybindings"),
            QStringLiteral("org.gnome.mutter.keybindings"),
            QStringLiteral("org.cinnamon.desktop.keybindings.media-keys"),
            QStringLiteral("org.cinnamon.desktop.keybindings.wm"),
            QStringLiteral("org.mate.SettingsDaemon.plugins.media-keys"),
            QStringLiteral("org.mate.Marco.global-keybindings")};
}

DesktopScreenshotShortcuts::DesktopScreenshotShortcuts(const QString& settingsTool)
    : tool_(QStandardPaths::findExecutable(settingsTool))
{
}

DesktopScreenshotShortcuts::~DesktopScreenshotShortcuts()
{
    if (reading_) {
        reading_->disconnect();
        reading_->kill();
        reading_->waitForFinished(static_cast<int>(readTimeout.count()));
    }
}

bool DesktopScreenshotShortcuts::anyEnabled()
{
    if (!last_) {
        findSchemas();
        readNow();
        return last_.value_or(false);
    }
    startReading();
    return *last_;
}

void DesktopScreenshotShortcuts::findSchemas()
{
    if (tool_.isEmpty()) {
        return;
    }
    QProcess process;
    process.start(tool_, {QStringLiteral("list-schemas")});
    process.waitForFinished(static_cast<int>(readTimeout.count()));
    const auto output = finishedOutput(process);
    if (!output) {
        process.kill();
        process.waitForFinished();
        return;
    }
    const QStringList installed = QString::fromUtf8(*output).split(QLatin1Char('\n'));
    for (const QString& schema : bindingSchemas()) {
        if (installed.contains(schema)) {
            schemas_.append(schema);
        }
    }
}

std::unique_ptr<QProcess> DesktopScreenshotShortcuts::startListing() const
{
    // One shell for all schemas, so a reading is one process to wait for whatever the desktop.
    auto process = std::make_unique<QProcess>();
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(QStringLiteral("/bin/sh"),
                   QStringList{QStringLiteral("-c"),
                               QStringLiteral("tool=$1; shift; for schema; do \"$tool\" list-recursively "
                                              "\"$schema\"; done"),
                               QStringLiteral("sh"), tool_} +
                       schemas_);
    return process;
}

void DesktopScreenshotShortcuts::readNow()
{
    if (schemas_.isEmpty()) {
        last_ = false;
        return;
    }
    const auto process = startListing();
    process->waitForFinished(static_cast<int>(readTimeout.count()));
    const auto output = finishedOutput(*process);
    if (!output) {
        process->kill();
        process->waitForFinished();
        last_ = false;
        return;
    }
    last_ = anyEnabledIn(*output);
}

void DesktopScreenshotShortcuts::startReading()
{
    if (schemas_.isEmpty() || reading_) {
        return;
    }
    reading_ = startListing();
    QProcess* process = reading_.get();
    QObject::connect(process, &QProcess::finished, process, [this, process] { listingFinished(*process); });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [this, process](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             listingFinished(*process);
                         }
                     });
    // A hung tool is given up on; the last answer stays.
    QTimer::singleShot(readTimeout, process, [process] { process->kill(); });
}

void DesktopScreenshotShortcuts::listingFinished(QProcess& process)
{
    if (process.exitStatus() == QProcess::NormalExit && process.error() != QProcess::FailedToStart) {
        last_ = anyEnabledIn(process.readAllStandardOutput());
    }
    // Not destroyed from inside its own signal.
    reading_.release()->deleteLater();
}

} // namespace quillet
