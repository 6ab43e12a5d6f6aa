#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

class QObject;

namespace quillet {

// Runs the capture tool (quillet-screencapture, installed next to the program) as a child process.
class ScreenCaptureTool {
public:
    // Called on the main thread with nothing once the tool has ended by itself with success (its file
    // written, or a pick the user cancelled); otherwise with why it did not, a sentence for the log:
    // it could not start, was stopped for taking too long, crashed or reported a failure.
    using Completion = std::function<void(std::optional<QString> failure)>;

    // A run with nobody at the screen: reading the screen and writing a PNG takes well under a
    // second, so a tool still running after this is hung.
    static constexpr std::chrono::milliseconds defaultTimeLimit = std::chrono::seconds(15);

    enum class Waiting {
        limited, // nobody takes part: killed once past the time limit
        forUser, // the user picks: as long as it takes (the tool gives up by itself when left idle)
    };

    explicit ScreenCaptureTool(QString program = defaultProgram(),
                               std::chrono::milliseconds timeLimit = defaultTimeLimit);

    [[nodiscard]] const QString& program() const { return program_; }
    // The tool in the program's own folder.
    [[nodiscard]] static QString defaultProgram();

    // Starts the tool with `arguments`; its standard output goes where the program's goes, its error
    // output (one line per problem) becomes the failure's reason.
    // `completion` runs only while `context` lives; the process ends with `context`, or with the
    // program, at the latest.
    void run(const QStringList& arguments, Waiting waiting, QObject* context, Completion completion) const;

private:
    QString program_;
    std::chrono::milliseconds timeLimit_;
};

} // namespace quillet
