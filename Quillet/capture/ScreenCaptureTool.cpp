#include "Quillet/capture/ScreenCaptureTool.hpp"

#include "Quillet/common/ChildProcessLifetime.hpp"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include <memory>

namespace quillet {
namespace {

// The tool's own words are its last line of error output; a long one is cut.
constexpr qsizetype reasonLength = 300;
const QString toolPrefix = QStringLiteral("quillet-screencapture: ");

std::optional<QString> failureOf(QProcess& process, int code, QProcess::ExitStatus status)
{
    if (status == QProcess::CrashExit) {
        return QStringLiteral("screencapture crashed");
    }
    if (code == 0) {
        return std::nullopt;
    }
    const QStringList lines =
        QString::fromLocal8Bit(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    QString said = lines.isEmpty() ? QString() : lines.last().trimmed();
    said = said.mid(said.startsWith(toolPrefix) ? toolPrefix.size() : 0).left(reasonLength);
    return said.isEmpty() ? QStringLiteral("screencapture failed with status %1").arg(code)
                          : QStringLiteral("screencapture failed: %1").arg(said);
}

} // namespace

ScreenCaptureTool::ScreenCaptureTool(QString program, std::chrono::milliseconds timeLimit)
    : program_(std::move(program)), timeLimit_(timeLimit)
{
}

QString ScreenCaptureTool::defaultProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/quillet-screencapture");
}

void ScreenCaptureTool::run(const QStringList& arguments, Waiting waiting, QObject* context,
                            Completion completion) const
{
    auto* process = new QProcess(context);
    process->setProgram(program_);
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::ForwardedOutputChannel);
    process->setStandardInputFile(QProcess::nullDevice());
    ChildProcessLifetime::tieToProgram(*process);

    // Exactly one of the three ways out completes the run.
    auto done = std::make_shared<Completion>(std::move(completion));
    const auto finish = [process, done](std::optional<QString> failure) {
        if (*done) {
            const Completion completion = std::exchange(*done, nullptr);
            process->deleteLater();
            completion(std::move(failure));
        }
    };
    QObject::connect(process, &QProcess::finished, context,
                     [process, finish](int code, QProcess::ExitStatus status) {
                         finish(failureOf(*process, code, status));
                     });
    QObject::connect(
        process, &QProcess::errorOccurred, context, [process, finish](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart) {
                return;
            }
            finish(QStringLiteral("screencapture failed to start: %1").arg(process->errorString()));
        });
    if (waiting == Waiting::limited) {
        auto* watchdog = new QTimer(process);
        watchdog->setSingleShot(true);
        QObject::connect(watchdog, &QTimer::timeout, context, [process, finish, limit = timeLimit_] {
            process->kill();
            finish(
                QStringLiteral("screencapture did not finish within %1 ms; stopped it").arg(limit.count()));
        });
        watchdog->start(timeLimit_);
    }
    process->start();
}

} // namespace quillet
