#include "Quillet/recording/RecordingFlow.hpp"

#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/Settings.hpp"
#include "Quillet/library/CaptureNames.hpp"
#include "Quillet/library/HiddenScratchFile.hpp"
#include "core/Overloaded.hpp"
#include "core/ThumbnailSize.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

namespace quillet {
namespace {

// How long quitting waits for a recording to be stopped and written: the tool's bounded stop plus the
// copy of a long movie.
constexpr std::chrono::seconds quitSaveLimit{120};

std::chrono::system_clock::time_point timePoint(const QDateTime& date)
{
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(date.toMSecsSinceEpoch()));
}

} // namespace

RecordingFlow::RecordingFlow(std::unique_ptr<Recorder> recorder, std::unique_ptr<AreaSelector> selector,
                             Settings& settings, CaptureNames& names, RequestAudioAccess requestAudioAccess,
                             QObject* parent)
    : QObject(parent), recorder_(std::move(recorder)), selector_(std::move(selector)), settings_(settings),
      names_(names), requestAudioAccess_(std::move(requestAudioAccess))
{
}

void RecordingFlow::activate()
{
    recorder_->setOnEnded([self = QPointer(this)] {
        if (self) {
            self->stop();
        }
    });
    recorder_->setOnUnreadable([self = QPointer(this)] {
        if (self) {
            self->endedUnreadable_ = true;
        }
    });
    recorder_->setOnFailed([self = QPointer(this)] {
        if (self) {
            self->endedByFailure_ = true;
        }
    });
    recorder_->setOnKept([self = QPointer(this)](const QString& movie) {
        if (self) {
            emit self->kept(movie);
        }
    });
    recorder_->setRename([self = QPointer(this)](const QString& taken) -> std::optional<QString> {
        return self ? self->rename(taken) : std::nullopt;
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &RecordingFlow::saveBeforeQuit);
    removeAbandonedScratchFiles();
    recoverLeftovers();
}

void RecordingFlow::setRecordMicrophone(bool on)
{
    settings_.setRecordMicrophone(on);
    if (on) {
        // Only so that the platform can ask early; the answer is not needed here.
        requestAudioAccess_([](bool) {});
    }
}

void RecordingFlow::select()
{
    openSelector({settings_.recordMicrophone(), settings_.microphoneID(), settings_.showClicks()});
}

void RecordingFlow::openSelector(const Recorder::Options& options)
{
    selector_->begin(options, [self = QPointer(this)](const AreaSelector::Result& result) {
        if (self) {
            self->selectorFinished(result);
        }
    });
}

void RecordingFlow::selectorFinished(const AreaSelector::Result& result)
{
    std::visit(Overloaded{
                   [this](const AreaSelector::Record& record) { start(record.rect, record.options); },
                   [this](const AreaSelector::NeedsMicrophonePermission& request) {
                       requestAudioAccess_(
                           [self = QPointer(this), options = request.options](bool granted) mutable {
                               if (!self) {
                                   return;
                               }
                               options.microphone = granted;
                               self->openSelector(options);
                           });
                   },
                   [](const AreaSelector::Cancelled&) {},
                   [this](const AreaSelector::Unavailable& unavailable) {
                       captureLog().error("could not start recording: %{public}s", unavailable.reason);
                       setLastRecordingUnavailable(true);
                   },
               },
               result);
}

void RecordingFlow::start(const Rect& rect, const Recorder::Options& options)
{
    setRecordMicrophone(options.microphone);
    if (options.microphone) {
        settings_.setMicrophoneID(options.microphoneID);
    }
    settings_.setShowClicks(options.showClicks);
    if (!recorder_->start(rect, options)) {
        return;
    }
    captureLog().log("recording started");
    setLastRecordingUnavailable(false);
    publish(true, recorder_->sessionStartedAt());
}

void RecordingFlow::stop()
{
    if (!isRecording_) {
        return;
    }
    const auto file = names_.next(Library::Kind::recording);
    if (!file.isSuccess()) {
        // Recording on would only fill the disk, and a tool that died would leave "recording" shown for
        // good: the movie waits in the recordings folder for a start that can name it.
        captureLog().error("could not save the recording: %{public}s", file.error());
    }
    captureLog().log("recording stopped");
    publish(false, std::nullopt);
    ++recordingsSaving_;
    const QString path = file.isSuccess() ? file.value().path : QString();
    const bool unreadable = std::exchange(endedUnreadable_, false);
    const bool failed = std::exchange(endedByFailure_, false);
    recorder_->stop(path, [self = QPointer(this), unreadable, failed](std::optional<QString> movie) {
        if (!self) {
            return;
        }
        if (unreadable && !movie) {
            // Nothing was recorded to lose: the news is that recording does not work here.
            self->setLastRecordingUnavailable(true);
        } else {
            if (failed && movie) {
                emit self->stoppedByItself(*movie);
            }
            self->stopped(std::move(movie));
        }
        if (--self->recordingsSaving_ == 0 && self->whenRecordingsSaved_) {
            self->whenRecordingsSaved_();
        }
    });
}

void RecordingFlow::stopped(std::optional<QString> movie)
{
    setLastRecordingNotSaved(!movie.has_value());
    if (!movie) {
        return;
    }
    const QString path = *movie;
    recorder_->firstFrame(path, ThumbnailSize::maximumPixels,
                          [self = QPointer(this), path](std::optional<QImage> frame) {
                              if (self && frame) {
                                  captureLog().log("recording saved as %{public}s", path);
                                  emit self->saved(path, *frame);
                              }
                          });
}

void RecordingFlow::setLastRecordingNotSaved(bool notSaved)
{
    if (lastRecordingNotSaved_ == notSaved) {
        return;
    }
    lastRecordingNotSaved_ = notSaved;
    emit changed();
}

void RecordingFlow::setLastRecordingUnavailable(bool unavailable)
{
    if (lastRecordingUnavailable_ == unavailable) {
        return;
    }
    lastRecordingUnavailable_ = unavailable;
    emit changed();
}

void RecordingFlow::publish(bool recording, std::optional<QDateTime> startedAt)
{
    if (isRecording_ == recording && recordingStartedAt_ == startedAt) {
        return;
    }
    isRecording_ = recording;
    recordingStartedAt_ = std::move(startedAt);
    emit changed();
}

// Movies a run that crashed or was killed never saved: they go into the capture folder under new
// names, each with its card, as if that run had stopped them.
void RecordingFlow::recoverLeftovers()
{
    const auto leftovers = recorder_->leftovers();
    for (const QString& movie : leftovers) {
        const auto startedAt = recorder_->startedAt(movie);
        const auto file = startedAt ? names_.next(Library::Kind::recording, timePoint(*startedAt))
                                    : names_.next(Library::Kind::recording);
        if (!file.isSuccess()) {
            captureLog().error("could not recover the recording %{public}s: %{public}s", movie, file.error());
            return;
        }
        captureLog().log("recovering the recording %{public}s", movie);
        if (startedAt) {
            recoveredDates_.insert(file.value().path, *startedAt);
        }
        recorder_->save(movie, file.value().path, [self = QPointer(this)](std::optional<QString> saved) {
            if (self) {
                self->stopped(std::move(saved));
            }
        });
    }
}

// A recovered movie keeps its own date in its next name too.
std::optional<QString> RecordingFlow::rename(const QString& taken)
{
    const auto date = recoveredDates_.take(taken);
    const auto file = date.isValid() ? names_.next(Library::Kind::recording, timePoint(date))
                                     : names_.next(Library::Kind::recording);
    if (!file.isSuccess()) {
        captureLog().error("could not name the recording again: %{public}s", file.error());
        return std::nullopt;
    }
    if (date.isValid()) {
        recoveredDates_.insert(file.value().path, date);
    }
    return file.value().path;
}

// Hidden scratch files that an export cut short (a logout, a kill) left in the capture folder. Nothing
// waits for it, quitting included: what it does not reach stays for the next start.
void RecordingFlow::removeAbandonedScratchFiles()
{
    QThreadPool::globalInstance()->start(
        [folder = names_.library().folder()] { (void)HiddenScratchFile::removeAbandoned(folder); });
}

// Quitting (from the menu, a signal or the end of the session) while recording: the recording is
// stopped and saved first, within the recorder's own limits.
void RecordingFlow::saveBeforeQuit()
{
    stop();
    if (recordingsSaving_ == 0) {
        return;
    }
    captureLog().log("saving the recording before quitting");
    QEventLoop loop;
    whenRecordingsSaved_ = [&loop] { loop.quit(); };
    QTimer::singleShot(quitSaveLimit, &loop, &QEventLoop::quit);
    loop.exec();
    whenRecordingsSaved_ = nullptr;
}

} // namespace quillet
