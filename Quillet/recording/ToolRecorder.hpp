#pragma once

#include "Quillet/recording/Recorder.hpp"
#include "Quillet/recording/RecordingProcess.hpp"
#include "Quillet/recording/RecordingsFolder.hpp"

#include <QObject>
#include <QPointer>
#include <QProcess>

#include <chrono>
#include <memory>

namespace quillet {

class CastFeed;
class Microphones;
struct SavedMovie;

// How long each step of stopping a recording may take before the next, harder one.
struct StopLimits {
    std::chrono::milliseconds interrupt{10'000};
    std::chrono::milliseconds terminate{5'000};
    std::chrono::milliseconds kill{5'000};
    // How long a stop waits for the tool to say it records before it interrupts it all the same.
    std::chrono::milliseconds recording{5'000};
};

// Records with the capture tool in its video mode, run as a child process for as long as the
// recording lasts, into a movie in the private recordings folder. Stopping interrupts the tool once it
// says it records (so the movie has its first frame and the tool its handler), then waits a bounded time
// before it is terminated and then killed, so a hung tool never hangs the program; whatever movie exists is
// then copied into an MPEG-4 file off the main thread; one whose name someone took meanwhile gets
// another (see `setRename`), one stopped without a name stays for the next start to recover. A movie
// that cannot be exported is kept, never deleted. Main thread only.
class ToolRecorder final : public QObject, public Recorder {
    Q_OBJECT

public:
    using Limits = StopLimits;

    ToolRecorder(QString program, const Microphones& microphones,
                 RecordingsFolder folder = RecordingsFolder(), Limits limits = Limits(),
                 QObject* parent = nullptr);
    // A recording still running is interrupted and given its bounded time to finish its movie,
    // which a later start then finds as a leftover.
    ~ToolRecorder() override;

    bool start(const Rect& rect, const Options& options) override;
    [[nodiscard]] std::optional<QDateTime> sessionStartedAt() const override;
    void stop(const QString& path, StopCompletion completion) override;
    void firstFrame(const QString& movie, int maxPixels, FrameCompletion completion) override;
    void setOnEnded(Ended ended) override { onEnded_ = std::move(ended); }
    void setOnKept(Kept kept) override { onKept_ = std::move(kept); }
    void setOnFailed(Ended failed) override { onFailed_ = std::move(failed); }
    void setOnUnreadable(Ended unreadable) override { onUnreadable_ = std::move(unreadable); }
    [[nodiscard]] std::vector<QString> leftovers() const override;
    [[nodiscard]] std::optional<QDateTime> startedAt(const QString& leftover) const override;
    void save(const QString& movie, const QString& path, StopCompletion completion) override;
    void setRename(Rename rename) override { rename_ = std::move(rename); }
    // Records from this screen cast instead of the X11 screen: the tool reads the stream the area
    // selector chose, the cast ends with the recording, and the desktop ending the cast ends the
    // recording as a stop does.
    void setCast(std::shared_ptr<CastFeed> cast);

    // The arguments that record `rect` (program coordinates) with `options` into `movie`.
    [[nodiscard]] QStringList arguments(const Rect& rect, const Options& options, const QString& movie) const;

private:
    struct Session {
        RecordingProcess* process = nullptr;
        RecordingsFolder::Movie movie;
        QDateTime startedAt;
    };

    [[nodiscard]] bool prepare(RecordingProcess& process, const Rect& rect, const Options& options,
                               const RecordingsFolder::Movie& movie);
    void toolEnded(QProcess* process);
    void interruptWhenRecording(RecordingProcess* process);
    void whenEnded(QProcess* process, std::function<void()> then);
    void escalate(QPointer<QProcess> process);
    void finishSaving(const QString& movie, SavedMovie saved, int attempt, StopCompletion completion);

    QString program_;
    const Microphones& microphones_;
    RecordingsFolder folder_;
    Limits limits_;
    std::shared_ptr<CastFeed> cast_;
    int castConnection_ = -1; // the cast's connection between the tool's preparation and its start
    std::unique_ptr<Session> session_;
    Ended onEnded_;
    Kept onKept_;
    Ended onFailed_;
    Ended onUnreadable_;
    Rename rename_;
};

} // namespace quillet
