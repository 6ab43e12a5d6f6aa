#include "Quillet/app/AppState.hpp"

#include "Quillet/app/ProgramComponents.hpp"
#include "Quillet/common/CaptureLog.hpp"

#include <QFileInfo>
#include <QPointer>
#include <QTimer>

namespace quillet {

namespace {

// The movie is whole but not where the user looks for recordings: say so, and open its folder.
DesktopNotifications::Notice keptRecordingNotice(const QString& movie)
{
    const QFileInfo file(movie);
    return {.title = QObject::tr("Recording not saved in your folder"),
            .body = QObject::tr("It was kept as %1 in %2. See the log for why.")
                        .arg(file.fileName(), file.absolutePath()),
            .actionLabel = QObject::tr("Show in Folder"),
            .actionTarget = QUrl::fromLocalFile(file.absolutePath())};
}

// The user did not stop it: say so before they wonder why the recording is short.
DesktopNotifications::Notice stoppedRecordingNotice(const QString& movie)
{
    const QFileInfo file(movie);
    return {.title = QObject::tr("Recording stopped by itself"),
            .body = QObject::tr("What was recorded is saved as %1. See the log for why it stopped.")
                        .arg(file.fileName()),
            .actionLabel = QObject::tr("Show in Folder"),
            .actionTarget = QUrl::fromLocalFile(file.absolutePath())};
}

} // namespace

AppState::AppState(brindle::PreferenceStore& preferences, bool isPreview, Components components,
                   QObject* parent)
    : AppState(preferences, isPreview, ProgramComponents::completed(std::move(components), isPreview), parent,
               Completed{})
{
}

AppState::AppState(brindle::PreferenceStore& preferences, bool isPreview, Components components,
                   QObject* parent, Completed)
    : QObject(parent), isPreview_(isPreview), microphones_(std::move(components.microphones)),
      settings_(preferences), names_(settings_, std::move(components.now)),
      permission_(std::move(components.screenRecording), std::move(components.permissionAlert)),
      stillFlow_(std::move(components.capturer), permission_,
                 std::make_unique<StillSaver>(names_, std::move(components.encode)),
                 // A copy: the shortcut flow, made after this one, takes the original.
                 components.beep),
      recordingFlow_(std::move(components.recorder), std::move(components.selector), settings_, names_,
                     std::move(components.requestAudioAccess)),
      shortcutFlow_(std::move(components.hotKeys), settings_, std::move(components.systemShortcutsOn),
                    std::move(components.beep)),
      folderActions_(settings_, std::move(components.chooseDirectory), std::move(components.openURL)),
      cards_(std::move(components.thumbnails), std::move(components.editor), components.textRecognizer),
      updates_(components.makeUpdateCenter()), routes_(components.routes),
      screenshotProgramMissing_(!components.missingScreenshotProgram.isEmpty())
{
    connect(&settings_, &Settings::changed, this, &AppState::changed);
    connect(&permission_, &PermissionGate::changed, this, &AppState::changed);
    connect(&recordingFlow_, &RecordingFlow::changed, this, &AppState::changed);
    connect(&shortcutFlow_, &ShortcutFlow::changed, this, &AppState::changed);
    connect(&stillFlow_, &StillFlow::changed, this, &AppState::changed);
    connect(&stillFlow_, &StillFlow::saving, &cards_, &Cards::addSaving);
    connect(&stillFlow_, &StillFlow::saved, &cards_, &Cards::finishSaving);
    connect(&stillFlow_, &StillFlow::failed, &cards_, &Cards::removeSaving);
    connect(&recordingFlow_, &RecordingFlow::saved, &cards_,
            [this](const QString& path, const QImage& frame) { cards_.add(path, frame, 1.0, true); });
    connect(&stillFlow_, &StillFlow::saved, this, [this](StillFlow::StillId, const QString& path) {
        if (settings_.copyNewCaptures()) {
            cards_.copyNew(path, false);
        }
    });
    if (components.notify) {
        connect(&recordingFlow_, &RecordingFlow::kept, this,
                [notify = components.notify](const QString& movie) { notify(keptRecordingNotice(movie)); });
        connect(&recordingFlow_, &RecordingFlow::stoppedByItself, this,
                [notify = components.notify](const QString& movie) { notify(stoppedRecordingNotice(movie)); });
    }
    connect(&recordingFlow_, &RecordingFlow::saved, this, [this](const QString& path, const QImage&) {
        if (settings_.copyNewCaptures()) {
            cards_.copyNew(path, true);
        }
    });
    if (!isPreview_) {
        start();
    }
}

AppState::~AppState() = default;

// A preview shows the state without acting on the desktop: no hot keys, no watch, no card actions.
void AppState::start()
{
    shortcutFlow_.start([self = QPointer(this)](CaptureAction action) {
        if (self) {
            self->performFromKey(action);
        }
    });
    cards_.connectEditor();
    recordingFlow_.activate();
    refreshStatus();
    statusWatch_ = std::make_unique<brindle::RepeatingTask>(statusWatchInterval, [self = QPointer(this)] {
        if (self) {
            self->refreshStatus();
        }
    });
}

void AppState::setEnabled(bool enabled)
{
    settings_.setEnabled(enabled);
    shortcutFlow_.registerHotKeys();
}

AppStatus AppState::status() const
{
    return appStatus({.isRecording = isRecording(),
                      .isEnabled = isEnabled(),
                      .hasScreenRecording = hasScreenRecording(),
                      .conflictsWithSystemShortcuts = conflictsWithSystemShortcuts(),
                      .shortcutsTaken = !failedShortcuts().empty(),
                      .captureFailed = stillFlow_.lastCaptureFailed(),
                      .screenshotProgramMissing = screenshotProgramMissing_,
                      .saveFailed = stillFlow_.lastSaveFailed(),
                      .recordingNotSaved = recordingFlow_.lastRecordingNotSaved(),
                      .recordingUnavailable = recordingFlow_.lastRecordingUnavailable()},
                     routes_);
}

void AppState::refreshStatus()
{
    permission_.refresh();
    shortcutFlow_.refreshDesktopKeys();
}

void AppState::shutDown()
{
    statusWatch_.reset();
    shortcutFlow_.shutDown();
    stillFlow_.shutDown();
}

bool AppState::isCapturing() const
{
    return recordingFlow_.isRecording() || recordingFlow_.isSelecting();
}

void AppState::perform(CaptureAction action)
{
    captureLog().log("action %{public}s", rawValue(action));
    switch (action) {
    case CaptureAction::screen:
        if (!isCapturing()) {
            stillFlow_.capture(Capturer::Mode::screen);
        }
        return;
    case CaptureAction::area:
        if (!isCapturing()) {
            stillFlow_.capture(Capturer::Mode::interactive);
        }
        return;
    case CaptureAction::recording:
        toggleRecording();
        return;
    }
}

void AppState::performFromKey(CaptureAction action)
{
    // The open panel holds the keyboard, so the key reached us through it: it closes first, or it
    // would be in the picture and keep the keyboard from the area picker.
    if (closeOpenPanel_ && closeOpenPanel_()) {
        performFromMenu(action);
        return;
    }
    perform(action);
}

void AppState::performFromMenu(CaptureAction action)
{
    QTimer::singleShot(menuActionDelay, this, [this, action] { perform(action); });
}

void AppState::toggleRecording()
{
    if (recordingFlow_.isRecording()) {
        recordingFlow_.stop();
        return;
    }
    if (recordingFlow_.isSelecting() || !permission_.ensure()) {
        return;
    }
    recordingFlow_.select();
}

} // namespace quillet
