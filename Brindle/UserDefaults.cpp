#include "Brindle/UserDefaults.hpp"

#include "Brindle/AppInfo.hpp"
#include "Brindle/PropertyListXml.hpp"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace brindle {
namespace {

const Logger& logger()
{
    static const Logger instance = AppInfo::logger("preferences");
    return instance;
}

// A name next to `path` that no file has yet.
QString unusedAsideName(const QString& path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = path + QStringLiteral(".unreadable-") + stamp;
    QString candidate = base;
    for (int attempt = 2; QFileInfo::exists(candidate); ++attempt) {
        candidate = base + QLatin1Char('-') + QString::number(attempt);
    }
    return candidate;
}

} // namespace

UserDefaults::UserDefaults(QString filePath) : filePath_(std::move(filePath))
{
    load();
}

QString UserDefaults::standardFilePath(const QString& applicationFolder)
{
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(configHome).filePath(applicationFolder + QStringLiteral("/preferences.plist"));
}

std::optional<PropertyList> UserDefaults::object(std::string_view key) const
{
    const auto entry = values_.find(key);
    if (entry == values_.end()) {
        return std::nullopt;
    }
    return entry->second;
}

void UserDefaults::set(std::optional<PropertyList> value, std::string_view key)
{
    // Keeping such a value in memory only would make this run disagree with the next one.
    if (value && !PropertyListXml::canHold(*value)) {
        logger().error("could not save preference \"%{public}s\": its text has characters a file cannot hold",
                       key);
        return;
    }
    if (value) {
        values_.insert_or_assign(std::string(key), std::move(*value));
    } else if (const auto entry = values_.find(key); entry != values_.end()) {
        values_.erase(entry);
    }
    save();
}

void UserDefaults::load()
{
    QFile file(filePath_);
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        savesChanges_ = false;
        logger().error("could not read preferences %{public}s: %{public}s; changes will not be saved",
                       filePath_, file.errorString());
        return;
    }
    const QByteArray xml = file.readAll();
    file.close();
    if (xml.isEmpty()) {
        return; // nothing in it to keep
    }
    auto result = PropertyListXml::read(xml);
    if (!result.values) {
        setAside(result.error);
        return;
    }
    values_ = std::move(*result.values);
    for (const auto& key : result.skippedKeys) {
        logger().error("preferences: ignored \"%{public}s\", a kind of value settings never use", key);
    }
}

void UserDefaults::setAside(const QString& reason)
{
    const QString aside = unusedAsideName(filePath_);
    if (!QFile::rename(filePath_, aside)) {
        savesChanges_ = false;
        logger().error("preferences %{public}s are unreadable (%{public}s) and could not be set aside; "
                       "changes will not be saved",
                       filePath_, reason);
        return;
    }
    logger().error(
        "preferences %{public}s were unreadable (%{public}s); kept as %{public}s, starting with defaults",
        filePath_, reason, aside);
}

void UserDefaults::save() const
{
    if (!savesChanges_) {
        return;
    }
    const auto written = PropertyListXml::write(values_);
    for (const auto& key : written.skippedKeys) {
        logger().error("could not save preference \"%{public}s\": its text has characters a file cannot hold",
                       key);
    }
    if (!QDir().mkpath(QFileInfo(filePath_).absolutePath())) {
        logger().error("could not save preferences: cannot create the folder of %{public}s", filePath_);
        return;
    }
    QSaveFile file(filePath_);
    if (!file.open(QIODevice::WriteOnly) || file.write(written.xml) != written.xml.size() || !file.commit()) {
        logger().error("could not save preferences to %{public}s: %{public}s", filePath_, file.errorString());
    }
}

} // namespace brindle
