#pragma once

#include "core/FileNamingStyle.hpp"
#include "core/ShortcutMap.hpp"
#include "kit-core/PreferenceStore.hpp"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace quillet {

// The user's settings as the menu edits them: read from the preference store once, and each written
// back at once when it is set. Main thread only. `changed` follows every change of a value.
class Settings : public QObject {
    Q_OBJECT

public:
    explicit Settings(brindle::PreferenceStore& preferences, QObject* parent = nullptr);

    [[nodiscard]] bool isEnabled() const { return isEnabled_; }
    [[nodiscard]] const ShortcutMap& shortcuts() const { return shortcuts_; }
    [[nodiscard]] const QString& folder() const { return folder_; }
    [[nodiscard]] bool recordMicrophone() const { return recordMicrophone_; }
    [[nodiscard]] const std::optional<QString>& microphoneID() const { return microphoneID_; }
    [[nodiscard]] bool showClicks() const { return showClicks_; }
    [[nodiscard]] bool copyNewCaptures() const { return copyNewCaptures_; }
    [[nodiscard]] FileNamingStyle fileNaming() const { return fileNaming_; }
    [[nodiscard]] const QString& filePrefix() const { return filePrefix_; }
    [[nodiscard]] std::int64_t nextNumber() const { return nextNumber_; }

    void setEnabled(bool enabled);
    // The whole map in one write: a combination moved from another action leaves no moment in which
    // two actions hold it, or none does.
    void setShortcuts(ShortcutMap shortcuts);
    void setFolder(const QString& path);
    void setRecordMicrophone(bool on);
    void setMicrophoneID(std::optional<QString> id);
    void setShowClicks(bool on);
    void setCopyNewCaptures(bool on);
    void setFileNaming(FileNamingStyle style);
    void setFilePrefix(const QString& prefix);
    // Values below 1 are stored as 1.
    void setNextNumber(std::int64_t number);

signals:
    void changed();

private:
    template <typename Value> void publish(Value& field, Value value);

    brindle::PreferenceStore& preferences_;
    bool isEnabled_ = true;
    ShortcutMap shortcuts_;
    QString folder_;
    bool recordMicrophone_ = false;
    std::optional<QString> microphoneID_;
    bool showClicks_ = true;
    bool copyNewCaptures_ = false;
    FileNamingStyle fileNaming_ = defaultFileNamingStyle;
    QString filePrefix_;
    std::int64_t nextNumber_ = 1;
};

} // namespace quillet
