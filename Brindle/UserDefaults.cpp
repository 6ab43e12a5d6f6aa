#include "Brindle/UserDefaults.hpp"

#include "Brindle/SystemError.hpp"

#include "Brindle/AppInfo.hpp"
#include "Brindle/PropertyListXml.hpp"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThreadPool>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Runs on the writer thread.
void writeFile(const QString& path, const QByteArray& xml)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        logger().error("could not save preferences: cannot create the folder of %{public}s", path);
        return;
    }
    QSaveFile file(path);
    // The settings hold the user's secrets (the screen cast's restore token): the owner's alone.
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(xml) != xml.size() || !file.commit()) {
        logger().error("could not save preferences to %{public}s: %{public}s", path, file.errorString());
    }
}

} // namespace

UserDefaults::UserDefaults(QString filePath)
    : filePath_(std::move(filePath)), writer_(std::make_unique<QThreadPool>()),
      context_(std::make_unique<QObject>())
{
    writer_->setMaxThreadCount(1);
    if (auto* application = QCoreApplication::instance()) {
        QObject::connect(application, &QCoreApplication::aboutToQuit, context_.get(), [this] {
            if (!synchronize(quitWriteLimit)) {
                logger().error("quitting before the preferences reached %{public}s", filePath_);
            }
        });
    }
    load();
}

UserDefaults::~UserDefaults()
{
    synchronize();
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
    const auto entry = values_.find(key);
    if (value) {
        if (entry != values_.end() && entry->second == *value) {
            return;
        }
        values_.insert_or_assign(std::string(key), std::move(*value));
    } else {
        if (entry == values_.end()) {
            return;
        }
        values_.erase(entry);
    }
    scheduleSave();
}

bool UserDefaults::synchronize(std::chrono::milliseconds limit)
{
    if (savePending_) {
        startSave();
    }
    if (limit == std::chrono::milliseconds::max()) {
        writer_->waitForDone();
        return true;
    }
    return writer_->waitForDone(static_cast<int>(limit.count()));
}

void UserDefaults::load()
{
    QFile file(filePath_);
    if (!QFileInfo::exists(filePath_)) {
        return;
    }
    // Never blocking: a FIFO in the file's place would otherwise hold the program at start for good.
    const int descriptor =
        ::open(QFile::encodeName(filePath_).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0 || !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const QString reason = brindle::systemErrorText(errno);
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        savesChanges_ = false;
        logger().error("could not read preferences %{public}s: %{public}s; changes will not be saved",
                       filePath_, reason);
        return;
    }
    struct stat status {};
    const bool known = ::fstat(descriptor, &status) == 0;
    if (known && S_ISDIR(status.st_mode)) {
        file.close();
        savesChanges_ = false;
        logger().error("could not read preferences %{public}s: a folder is in its place; changes will not be saved",
                       filePath_);
        return;
    }
    if (!known || !S_ISREG(status.st_mode)) {
        file.close();
        setAside(QStringLiteral("not a regular file"));
        return;
    }
    if (file.size() > maximumFileBytes) {
        file.close();
        setAside(QStringLiteral("larger than %1 bytes").arg(maximumFileBytes));
        return;
    }
    // Read to one byte past the limit, so that a file growing meanwhile is still caught.
    const QByteArray xml = file.read(maximumFileBytes + 1);
    if (xml.size() > maximumFileBytes) {
        file.close();
        setAside(QStringLiteral("larger than %1 bytes").arg(maximumFileBytes));
        return;
    }
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

void UserDefaults::scheduleSave()
{
    if (!savesChanges_ || savePending_) {
        return;
    }
    savePending_ = true;
    if (QCoreApplication::instance() == nullptr) {
        startSave(); // no event loop to defer to
        return;
    }
    QTimer::singleShot(writeDelay, context_.get(), [this] {
        if (savePending_) {
            startSave();
        }
    });
}

void UserDefaults::startSave()
{
    savePending_ = false;
    const auto written = PropertyListXml::write(values_);
    for (const auto& key : written.skippedKeys) {
        logger().error("could not save preference \"%{public}s\": its text has characters a file cannot hold",
                       key);
    }
    writer_->start([path = filePath_, xml = written.xml] { writeFile(path, xml); });
}

} // namespace brindle
