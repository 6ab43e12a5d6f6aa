#include "Quillet/recording/ToolRecorder.hpp"

#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/ChildProcessLifetime.hpp"
#include "Quillet/common/ScreenGeometry.hpp"
#include "Quillet/library/AtomicFileWriter.hpp"
#include "Quillet/recording/CastFeed.hpp"
#include "Quillet/library/HiddenScratchFile.hpp"
#include "Quillet/recording/Microphones.hpp"
#include "Quillet/recording/MovieExport.hpp"
#include "Quillet/recording/MovieName.hpp"
#include "Quillet/recording/VideoFrame.hpp"
#include "core/ScreenCaptureArguments.hpp"

#include <QFileInfo>
#include <QRect>
#include <QScopeGuard>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

constexpr auto startLimit = 5s;
// Where the capture tool finds the screen cast's connection.
constexpr int castDescriptor = 3;
// Names tried for a kept movie when the first one is taken.
constexpr int keptNameAttempts = 50;

ScreenCaptureArguments::Microphone microphoneFor(const Recorder::Options& options,
                                                 const Microphones& microphones)
{
    if (!options.microphone) {
        return ScreenCaptureArguments::Microphone::none();
    }
    if (const auto device = microphones.resolve(options.microphoneID)) {
        return ScreenCaptureArguments::Microphone::device(device->id.toStdString());
    }
    return ScreenCaptureArguments::Microphone::systemDefault();
}

// In the child, before the tool runs: the tool keeps the movie's lock (the descriptor, inherited,
// shares it) for as long as it writes, so a start after this program died does not take the movie for a
// leftover under the tool. When the program dies the tool is interrupted and finishes its movie for
// the next start to recover; a program already gone means no tool at all. An interrupt must reach the
// tool however the program was started (a shell may have set it to be ignored).
void prepareChild(pid_t parent, int movieLock) noexcept
{
    ::fcntl(movieLock, F_SETFD, 0);
    ChildProcessLifetime::tieToParent(parent, SIGINT);
}

// The screen cast's connection goes to the tool as `castDescriptor`. The movie's lock may sit on that
// number: it moves first, since closing it would give the lock up. A descriptor already in place keeps
// its close-on-exec flag through dup2, so that is cleared by hand.
void prepareCastChild(pid_t parent, int movieLock, int descriptor) noexcept
{
    if (movieLock == castDescriptor) {
        movieLock = ::fcntl(movieLock, F_DUPFD, castDescriptor + 1);
    }
    prepareChild(parent, movieLock);
    if (descriptor == castDescriptor) {
        ::fcntl(castDescriptor, F_SETFD, 0);
        return;
    }
    ::dup2(descriptor, castDescriptor);
}

// The tool's region notation of a crop.
std::string cropText(const QRect& crop)
{
    if (crop.isEmpty()) {
        return {};
    }
    return QStringLiteral("%1,%2,%3,%4").arg(crop.x()).arg(crop.y()).arg(crop.width()).arg(crop.height()).toStdString();
}

// Where a movie that could not be exported is kept: beside the intended MP4, under the same name
// with the QuickTime extension (numbered when taken). Empty when it could not be moved.
QString keepMovie(const QString& movie, const QString& intended)
{
    const QFileInfo target(intended);
    const QString base = target.path() + QLatin1Char('/') + target.completeBaseName();
    for (int attempt = 1; attempt <= keptNameAttempts; ++attempt) {
        const QString name =
            attempt == 1 ? base + QStringLiteral(".mov") : base + QStringLiteral(" %1.mov").arg(attempt);
        const AtomicFileWriter::Result moved = AtomicFileWriter::move(movie, name);
        switch (moved.status) {
        case AtomicFileWriter::Status::written:
            return name;
        case AtomicFileWriter::Status::nameTaken:
            continue;
        case AtomicFileWriter::Status::failed:
            return QString();
        }
    }
    return QString();
}

} // namespace

struct SavedMovie {
    std::optional<QString> path;
    QString error; // why the export failed; empty when it did not
    QString kept;  // where the movie is when the export failed
    // The finished MP4 when someone took its name meanwhile, and that name.
    std::shared_ptr<HiddenScratchFile> unnamed;
    QString taken;
};

namespace {

using Saved = SavedMovie;

Saved settle(const QString& movie, const QString& path, MovieExport::Result exported)
{
    switch (exported.status) {
    case AtomicFileWriter::Status::written:
        QFile::remove(movie);
        return {path, {}, {}, nullptr, {}};
    case AtomicFileWriter::Status::nameTaken:
        return {std::nullopt, exported.error, movie, std::move(exported.unnamed), path};
    case AtomicFileWriter::Status::failed:
        break;
    }
    const QString kept = keepMovie(movie, path);
    return {std::nullopt, exported.error, kept.isEmpty() ? movie : kept, nullptr, {}};
}

Saved saveMovie(const QString& movie, const QString& path)
{
    const QFileInfo info(movie);
    if (!info.exists() || info.size() == 0) {
        // The tool wrote nothing (it failed at once): nothing to save or keep.
        QFile::remove(movie);
        return {};
    }
    return settle(movie, path, MovieExport::toMP4(movie, path));
}

// Out of names: the MP4 goes, the movie stays in the recordings folder for a later start.
Saved giveUp(Saved saved)
{
    saved.unnamed.reset();
    saved.taken.clear();
    return saved;
}

} // namespace

ToolRecorder::ToolRecorder(QString program, const Microphones& microphones, RecordingsFolder folder,
                           Limits limits, QObject* parent)
    : QObject(parent), program_(std::move(program)), microphones_(microphones), folder_(std::move(folder)),
      limits_(limits)
{
}

ToolRecorder::~ToolRecorder()
{
    if (!session_ || session_->process->state() == QProcess::NotRunning) {
        return;
    }
    RecordingProcess& process = *session_->process;
    process.waitForRecording(limits_.recording);
    const auto closeCast = qScopeGuard([this] {
        if (cast_) {
            cast_->close();
        }
    });
    ::kill(pid_t(process.processId()), SIGINT);
    if (process.waitForFinished(int(limits_.interrupt.count()))) {
        return;
    }
    process.terminate();
    if (!process.waitForFinished(int(limits_.terminate.count()))) {
        process.kill();
        process.waitForFinished(int(limits_.kill.count()));
    }
}

QStringList ToolRecorder::arguments(const Rect& rect, const Options& options, const QString& movie) const
{
    QStringList result;
    for (const auto& argument :
         ScreenCaptureArguments::recording(ScreenGeometry::region(rect), options.showClicks,
                                           microphoneFor(options, microphones_), movie.toStdString())) {
        result << QString::fromStdString(argument);
    }
    return result;
}

bool ToolRecorder::start(const Rect& rect, const Options& options)
{
    if (session_) {
        return false;
    }
    const QDateTime startedAt = QDateTime::currentDateTime();
    RecordingsFolder::Movie movie;
    if (auto problem = folder_.newMovie(movie, startedAt)) {
        captureLog().error("could not start recording: %{public}s", *problem);
        return false;
    }
    auto* process = new RecordingProcess(this);
    if (!prepare(*process, rect, options, movie)) {
        QFile::remove(movie.path());
        delete process;
        return false;
    }
    process->start();
    const bool started = process->waitForStarted(int(std::chrono::milliseconds(startLimit).count()));
    // The tool has its own copy now, or none: ours would keep the cast's connection open.
    if (castConnection_ >= 0) {
        ::close(std::exchange(castConnection_, -1));
    }
    if (!started) {
        if (cast_) {
            cast_->close();
        }
        captureLog().error("could not start recording: %{public}s", process->errorString());
        QFile::remove(movie.path());
        delete process;
        return false;
    }
    connect(process, &QProcess::finished, this, [this, process] { toolEnded(process); });
    connect(process, &RecordingProcess::recordingStarted, this,
            [] { captureLog().log("the capture tool records its first frame"); });
    session_ = std::make_unique<Session>(Session{process, std::move(movie), startedAt});
    return true;
}

bool ToolRecorder::prepare(RecordingProcess& process, const Rect& rect, const Options& options,
                           const RecordingsFolder::Movie& movie)
{
    process.setProgram(program_);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!cast_) {
        process.setArguments(arguments(rect, options, movie.path()));
        process.setChildProcessModifier(
            [parent = ::getpid(), lock = movie.lock()] { prepareChild(parent, lock); });
        return true;
    }
    const auto stream = cast_->take();
    if (!stream) {
        captureLog().error("could not start recording: no screen cast was chosen for it");
        cast_->close();
        return false;
    }
    castConnection_ = stream->descriptor;
    QStringList castArguments;
    for (const auto& argument :
         ScreenCaptureArguments::castRecording(castDescriptor, stream->node, cropText(stream->crop),
                                               microphoneFor(options, microphones_), movie.path().toStdString())) {
        castArguments << QString::fromStdString(argument);
    }
    process.setArguments(castArguments);
    process.setChildProcessModifier([parent = ::getpid(), lock = movie.lock(), descriptor = stream->descriptor] {
        prepareCastChild(parent, lock, descriptor);
    });
    return true;
}

void ToolRecorder::setCast(std::shared_ptr<CastFeed> cast)
{
    cast_ = std::move(cast);
    cast_->setOnClosed([self = QPointer(this)] {
        if (!self || !self->session_) {
            return;
        }
        // The user stopped sharing from the desktop: the same as the Stop button.
        captureLog().log("the desktop ended the screen cast: stopping the recording");
        if (self->onEnded_) {
            self->onEnded_();
        }
    });
}

std::optional<QDateTime> ToolRecorder::sessionStartedAt() const
{
    return session_ ? std::optional<QDateTime>(session_->startedAt) : std::nullopt;
}

void ToolRecorder::toolEnded(QProcess* process)
{
    if (!session_ || session_->process != process) {
        return; // asked to stop
    }
    captureLog().error("the recording ended by itself: the capture tool exited with status %ld",
                       process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1);
    // The tool says why on its own line (a cast of GPU buffers only, or no picture in time).
    if (cast_ && !session_->process->hasStartedRecording() && onUnreadable_) {
        onUnreadable_();
    }
    // A cast the desktop ended makes the tool finish its movie and exit 0: only other ends are news.
    const bool failed = process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0;
    if (failed && onFailed_) {
        onFailed_();
    }
    if (onEnded_) {
        onEnded_();
    }
}

void ToolRecorder::stop(const QString& path, StopCompletion completion)
{
    if (!session_) {
        completion(std::nullopt);
        return;
    }
    auto session = std::shared_ptr<Session>(std::move(session_));
    RecordingProcess* process = session->process;
    interruptWhenRecording(process);
    whenEnded(process, [this, session, path, completion = std::move(completion)]() mutable {
        ChildProcessLifetime::deleteWhenFinished(session->process);
        if (cast_) {
            cast_->close();
        }
        if (path.isEmpty()) {
            captureLog().error("the recording was left as %{public}s for the next start to save",
                               session->movie.path());
            completion(std::nullopt);
            return;
        }
        // The lock stays with the movie until it is saved, so no other run takes it for a leftover.
        auto movie = std::make_shared<RecordingsFolder::Movie>(std::move(session->movie));
        save(movie->path(), path, [movie, completion = std::move(completion)](std::optional<QString> saved) {
            completion(std::move(saved));
        });
    });
}

// An interrupt that came before the tool's handler would kill it and lose the movie; one the tool never
// announces itself ready for is sent once the limit passes, and the harder steps follow as usual.
void ToolRecorder::interruptWhenRecording(RecordingProcess* process)
{
    if (process->state() == QProcess::NotRunning) {
        return;
    }
    const auto interrupt = [this, process = QPointer<QProcess>(process),
                            sent = std::make_shared<bool>(false)] {
        // Only a running tool is signalled: the identifier of one that has ended may be reused.
        if (*sent || !process || process->state() == QProcess::NotRunning) {
            return;
        }
        *sent = true;
        ::kill(pid_t(process->processId()), SIGINT);
        escalate(process);
    };
    if (process->hasStartedRecording()) {
        interrupt();
        return;
    }
    connect(process, &RecordingProcess::recordingStarted, this, interrupt);
    QTimer::singleShot(limits_.recording, this, interrupt);
}

void ToolRecorder::whenEnded(QProcess* process, std::function<void()> then)
{
    auto once = std::make_shared<std::function<void()>>(std::move(then));
    const auto fire = [once] {
        if (*once) {
            std::exchange(*once, nullptr)();
        }
    };
    if (process->state() == QProcess::NotRunning) {
        QTimer::singleShot(0, this, fire);
        return;
    }
    connect(process, &QProcess::finished, this, fire);
    // A process that outlives even the kill (stuck in the kernel) cannot hold its movie hostage.
    QTimer::singleShot(limits_.recording + limits_.interrupt + limits_.terminate + limits_.kill, this, fire);
}

void ToolRecorder::escalate(QPointer<QProcess> process)
{
    QTimer::singleShot(limits_.interrupt, this, [this, process] {
        if (!process || process->state() == QProcess::NotRunning) {
            return;
        }
        captureLog().error("the capture tool did not finish its movie after an interrupt; terminating it");
        process->terminate();
        QTimer::singleShot(limits_.terminate, this, [process] {
            if (process && process->state() != QProcess::NotRunning) {
                captureLog().error("the capture tool did not end; killing it");
                process->kill();
            }
        });
    });
}

void ToolRecorder::save(const QString& movie, const QString& path, StopCompletion completion)
{
    runInBackground(
        this, [movie, path] { return saveMovie(movie, path); },
        [this, movie, completion = std::move(completion)](Saved saved) mutable {
            finishSaving(movie, std::move(saved), 1, std::move(completion));
        });
}

// Someone took the name while the movie was copied: the finished MP4 gets the next free name, as a
// still does.
void ToolRecorder::finishSaving(const QString& movie, SavedMovie saved, int attempt,
                                StopCompletion completion)
{
    if (saved.unnamed) {
        const auto another =
            attempt < keptNameAttempts && rename_ ? rename_(saved.taken) : std::optional<QString>();
        auto next = [this, movie, attempt, completion](Saved result) mutable {
            finishSaving(movie, std::move(result), attempt + 1, std::move(completion));
        };
        if (another) {
            runInBackground(
                this,
                [movie, unnamed = saved.unnamed, path = *another] {
                    return settle(movie, path, MovieExport::publish(unnamed, path));
                },
                std::move(next));
        } else {
            runInBackground(
                this, [saved = std::move(saved)]() mutable { return giveUp(std::move(saved)); },
                std::move(next));
        }
        return;
    }
    if (!saved.error.isEmpty()) {
        captureLog().error("MP4 export failed: %{public}s", saved.error);
        captureLog().error("the recording was kept as %{public}s", saved.kept);
        if (!saved.kept.isEmpty() && onKept_) {
            onKept_(saved.kept);
        }
    }
    completion(saved.path);
}

void ToolRecorder::firstFrame(const QString& movie, int maxPixels, FrameCompletion completion)
{
    runInBackground(
        this, [movie, maxPixels] { return VideoFrame::first(movie, maxPixels); },
        [completion = std::move(completion)](std::optional<QImage> frame) { completion(std::move(frame)); });
}

std::vector<QString> ToolRecorder::leftovers() const
{
    return folder_.leftovers();
}

std::optional<QDateTime> ToolRecorder::startedAt(const QString& leftover) const
{
    return MovieName::startedAt(QFileInfo(leftover).fileName());
}

} // namespace quillet
