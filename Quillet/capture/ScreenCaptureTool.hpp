#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QObject;

namespace quillet {

// Runs the capture tool (quillet-screencapture, installed next to the program) as a child process.
class ScreenCaptureTool {
public:
    // Called on the main thread: true once the tool has ended (whatever its exit status), false when
    // it could not be started.
    using Completion = std::function<void(bool ended)>;

    explicit ScreenCaptureTool(QString program = defaultProgram());

    [[nodiscard]] const QString& program() const { return program_; }
    // The tool in the program's own folder.
    [[nodiscard]] static QString defaultProgram();

    // Starts the tool with `arguments`; its standard output and error go where the program's go.
    // `completion` runs only while `context` lives; the process ends with `context` at the latest.
    void run(const QStringList& arguments, QObject* context, Completion completion) const;

private:
    QString program_;
};

} // namespace quillet
