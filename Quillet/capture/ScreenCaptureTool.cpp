#include "Quillet/capture/ScreenCaptureTool.hpp"

#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/ChildProcessLifetime.hpp"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include <memory>

namespace quillet {

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
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    ChildProcessLifetime::tieToProgram(*process);

    // Exactly one of the two signals completes the run.
    auto done = std::make_shared<Completion>(std::move(completion));
    const auto finish = [process, done](bool ended) {
        if (*done) {
            const Completion completion = std::exchange(*done, nullptr);
            process->deleteLater();
            completion(ended);
        }
    };
    QObject::connect(process, &QProcess::finished, context, [finish] { finish(true); });
    QObject::connect(
        process, &QProcess::errorOccurred, context, [process, finish](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart) {
                return;
            }
            captureLog().error("screencapture failed to start: %{public}s", process->errorString());
            finish(false);
        });
    if (waiting == Waiting::limited) {
        auto* watchdog = new QTimer(process);
        watchdog->setSingleShot(true);
        QObject::connect(watchdog, &QTimer::timeout, context, [process, finish, limit = timeLimit_] {
            captureLog().error("screencapture did not finish within %ld ms; stopped it",
                               static_cast<long>(limit.count()));
            process->kill();
            finish(false);
        });
        watchdog->start(timeLimit_);
    }
    process->start();
}

} // namespace quillet
