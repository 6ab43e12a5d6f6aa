#include "Quillet/capture/ScreenCaptureTool.hpp"

#include "Brindle/AppInfo.hpp"

#include <QCoreApplication>
#include <QProcess>

#include <memory>

namespace quillet {

ScreenCaptureTool::ScreenCaptureTool(QString program) : program_(std::move(program)) {}

QString ScreenCaptureTool::defaultProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/quillet-screencapture");
}

void ScreenCaptureTool::run(const QStringList& arguments, QObject* context, Completion completion) const
{
    auto* process = new QProcess(context);
    process->setProgram(program_);
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());

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
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [process, finish](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) {
                             return;
                         }
                         brindle::AppInfo::logger("capture").error(
                             "screencapture failed to start: %{public}s", process->errorString());
                         finish(false);
                     });
    process->start();
}

} // namespace quillet
