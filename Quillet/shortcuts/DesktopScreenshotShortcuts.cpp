#include "Quillet/shortcuts/DesktopScreenshotShortcuts.hpp"

#include "Quillet/shortcuts/ProcessGroup.hpp"
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

QProcess* startInOwnGroup(QObject* owner, const QString& tool, const QStringList& arguments)
{
    auto* process = new QProcess(owner);
    ProcessGroup::prepare(*process);
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(tool, arguments);
    return process;
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

DesktopScreenshotShortcuts::DesktopScreenshotShortcuts(const QString& settingsTool, QObject* parent)
    : QObject(parent), tool_(QStandardPaths::findExecutable(settingsTool))
{
}

DesktopScreenshotShortcuts::~DesktopScreenshotShortcuts()
{
    for (QProcess* process : findChildren<QProcess*>()) {
        process->disconnect();
        ProcessGroup::kill(*process);
        process->waitForFinished(static_cast<int>(readTimeout.count()));
    }
}

bool DesktopScreenshotShortcuts::anyEnabled()
{
    if (!started_) {
        started_ = true;
        if (tool_.isEmpty()) {
            last_ = false;
        } else {
            run({QStringLiteral("list-schemas")},
                [this](std::optional<QByteArray> output) { schemasListed(output); });
        }
    }
    return last_.value_or(false);
}

void DesktopScreenshotShortcuts::run(const QStringList& arguments, Output done)
{
    QProcess* process = startInOwnGroup(this, tool_, arguments);
    auto finish = [process, done = std::move(done)](std::optional<QByteArray> output) {
        process->disconnect();
        process->deleteLater();
        done(std::move(output));
    };
    connect(process, &QProcess::finished, this, [process, finish](int code, QProcess::ExitStatus status) {
        const bool complete = status == QProcess::NormalExit && code == 0;
        finish(complete ? std::optional<QByteArray>(process->readAllStandardOutput()) : std::nullopt);
    });
    connect(process, &QProcess::errorOccurred, this, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            finish(std::nullopt);
        }
    });
    // A hung tool is given up on, with whatever it started; the last answer stays.
    QTimer::singleShot(readTimeout, process, [process] { ProcessGroup::kill(*process); });
}

void DesktopScreenshotShortcuts::schemasListed(const std::optional<QByteArray>& output)
{
    const QStringList installed =
        output ? QString::fromUtf8(*output).split(QLatin1Char('\n')) : QStringList();
    for (const QString& schema : bindingSchemas()) {
        if (installed.contains(schema)) {
            schemas_.append(schema);
        }
    }
    if (schemas_.isEmpty()) {
        last_ = false;
        return;
    }
    // Watching first: a change made while the first reading runs is not missed.
    watchSchemas();
    readBindings();
}

void DesktopScreenshotShortcuts::watchSchemas()
{
    for (const QString& schema : schemas_) {
        QProcess* monitor = startInOwnGroup(this, tool_, {QStringLiteral("monitor"), schema});
        connect(monitor, &QProcess::readyReadStandardOutput, this, [this, monitor] {
            (void)monitor->readAllStandardOutput();
            readBindings();
        });
    }
}

void DesktopScreenshotShortcuts::readBindings()
{
    if (reading_) {
        readAgain_ = true;
        return;
    }
    reading_ = true;
    readSchema(0, {});
}

void DesktopScreenshotShortcuts::readSchema(qsizetype index, QByteArray listing)
{
    if (index == schemas_.size()) {
        reading_ = false;
        last_ = anyEnabledIn(listing);
        if (readAgain_) {
            readAgain_ = false;
            readBindings();
        }
        return;
    }
    run({QStringLiteral("list-recursively"), schemas_[index]},
        [this, index, listing = std::move(listing)](std::optional<QByteArray> output) mutable {
            if (!output) {
                reading_ = false;
                readAgain_ = false;
                last_ = last_.value_or(false);
                return;
            }
            readSchema(index + 1, listing + *output);
        });
}

} // namespace quillet
