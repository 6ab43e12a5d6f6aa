#include "Quillet/recording/RecordingsFolder.hpp"

#include "Brindle/SystemError.hpp"

#include "Quillet/recording/MovieName.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {
namespace {

constexpr mode_t ownerOnlyFolder = 0700;
constexpr mode_t ownerOnlyFile = 0600;

// Makes `path` a folder of this user's that nobody else can enter, or says why it is not one.
std::optional<QString> makePrivate(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), ownerOnlyFolder) != 0 && errno != EEXIST) {
        return QStringLiteral("couldn't make %1: %2").arg(path, brindle::systemErrorText(errno));
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return QStringLiteral("couldn't open %1: %2").arg(path, brindle::systemErrorText(errno));
    }
    struct stat status {};
    std::optional<QString> problem;
    if (::fstat(fd, &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid()) {
        problem = QStringLiteral("%1 is not a folder of this user").arg(path);
    } else if ((status.st_mode & 077) != 0 && ::fchmod(fd, ownerOnlyFolder) != 0) {
        problem = QStringLiteral("couldn't make %1 private: %2").arg(path, brindle::systemErrorText(errno));
    }
    ::close(fd);
    return problem;
}

} // namespace

RecordingsFolder::Movie::Movie(Movie&& other) noexcept
    : path_(std::exchange(other.path_, QString())), lock_(std::exchange(other.lock_, -1))
{
}

RecordingsFolder::Movie& RecordingsFolder::Movie::operator=(Movie&& other) noexcept
{
    if (this != &other) {
        if (lock_ >= 0) {
            ::close(lock_);
        }
        path_ = std::exchange(other.path_, QString());
        lock_ = std::exchange(other.lock_, -1);
    }
    return *this;
}

RecordingsFolder::Movie::~Movie()
{
    if (lock_ >= 0) {
        ::close(lock_);
    }
}

RecordingsFolder::RecordingsFolder()
    : path_(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
            QStringLiteral("/quillet/recordings"))
{
}

std::optional<QString> RecordingsFolder::newMovie(Movie& movie, const QDateTime& startedAt) const
{
    // The parent holds only the program's caches; the recordings folder itself is the private one.
    QDir().mkpath(QFileInfo(path_).path());
    if (auto problem = makePrivate(path_)) {
        return problem;
    }
    const QString file = path_ + QLatin1Char('/') + MovieName::make(startedAt);
    const int fd = ::open(QFile::encodeName(file).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, ownerOnlyFile);
    if (fd < 0) {
        return QStringLiteral("couldn't create %1: %2").arg(file, brindle::systemErrorText(errno));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        QFile::remove(file);
        return QStringLiteral("couldn't lock %1: %2").arg(file, brindle::systemErrorText(error));
    }
    movie = Movie(file, fd);
    return std::nullopt;
}

std::vector<QString> RecordingsFolder::leftovers() const
{
    std::vector<QString> result;
    const QFileInfoList movies = QDir(path_).entryInfoList(
        {QStringLiteral("*.mov")}, QDir::Files | QDir::NoSymLinks, QDir::Time | QDir::Reversed);
    for (const QFileInfo& movie : movies) {
        const int fd =
            ::open(QFile::encodeName(movie.filePath()).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        // Taken and given back at once: only whether someone holds it matters.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            result.push_back(movie.filePath());
        }
        ::close(fd);
    }
    return result;
}

} // namespace quillet
