#include "Quillet/common/Settings.hpp"

#include "Quillet/common/Published.hpp"
#include "Quillet/library/Library.hpp"
#include "core/Prefs.hpp"

#include <algorithm>

namespace quillet {
namespace {

const brindle::Preference<FileNamingStyle> fileNamingPreference{"fileNaming", defaultFileNamingStyle};

std::optional<std::string> utf8(const std::optional<QString>& text)
{
    return text ? std::optional<std::string>(text->toStdString()) : std::nullopt;
}

std::optional<QString> fromUtf8(const std::optional<std::string>& text)
{
    return text ? std::optional<QString>(QString::fromStdString(*text)) : std::nullopt;
}

} // namespace

Settings::Settings(brindle::PreferenceStore& preferences, QObject* parent)
    : QObject(parent), preferences_(preferences)
{
    isEnabled_ = preferences_.read(Prefs::enabled);
    recordMicrophone_ = preferences_.read(Prefs::recordMicrophone);
    showClicks_ = preferences_.read(Prefs::showClicks);
    copyNewCaptures_ = preferences_.read(Prefs::copyNewCaptures);
    microphoneID_ = fromUtf8(preferences_.read(Prefs::microphoneID));
    fileNaming_ = preferences_.read(fileNamingPreference);
    filePrefix_ = QString::fromStdString(preferences_.read(Prefs::filePrefix));
    nextNumber_ = preferences_.read(Prefs::nextNumber);
    shortcuts_ = ShortcutMap::fromStored(preferences_.read(Prefs::shortcuts));
    const auto folder = preferences_.read(Prefs::folder);
    folder_ = folder ? QString::fromStdString(*folder) : Library::defaultFolder();
}

template <typename Value> void Settings::publish(Value& field, Value value)
{
    if (assignIfChanged(field, std::move(value))) {
        emit changed();
    }
}

void Settings::setEnabled(bool enabled)
{
    preferences_.write(Prefs::enabled, enabled);
    publish(isEnabled_, enabled);
}

void Settings::setShortcuts(ShortcutMap shortcuts)
{
    preferences_.write(Prefs::shortcuts, shortcuts.stored());
    publish(shortcuts_, std::move(shortcuts));
}

void Settings::setFolder(const QString& path)
{
    preferences_.write(Prefs::folder, std::optional<std::string>(path.toStdString()));
    publish(folder_, path);
}

void Settings::setRecordMicrophone(bool on)
{
    preferences_.write(Prefs::recordMicrophone, on);
    publish(recordMicrophone_, on);
}

void Settings::setMicrophoneID(std::optional<QString> id)
{
    preferences_.write(Prefs::microphoneID, utf8(id));
    publish(microphoneID_, std::move(id));
}

void Settings::setShowClicks(bool on)
{
    preferences_.write(Prefs::showClicks, on);
    publish(showClicks_, on);
}

void Settings::setCopyNewCaptures(bool on)
{
    preferences_.write(Prefs::copyNewCaptures, on);
    publish(copyNewCaptures_, on);
}

void Settings::setFileNaming(FileNamingStyle style)
{
    preferences_.write(fileNamingPreference, style);
    publish(fileNaming_, style);
}

void Settings::setFilePrefix(const QString& prefix)
{
    preferences_.write(Prefs::filePrefix, prefix.toStdString());
    publish(filePrefix_, prefix);
}

void Settings::setNextNumber(std::int64_t number)
{
    const std::int64_t kept = std::max<std::int64_t>(number, 1);
    preferences_.write(Prefs::nextNumber, kept);
    publish(nextNumber_, kept);
}

} // namespace quillet
