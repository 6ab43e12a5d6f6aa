#pragma once

#include "Brindle/RepeatingTask.hpp"
#include "Quillet/capture/CapturedImage.hpp"
#include "Quillet/capture/Capturer.hpp"
#include "Quillet/capture/component/PermissionAlert.hpp"
#include "Quillet/capture/component/ScreenRecordingPermission.hpp"
#include "Quillet/editor/component/Editor.hpp"
#include "Quillet/library/Library.hpp"
#include "Quillet/recording/component/AreaSelector.hpp"
#include "Quillet/recording/component/Recorder.hpp"
#include "Quillet/shell/component/UpdateCenter.hpp"
#include "Quillet/shortcuts/ShortcutKeyMonitor.hpp"
#include "Quillet/shortcuts/component/HotKeyCenter.hpp"
#include "Quillet/thumbnails/component/Thumbnails.hpp"
#include "core/AppStatus.hpp"
#include "core/CaptureAction.hpp"
#include "core/FileNamingStyle.hpp"
#include "core/ShortcutEdit.hpp"
#include "core/ShortcutMap.hpp"
#include "kit-core/PreferenceStore.hpp"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace quillet {

// The one controller of the program: it owns the settings the menu edits (each written to the
// preference store when it changes) and the long-lived components, and turns a capture action into a
// capture, a saved file and a thumbnail. Main thread only. `changed` follows every change of a
// published property; views re-read the whole state.
class AppState : public QObject {
    Q_OBJECT

public:
    // The components the state owns. Each is made by the caller, so that tests can hand in fakes.
    struct Components {
        std::unique_ptr<component::Thumbnails> thumbnails;
        std::unique_ptr<component::HotKeyCenter> hotKeys;
        std::unique_ptr<component::Recorder> recorder;
        std::unique_ptr<component::AreaSelector> selector;
        // Absent until the program has an editor: cards then offer no Edit button.
        std::unique_ptr<component::Editor> editor;
        std::unique_ptr<Capturer> capturer;
        std::unique_ptr<component::ScreenRecordingPermission> screenRecording;
        std::unique_ptr<component::PermissionAlert> permissionAlert;
        // Makes the update centre of a normal run; previews make their own.
        std::function<std::unique_ptr<component::UpdateCenter>()> makeUpdateCenter;
        // Encodes a still; called off the main thread. WebPEncoder::encode unless replaced.
        std::function<std::optional<QByteArray>(const QImage&)> encode;
        // Asks for audio-capture access and answers on the main thread. Granted at once unless replaced
        // (Linux has no such permission).
        std::function<void(std::function<void(bool granted)>)> requestAudioAccess;
        // The clock file names are made from.
        std::function<std::chrono::system_clock::time_point()> now;
        // Whether the desktop binds the capture keys itself. Its key-binding settings unless replaced.
        std::function<bool()> systemShortcutsOn;
        // The alert sound for a refused key. QApplication::beep unless replaced.
        std::function<void()> beep;
        // Asks the user for a folder, starting in the given one; nothing when cancelled. A directory
        // dialog unless replaced.
        std::function<std::optional<QString>(const QString& start)> chooseDirectory;
        // Shows a folder in the file browser. QDesktopServices unless replaced.
        std::function<void(const QUrl&)> openURL;
    };

    static constexpr std::chrono::milliseconds menuActionDelay{300};
    static constexpr std::chrono::seconds statusWatchInterval{2};
    static constexpr int recordingThumbnailPixels = 440;

    AppState(brindle::PreferenceStore& preferences, bool isPreview, Components components,
             QObject* parent = nullptr);
    ~AppState() override;

    // The menu-bar program's state over the user's own settings, made on first use (after the
    // application object) and kept until the process ends.
    [[nodiscard]] static AppState& shared();

    // Published properties.
    [[nodiscard]] bool isEnabled() const { return isEnabled_; }
    [[nodiscard]] const ShortcutMap& shortcuts() const { return shortcuts_; }
    [[nodiscard]] const QString& folder() const { return folder_; }
    [[nodiscard]] bool recordMicrophone() const { return recordMicrophone_; }
    [[nodiscard]] const std::optional<QString>& microphoneID() const { return microphoneID_; }
    [[nodiscard]] bool showClicks() const { return showClicks_; }
    [[nodiscard]] FileNamingStyle fileNaming() const { return fileNaming_; }
    [[nodiscard]] const QString& filePrefix() const { return filePrefix_; }
    [[nodiscard]] std::int64_t nextNumber() const { return nextNumber_; }
    [[nodiscard]] bool hasScreenRecording() const { return hasScreenRecording_; }
    [[nodiscard]] bool systemShortcutsOn() const { return systemShortcutsOn_; }
    [[nodiscard]] const std::set<CaptureAction>& failedShortcuts() const { return failedShortcuts_; }
    [[nodiscard]] bool isRecording() const { return isRecording_; }
    [[nodiscard]] const std::optional<QDateTime>& recordingStartedAt() const { return recordingStartedAt_; }
    [[nodiscard]] const std::optional<CaptureAction>& editingShortcut() const { return editingShortcut_; }

    // Setters of the menu's controls; each writes its preference at once.
    void setEnabled(bool enabled);
    void setRecordMicrophone(bool on);
    void setMicrophoneID(std::optional<QString> id);
    void setShowClicks(bool on);
    void setFileNaming(FileNamingStyle style);
    void setFilePrefix(const QString& prefix);
    // Values below 1 are stored as 1.
    void setNextNumber(std::int64_t number);
    // The capture folder: the published value, the library's folder and the "folder" preference.
    void setFolder(const QString& path);

    [[nodiscard]] AppStatus status() const;
    [[nodiscard]] bool conflictsWithSystemShortcuts() const;
    [[nodiscard]] bool isPreview() const { return isPreview_; }

    // Components, for the shell and the menu.
    [[nodiscard]] component::UpdateCenter& updates() const { return *updates_; }
    [[nodiscard]] Library& library() { return library_; }

    // Runs a capture action at once (also what a hot key does).
    void perform(CaptureAction action);
    // Runs an action chosen in the menu, once the menu had time to disappear.
    void performFromMenu(CaptureAction action);
    void toggleRecording();
    void stopRecording();

    // Shortcut editing: while an edit is open the hot keys are withdrawn and every key press the
    // program receives is a try at the edited action's new shortcut.
    void beginEditingShortcut(CaptureAction action);
    void endEditingShortcut();
    // Gives the action the shortcut (taking it from any other action), stores the map, ends the edit.
    void setShortcut(brindle::Shortcut shortcut, CaptureAction action);

    // Ends what must not outlive the program once its event loop has stopped: the hot keys, the status
    // watch, and a capture tool still running with its file. Nothing of the state runs after it.
    void shutDown();

    // Lets the user pick the capture folder.
    void chooseFolder();
    // Shows the capture folder in the file browser, making it first when it is missing.
    void openFolder();

signals:
    void changed();

private:
    void readPreferences();
    void connectComponents();
    void registerHotKeys();
    void refreshStatus();
    [[nodiscard]] bool ensureScreenRecording();
    void showPermissionAlert();
    void relaunch();
    void setEditingShortcut(std::optional<CaptureAction> action);
    void typedWhileEditing(const ShortcutEdit& edit);

    void captureStill(Capturer::Mode mode);
    void stillCaptured(std::optional<CapturedImage> image);
    void saveStill(const CapturedImage& image);
    void encodeAndWrite(const CapturedImage& image, const QString& path, int attempt);
    void writeEncoded(const CapturedImage& image, const QByteArray& bytes, const QString& path, int attempt);
    void stillWritten(const CapturedImage& image, const QString& path, qint64 bytes);
    void stillNameTaken(const CapturedImage& image, const QByteArray& bytes, int attempt);
    void logSaveFailure(const QString& description) const;
    [[nodiscard]] Outcome<Library::NewFile> newFile(Library::Kind kind);

    void openSelector(const component::Recorder::Options& options);
    void selectorFinished(const component::AreaSelector::Result& result);
    void startRecording(const Rect& rect, const component::Recorder::Options& options);
    void recordingStopped(std::optional<QString> movie);
    void recoverRecordings();
    void saveRecordingBeforeQuit();

    void editThumbnail(const ThumbnailItem& item);
    void trashThumbnail(const ThumbnailItem& item);

    template <typename Value> void publish(Value& field, Value value);

    // Published.
    bool isEnabled_ = true;
    ShortcutMap shortcuts_;
    QString folder_;
    bool recordMicrophone_ = false;
    std::optional<QString> microphoneID_;
    bool showClicks_ = true;
    FileNamingStyle fileNaming_ = defaultFileNamingStyle;
    QString filePrefix_;
    std::int64_t nextNumber_ = 1;
    bool hasScreenRecording_ = false;
    bool systemShortcutsOn_ = false;
    std::set<CaptureAction> failedShortcuts_;
    bool isRecording_ = false;
    std::optional<QDateTime> recordingStartedAt_;
    std::optional<CaptureAction> editingShortcut_;
    int recordingsSaving_ = 0; // stopped recordings not yet written
    std::function<void()> whenRecordingsSaved_;

    // Owned for the life of the state.
    Components components_;
    std::unique_ptr<component::UpdateCenter> updates_;
    Library library_;
    brindle::PreferenceStore& preferences_;
    bool isPreview_;
    std::unique_ptr<brindle::RepeatingTask> statusWatch_;
    std::unique_ptr<ShortcutKeyMonitor> keyMonitor_;
};

} // namespace quillet
