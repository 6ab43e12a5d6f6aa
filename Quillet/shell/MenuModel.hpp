#pragma once

#include "core/AppStatus.hpp"
#include "core/CaptureAction.hpp"
#include "core/DesktopSession.hpp"
#include "core/FileNamingStyle.hpp"
#include "kit-core/Shortcut.hpp"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

namespace quillet {

// Everything the tray panel shows and changes, read afresh on every `changed`.
class MenuModel : public QObject {
    Q_OBJECT

public:
    struct Microphone {
        QString id;
        QString name;
    };

    using QObject::QObject;

    [[nodiscard]] virtual AppStatus status() const = 0;
    [[nodiscard]] virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool on) = 0;

    [[nodiscard]] virtual bool isRecording() const = 0;
    [[nodiscard]] virtual std::optional<QDateTime> recordingStartedAt() const = 0;
    virtual void stopRecording() = 0;

    [[nodiscard]] virtual bool hasScreenRecording() const = 0;
    virtual void requestScreenRecording() = 0;
    [[nodiscard]] virtual bool conflictsWithSystemShortcuts() const = 0;
    virtual void openKeyboardSettings() = 0;

    virtual void performFromMenu(CaptureAction action) = 0;
    [[nodiscard]] virtual std::optional<brindle::Shortcut> shortcut(CaptureAction action) const = 0;
    [[nodiscard]] virtual std::optional<CaptureAction> editingShortcut() const = 0;
    [[nodiscard]] virtual std::set<CaptureAction> failedShortcuts() const = 0;
    // How the capture keys reach the program: grabbed by it (the shortcuts above, editable), bound by
    // the desktop through its shortcuts portal, or bound by the user in the desktop's settings.
    [[nodiscard]] virtual ShortcutRoute shortcutRoute() const { return ShortcutRoute::x11HotKeys; }
    // The key the desktop reports for the action, in its own words; empty when it reports none.
    [[nodiscard]] virtual QString desktopTrigger(CaptureAction action) const
    {
        (void)action;
        return {};
    }
    virtual void beginEditingShortcut(CaptureAction action) = 0;
    virtual void endEditingShortcut() = 0;

    [[nodiscard]] virtual QString folder() const = 0;
    virtual void openFolder() = 0;
    virtual void chooseFolder() = 0;

    [[nodiscard]] virtual FileNamingStyle fileNaming() const = 0;
    virtual void setFileNaming(FileNamingStyle style) = 0;
    [[nodiscard]] virtual QString filePrefix() const = 0;
    virtual void setFilePrefix(const QString& prefix) = 0;
    [[nodiscard]] virtual std::int64_t nextNumber() const = 0;
    virtual void setNextNumber(std::int64_t number) = 0;

    [[nodiscard]] virtual bool recordMicrophone() const = 0;
    virtual void setRecordMicrophone(bool on) = 0;
    [[nodiscard]] virtual std::optional<QString> microphoneID() const = 0;
    virtual void setMicrophoneID(std::optional<QString> id) = 0;
    [[nodiscard]] virtual std::vector<Microphone> microphones() const = 0;
    [[nodiscard]] virtual bool showClicks() const = 0;
    virtual void setShowClicks(bool on) = 0;
    [[nodiscard]] virtual bool copyNewCaptures() const { return false; }
    virtual void setCopyNewCaptures(bool on) { (void)on; }

    [[nodiscard]] virtual bool isUpdateReminderDue() const = 0;
    virtual void checkForUpdates() = 0;
    virtual void dismissUpdateReminder() = 0;

    virtual void quit() = 0;

signals:
    void changed();
};

} // namespace quillet
