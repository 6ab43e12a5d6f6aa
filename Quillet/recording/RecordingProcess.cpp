#include "Quillet/recording/RecordingProcess.hpp"

#include "core/ScreenCaptureArguments.hpp"

#include <QDeadlineTimer>

namespace quillet {
namespace {

// The tool's output is only ever its one line; anything longer is not it and is not kept.
constexpr qsizetype longestLine = 256;

} // namespace

RecordingProcess::RecordingProcess(QObject* parent) : QProcess(parent)
{
    setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(this, &QProcess::readyReadStandardOutput, this, &RecordingProcess::readOutput);
}

bool RecordingProcess::waitForRecording(std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (!hasStartedRecording_ && state() == QProcess::Running && !deadline.hasExpired()) {
        waitForReadyRead(int(deadline.remainingTime()));
    }
    return hasStartedRecording_;
}

void RecordingProcess::readOutput()
{
    const QByteArray output = readAllStandardOutput();
    if (hasStartedRecording_) {
        return;
    }
    partialLine_ += output;
    const QByteArrayView started(ScreenCaptureArguments::recordingStartedLine.data(),
                                 qsizetype(ScreenCaptureArguments::recordingStartedLine.size()));
    qsizetype end = -1;
    while ((end = partialLine_.indexOf('\n')) >= 0) {
        const QByteArray line = partialLine_.left(end);
        partialLine_.remove(0, end + 1);
        if (line == started) {
            hasStartedRecording_ = true;
            partialLine_.clear();
            emit recordingStarted();
            return;
        }
    }
    if (partialLine_.size() > longestLine) {
        partialLine_.clear();
    }
}

} // namespace quillet
