#include "Quillet/library/TemporaryFolder.hpp"

#include "Brindle/SystemError.hpp"

#include "Brindle/shell/PrivateFolder.hpp"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {
namespace {

constexpr mode_t ownerOnlyFile = 0600;
constexpr mode_t groupAndOtherBits = 077;
// "quillet-<pid>-XXXXXX": the process id tells whether its owner still runs.
constexpr std::string_view folderPrefix = "quillet-";

// A real folder (not a link) of this user that nobody else can enter. Only looked at, never changed.
bool isPrivateFolder(const QByteArray& path)
{
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::getuid() && (status.st_mode & groupAndOtherBits) == 0;
}

// The process id in a folder name this program makes, or 0.
pid_t ownerOf(std::string_view name)
{
    if (!name.starts_with(folderPrefix)) {
        return 0;
    }
    name.remove_prefix(folderPrefix.size());
    pid_t pid = 0;
    std::size_t digits = 0;
    for (; digits < name.size() && name[digits] >= '0' && name[digits] <= '9'; ++digits) {
        pid = pid * 10 + (name[digits] - '0');
        if (pid > 4'194'304) { // beyond any Linux pid_max
            return 0;
        }
    }
    return digits > 0 && digits < name.size() && name[digits] == '-' ? pid : 0;
}

bool isRunning(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

TemporaryFolder& TemporaryFolder::forProcess()
{
    static TemporaryFolder folder(defaultParent());
    return folder;
}

TemporaryFolder::TemporaryFolder(QString parent) : parent_(std::move(parent)) {}

TemporaryFolder::~TemporaryFolder()
{
    remove();
}

void TemporaryFolder::remove()
{
    const std::lock_guard lock(mutex_);
    if (made_) {
        std::error_code ignored;
        std::filesystem::remove_all(*made_, ignored);
        made_.reset();
    }
}

QString TemporaryFolder::defaultParent()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(QFile::encodeName(runtime))) {
        // The program's own corner of the runtime folder, shared with its instance socket, so that
        // everything it keeps there is found under one name.
        const QString own = runtime + QStringLiteral("/quillet");
        if (brindle::makePrivateFolder(own)) {
            return own;
        }
    }
    return QDir::tempPath();
}

void TemporaryFolder::removeLeftovers(const QString& parent)
{
    const QByteArray parentName = QFile::encodeName(parent);
    DIR* folder = ::opendir(parentName.constData());
    if (folder == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const pid_t owner = ownerOf(entry->d_name);
        const QByteArray path = parentName + '/' + entry->d_name;
        if (owner != 0 && owner != ::getpid() && !isRunning(owner) && isPrivateFolder(path)) {
            std::error_code ignored;
            std::filesystem::remove_all(path.toStdString(), ignored);
        }
    }
    ::closedir(folder);
}

Outcome<QString> TemporaryFolder::path()
{
    const std::lock_guard lock(mutex_);
    if (made_) {
        return QFile::decodeName(QByteArray::fromStdString(*made_));
    }
    removeLeftovers(parent_);
    QByteArray pattern = QFile::encodeName(parent_) + '/' +
                         QByteArray(folderPrefix.data(), static_cast<qsizetype>(folderPrefix.size())) +
                         QByteArray::number(::getpid()) + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        return Outcome<QString>::failure(
            QStringLiteral("couldn't make a private folder in %1: %2").arg(parent_, brindle::systemErrorText(errno)));
    }
    made_ = pattern.toStdString();
    return QFile::decodeName(pattern);
}

Outcome<QString> TemporaryFolder::newFile(const QString& extension)
{
    const auto folder = path();
    if (!folder.isSuccess()) {
        return folder;
    }
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString file = folder.value() + QLatin1Char('/') + name + QLatin1Char('.') + extension;
    const int fd = ::open(QFile::encodeName(file).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, ownerOnlyFile);
    if (fd < 0) {
        return Outcome<QString>::failure(
            QStringLiteral("couldn't create %1: %2").arg(file, brindle::systemErrorText(errno)));
    }
    ::close(fd);
    return file;
}

} // namespace quillet
