#pragma once

#include <QByteArray>
#include <QProcess>

#include <chrono>

namespace quillet {

// The capture tool running a recording. It says on its standard output when its first frame is in the
// movie; before that an interrupt may reach it ahead of its own handler and kill it, losing the movie.
// Its standard error goes to the program's own.
class RecordingProcess final : public QProcess {
    Q_OBJECT

public:
    explicit RecordingProcess(QObject* parent = nullptr);

    [[nodiscard]] bool hasStartedRecording() const { return hasStartedRecording_; }
    // Blocks until the tool says it records, ends, or `limit` passes; true once it records.
    bool waitForRecording(std::chrono::milliseconds limit);

signals:
    void recordingStarted();

private:
    void readOutput();

    bool hasStartedRecording_ = false;
    QByteArray partialLine_;
};

} // namespace quillet
