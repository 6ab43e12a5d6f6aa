#pragma once

#include "Quillet/recording/AreaSelector.hpp"
#include "Quillet/recording/Recorder.hpp"

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace quillet {

class CaptureNames;
class Settings;

// A recording from the area selector to the finished movie and its first frame. Main thread only.
// `changed` follows every change of `isRecording` and `recordingStartedAt`.
class RecordingFlow : public QObject {
    Q_OBJECT

public:
    // Asks for audio-capture access and answers on the main thread.
    using RequestAudioAccess = std::function<void(std::function<void(bool granted)>)>;

    RecordingFlow(std::unique_ptr<Recorder> recorder, std::unique_ptr<AreaSelector> selector,
                  Settings& settings, CaptureNames& names, RequestAudioAccess requestAudioAccess,
                  QObject* parent = nullptr);

    [[nodiscard]] bool isRecording() const { return isRecording_; }
    [[nodiscard]] const std::optional<QDateTime>& recordingStartedAt() const { return recordingStartedAt_; }
    // Whether the area selector shows any window.
    [[nodiscard]] bool isSelecting() const { return selector_->isOpen(); }
    // The latest recording stopped or recovered did not become a movie in the capture folder, and
    // none has since: the user must hear of it, the log says where the movie waits.
    [[nodiscard]] bool lastRecordingNotSaved() const { return lastRecordingNotSaved_; }
    // The latest recording could not start because the desktop gave no screen to record, and none
    // has started since.
    [[nodiscard]] bool lastRecordingUnavailable() const { return lastRecordingUnavailable_; }

    // From now on a recording whose tool died is saved as far as it got, quitting saves a running
    // recording first, and movies an earlier run left unsaved are recovered into the capture folder.
    void activate();

    // Opens the area selector with the settings' options; the recording starts when the user confirms.
    void select();
    void stop();
    // The microphone setting; switching it on lets the platform ask for audio access early.
    void setRecordMicrophone(bool on);

signals:
    void changed();
    // A movie was finished at `path`; `frame` is its first frame, reduced for a card.
    void saved(const QString& path, const QImage& frame);
    // A stopped movie could not be put in the capture folder; it is whole at `movie`.
    void kept(const QString& movie);
    // A recording whose recorder failed was saved as far as it got, at `path`.
    void stoppedByItself(const QString& path);

private:
    void openSelector(const Recorder::Options& options);
    void selectorFinished(const AreaSelector::Result& result);
    void start(const Rect& rect, const Recorder::Options& options);
    void stopped(std::optional<QString> movie);
    void publish(bool recording, std::optional<QDateTime> startedAt);
    void setLastRecordingNotSaved(bool notSaved);
    void setLastRecordingUnavailable(bool unavailable);
    void recoverLeftovers();
    [[nodiscard]] std::optional<QString> rename(const QString& taken);
    void removeAbandonedScratchFiles();
    void saveBeforeQuit();

    std::unique_ptr<Recorder> recorder_;
    std::unique_ptr<AreaSelector> selector_;
    Settings& settings_;
    CaptureNames& names_;
    RequestAudioAccess requestAudioAccess_;
    bool isRecording_ = false;
    bool lastRecordingNotSaved_ = false;
    bool lastRecordingUnavailable_ = false;
    bool endedUnreadable_ = false; // the running recording's screen could not be read
    bool endedByFailure_ = false;  // the running recording's recorder failed
    std::optional<QDateTime> recordingStartedAt_;
    int recordingsSaving_ = 0; // stopped recordings not yet written
    std::function<void()> whenRecordingsSaved_;
    QHash<QString, QDateTime> recoveredDates_; // the start of each recovered movie, by its new name
};

} // namespace quillet
