#pragma once

#include "Brindle/RepeatingTask.hpp"
#include "Quillet/app/Cards.hpp"
#include "Quillet/capture/Capturer.hpp"
#include "Quillet/capture/PermissionGate.hpp"
#include "Quillet/capture/StillFlow.hpp"
#include "Quillet/common/DesktopNotifications.hpp"
#include "Quillet/common/Settings.hpp"
#include "Quillet/editor/Editor.hpp"
#include "Quillet/library/CaptureNames.hpp"
#include "Quillet/recording/Microphones.hpp"
#include "Quillet/recording/RecordingFlow.hpp"
#include "Quillet/shell/FolderActions.hpp"
#include "Quillet/shell/UpdateCenter.hpp"
#include "Quillet/shortcuts/ShortcutFlow.hpp"
#include "Quillet/thumbnails/ThumbnailDisplay.hpp"
#include "core/AppStatus.hpp"
#include "core/CaptureAction.hpp"
#include "core/DesktopSession.hpp"
#include "kit-core/PreferenceStore.hpp"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace quillet {

// The front of the program: it owns the settings and the flows (stills, recordings, shortcuts,
// permission, folder, cards), keeps the rules that cross them (one capture at a time; no still while
// recording) and publishes their state as one. Main thread only. `changed` follows every change of a
// published property; views re-read the whole state.
class AppState : public QObject {
    Q_OBJECT

public:
    // The components the state owns. Each is made by the caller, so that tests can hand in fakes;
    // what is left empty gets the program's own (see ProgramComponents).
    struct Components {
        std::unique_ptr<ThumbnailDisplay> thumbnails;
        std::unique_ptr<HotKeys> hotKeys;
        // The sound inputs the panel offers; the recorder and the selector may hold on to them. None
        // unless given.
        std::unique_ptr<Microphones> microphones;
        std::unique_ptr<Recorder> recorder;
        std::unique_ptr<AreaSelector> selector;
        // Absent until the program has an editor: cards then offer no Edit button.
        std::unique_ptr<Editor> editor;
        // Reads the text of stills for the cards' Copy Text; absent, the cards do not offer it.
        std::shared_ptr<const TextRecognizer> textRecognizer;
        std::unique_ptr<Capturer> capturer;
        std::unique_ptr<ScreenRecordingPermission> screenRecording;
        std::unique_ptr<PermissionAlert> permissionAlert;
        // Makes the update centre of a normal run; previews make their own.
        std::function<std::unique_ptr<UpdateCenter>()> makeUpdateCenter;
        // Encodes a still; called off the main thread. WebPEncoder::encode unless replaced.
        StillSaver::Encode encode;
        // Asks for audio-capture access and answers on the main thread. Granted at once unless replaced
        // (Linux has no such permission).
        RecordingFlow::RequestAudioAccess requestAudioAccess;
        // The clock file names are made from.
        CaptureNames::Clock now;
        // Whether the desktop binds the capture keys itself. Its key-binding settings unless replaced.
        std::function<bool()> systemShortcutsOn;
        // The alert sound for a refused key. QApplication::beep unless replaced.
        std::function<void()> beep;
        // A directory dialog unless replaced.
        FolderActions::ChooseDirectory chooseDirectory;
        // QDesktopServices unless replaced.
        FolderActions::OpenURL openURL;
        // How the session lets the program capture and receive keys; the X11 routes unless replaced.
        DesktopRoutes routes;
        // The program the desktop's portal needs for a screenshot, when it is not installed.
        QString missingScreenshotProgram;
        // Tells the user something the status line alone would not say where to find. Nothing unless
        // given.
        std::function<void(const DesktopNotifications::Notice&)> notify;
    };

    static constexpr std::chrono::milliseconds menuActionDelay{300};
    static constexpr std::chrono::seconds statusWatchInterval{2};

    AppState(brindle::PreferenceStore& preferences, bool isPreview, Components components,
             QObject* parent = nullptr);
    ~AppState() override;

    // The tray program's state over the user's own settings, made on first use (after the
    // application object) and kept until the process ends.
    [[nodiscard]] static AppState& shared();

    // Published properties.
    [[nodiscard]] bool isEnabled() const { return settings_.isEnabled(); }
    [[nodiscard]] const ShortcutMap& shortcuts() const { return settings_.shortcuts(); }
    [[nodiscard]] const QString& folder() const { return settings_.folder(); }
    [[nodiscard]] bool recordMicrophone() const { return settings_.recordMicrophone(); }
    [[nodiscard]] const std::optional<QString>& microphoneID() const { return settings_.microphoneID(); }
    [[nodiscard]] bool showClicks() const { return settings_.showClicks(); }
    [[nodiscard]] bool copyNewCaptures() const { return settings_.copyNewCaptures(); }
    [[nodiscard]] FileNamingStyle fileNaming() const { return settings_.fileNaming(); }
    [[nodiscard]] const QString& filePrefix() const { return settings_.filePrefix(); }
    [[nodiscard]] std::int64_t nextNumber() const { return settings_.nextNumber(); }
    [[nodiscard]] bool hasScreenRecording() const { return permission_.hasScreenRecording(); }
    [[nodiscard]] bool systemShortcutsOn() const { return shortcutFlow_.systemShortcutsOn(); }
    [[nodiscard]] const std::set<CaptureAction>& failedShortcuts() const
    {
        return shortcutFlow_.failedShortcuts();
    }
    [[nodiscard]] const std::map<CaptureAction, QString>& desktopTriggers() const
    {
        return shortcutFlow_.desktopTriggers();
    }
    [[nodiscard]] const DesktopRoutes& routes() const { return routes_; }
    [[nodiscard]] bool isRecording() const { return recordingFlow_.isRecording(); }
    [[nodiscard]] const std::optional<QDateTime>& recordingStartedAt() const
    {
        return recordingFlow_.recordingStartedAt();
    }
    [[nodiscard]] const std::optional<CaptureAction>& editingShortcut() const
    {
        return shortcutFlow_.editingShortcut();
    }

    // Setters of the menu's controls; each writes its preference at once.
    void setEnabled(bool enabled);
    void setRecordMicrophone(bool on) { recordingFlow_.setRecordMicrophone(on); }
    void setMicrophoneID(std::optional<QString> id) { settings_.setMicrophoneID(std::move(id)); }
    void setShowClicks(bool on) { settings_.setShowClicks(on); }
    void setCopyNewCaptures(bool on) { settings_.setCopyNewCaptures(on); }
    void setFileNaming(FileNamingStyle style) { settings_.setFileNaming(style); }
    void setFilePrefix(const QString& prefix) { settings_.setFilePrefix(prefix); }
    // Values below 1 are stored as 1.
    void setNextNumber(std::int64_t number) { settings_.setNextNumber(number); }
    // The capture folder: the published value, the library's folder and the "folder" preference.
    void setFolder(const QString& path) { settings_.setFolder(path); }

    [[nodiscard]] AppStatus status() const;
    [[nodiscard]] bool conflictsWithSystemShortcuts() const
    {
        return shortcutFlow_.conflictsWithSystemShortcuts();
    }
    [[nodiscard]] bool isPreview() const { return isPreview_; }

    // Components, for the shell and the menu.
    [[nodiscard]] UpdateCenter& updates() const { return *updates_; }
    [[nodiscard]] Library& library() { return names_.library(); }
    [[nodiscard]] const Microphones& microphones() const { return *microphones_; }

    // Runs a capture action at once (also what a hot key does).
    void perform(CaptureAction action);
    // Runs an action chosen in the menu, once the menu had time to disappear.
    void performFromMenu(CaptureAction action);
    // Closes the tray panel when it is open and says whether it was: a hot key pressed over the
    // panel then runs as the panel's own buttons do.
    void setPanelCloser(std::function<bool()> closeOpenPanel) { closeOpenPanel_ = std::move(closeOpenPanel); }
    void toggleRecording();
    void stopRecording() { recordingFlow_.stop(); }

    // Shortcut editing: while an edit is open the hot keys are withdrawn and every key press the
    // program receives is a try at the edited action's new shortcut.
    void beginEditingShortcut(CaptureAction action) { shortcutFlow_.beginEditing(action); }
    void endEditingShortcut() { shortcutFlow_.endEditing(); }
    // Gives the action the shortcut (taking it from any other action), stores the map, ends the edit.
    void setShortcut(brindle::Shortcut shortcut, CaptureAction action)
    {
        shortcutFlow_.setShortcut(shortcut, action);
    }

    // Ends what must not outlive the program once its event loop has stopped: the hot keys, the status
    // watch, and a capture tool still running with its file. Nothing of the state runs after it.
    void shutDown();

    // Lets the user pick the capture folder.
    void chooseFolder() { folderActions_.choose(); }
    // Shows the capture folder in the file browser, making it first when it is missing.
    void openFolder() { folderActions_.open(); }

signals:
    void changed();

private:
    struct Completed {};
    AppState(brindle::PreferenceStore& preferences, bool isPreview, Components components, QObject* parent,
             Completed);
    void start();
    void refreshStatus();
    void performFromKey(CaptureAction action);
    [[nodiscard]] bool isCapturing() const;

    bool isPreview_;
    // Before the flows, whose recorder and selector may hold on to it.
    std::unique_ptr<Microphones> microphones_;
    Settings settings_;
    CaptureNames names_;
    PermissionGate permission_;
    StillFlow stillFlow_;
    RecordingFlow recordingFlow_;
    ShortcutFlow shortcutFlow_;
    FolderActions folderActions_;
    Cards cards_;
    std::unique_ptr<UpdateCenter> updates_;
    std::unique_ptr<brindle::RepeatingTask> statusWatch_;
    DesktopRoutes routes_;
    bool screenshotProgramMissing_ = false;
    std::function<bool()> closeOpenPanel_;
};

} // namespace quillet
