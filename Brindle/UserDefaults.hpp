#pragma once

#include "kit-core/PreferenceStore.hpp"

#include <QString>

namespace brindle {

// The user's settings: one XML property-list file, read once when the store is made, held in memory
// and rewritten whole on every change (a temporary file in the same folder, then renamed over the
// old one, so a crash leaves either the old or the new file). A file that cannot be parsed reads as
// empty and is renamed aside ("preferences.plist.unreadable-<time>") before anything replaces it.
class UserDefaults : public PreferenceStore {
public:
    explicit UserDefaults(QString filePath);

    // $XDG_CONFIG_HOME (default ~/.config) / applicationFolder / preferences.plist
    [[nodiscard]] static QString standardFilePath(const QString& applicationFolder);

    [[nodiscard]] std::optional<PropertyList> object(std::string_view key) const override;
    // A value whose text the file cannot hold (control characters, bytes that are not UTF-8) is
    // refused with a log message; the key keeps its previous value.
    void set(std::optional<PropertyList> value, std::string_view key) override;

    [[nodiscard]] const QString& filePath() const { return filePath_; }

    // False when an existing file could neither be read nor set aside: changes then live in memory
    // only, so that file is never overwritten.
    [[nodiscard]] bool savesChanges() const { return savesChanges_; }

private:
    void load();
    void setAside(const QString& reason);
    void save() const;

    QString filePath_;
    PropertyList::Dictionary values_;
    bool savesChanges_ = true;
};

} // namespace brindle
