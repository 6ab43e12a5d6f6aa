#pragma once

#include "kit-core/PreferenceStore.hpp"

#include <QString>

#include <chrono>
#include <memory>

class QObject;
class QThreadPool;

namespace brindle {

// The user's settings: one XML property-list file, read once when the store is made and held in
// memory. A change is written shortly after it is made, off the main thread: the whole file, as a
// temporary file in the same folder renamed over the old one, so a crash leaves either the old or the
// new file. A burst of changes costs one write, a value set to what it already is costs none, and
// what is still unwritten is written when the application quits or the store goes. A file that
// cannot be parsed, or is too large to be a settings file, reads as empty and is renamed aside
// ("preferences.plist.unreadable-<time>") before anything replaces it.
class UserDefaults : public PreferenceStore {
public:
    // Settings take a few kilobytes; anything much larger is not ours, and reading it would cost the
    // program its memory and its start.
    static constexpr qint64 maximumFileBytes = 1024 * 1024;
    // How long a change waits for the others of its burst.
    static constexpr std::chrono::milliseconds writeDelay{100};

    explicit UserDefaults(QString filePath);
    ~UserDefaults() override;

    // $XDG_CONFIG_HOME (default ~/.config) / applicationFolder / preferences.plist
    [[nodiscard]] static QString standardFilePath(const QString& applicationFolder);

    [[nodiscard]] std::optional<PropertyList> object(std::string_view key) const override;
    // A value whose text the file cannot hold (control characters, bytes that are not UTF-8) is
    // refused with a log message; the key keeps its previous value.
    void set(std::optional<PropertyList> value, std::string_view key) override;

    [[nodiscard]] const QString& filePath() const { return filePath_; }

    // How long quitting waits for the settings to reach the disk.
    static constexpr std::chrono::milliseconds quitWriteLimit{3000};

    // Writes what has not been written yet and waits, at most `limit`, for every write in flight.
    // False when a write was still running at the limit.
    bool synchronize(std::chrono::milliseconds limit = std::chrono::milliseconds::max());

    // False when an existing file could neither be read nor set aside: changes then live in memory
    // only, so that file is never overwritten.
    [[nodiscard]] bool savesChanges() const { return savesChanges_; }

private:
    void load();
    void setAside(const QString& reason);
    void scheduleSave();
    void startSave();

    QString filePath_;
    PropertyList::Dictionary values_;
    bool savesChanges_ = true;
    bool savePending_ = false;
    // One writer thread, so that writes land in the order they were made.
    std::unique_ptr<QThreadPool> writer_;
    // Deferred writes run in this object's context: none is left pending once the store is gone.
    std::unique_ptr<QObject> context_;
};

} // namespace brindle
