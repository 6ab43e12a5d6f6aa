#include "Quillet/library/Library.hpp"

#include "Brindle/SystemError.hpp"

#include "Quillet/library/TemporaryFolder.hpp"
#include "core/FileNaming.hpp"
#include "core/Overloaded.hpp"
#include "core/SystemTimeZone.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace quillet {
namespace {

constexpr std::array allKinds{Library::Kind::still, Library::Kind::recording};

std::string utf8(const QString& text)
{
    return text.toStdString();
}

// The longest name a file may have on the file systems Quillet saves to (NAME_MAX).
constexpr std::size_t maximumFileNameBytes = 255;

// Room for a numbered name before its extension, whichever kind of file it names.
std::size_t maximumBaseNameBytes()
{
    std::size_t longestExtension = 0;
    for (const Library::Kind kind : allKinds) {
        longestExtension = std::max<std::size_t>(longestExtension, utf8(Library::extension(kind)).size());
    }
    return maximumFileNameBytes - 1 - longestExtension;
}

} // namespace

Library::Library(QString folder) : folder_(std::move(folder)) {}

QString Library::defaultFolder()
{
    return QDir::homePath() + QStringLiteral("/Screenshots");
}

QString Library::extension(Kind kind)
{
    switch (kind) {
    case Kind::still:
        return QStringLiteral("webp");
    case Kind::recording:
        return QStringLiteral("mp4");
    }
    return QString();
}

QString Library::datePrefix(Kind kind)
{
    switch (kind) {
    case Kind::still:
        return QCoreApplication::translate("Library", "Screenshot");
    case Kind::recording:
        return QCoreApplication::translate("Library", "Screen Recording");
    }
    return QString();
}

Outcome<QString> Library::temporaryFile(const QString& extension)
{
    return TemporaryFolder::forProcess().newFile(extension);
}

std::optional<QString> Library::createFolder(const QString& folder)
{
    std::error_code error;
    const std::filesystem::path path(QFile::encodeName(folder).toStdString());
    std::filesystem::create_directories(path, error);
    if (!error && std::filesystem::is_directory(path, error)) {
        return std::nullopt;
    }
    const QString reason =
        error ? QString::fromLocal8Bit(error.message().c_str()) : QStringLiteral("not a folder");
    return QStringLiteral("couldn't create the folder %1: %2").arg(folder, reason);
}

QString Library::pathOf(const std::string& fileName) const
{
    return folder_ + QLatin1Char('/') + QString::fromStdString(fileName);
}

// Anything under the name counts, a dangling link included: the new file is created exclusively.
// Only "no such file" means free; any other failure (no search permission, a name too long) is kept
// in `error` and ends the search, since guessing either way would loop or overwrite.
FileNaming::NameUse Library::nameUse(const std::string& fileName, int& error) const
{
    struct stat status {};
    if (::lstat(QFile::encodeName(pathOf(fileName)).constData(), &status) == 0) {
        return FileNaming::NameUse::taken;
    }
    if (errno == ENOENT) {
        return FileNaming::NameUse::free;
    }
    error = errno;
    return FileNaming::NameUse::unknown;
}

Outcome<Library::NewFile> Library::noName(int error) const
{
    const QString reason = error != 0 ? brindle::systemErrorText(error)
                                      : QStringLiteral("every name tried is taken");
    return Outcome<NewFile>::failure(
        QStringLiteral("couldn't choose a new name in %1: %2").arg(folder_, reason));
}

Outcome<Library::NewFile> Library::newFile(Kind kind, const Naming& naming,
                                           std::chrono::system_clock::time_point date) const
{
    if (const auto failure = createFolder(folder_)) {
        return Outcome<NewFile>::failure(*failure);
    }
    const std::string dot = ".";
    int error = 0;
    return std::visit(
        Overloaded{
            [&](const NumberedNaming& numbered) -> Outcome<NewFile> {
                const auto taken = [&](const std::string& candidate) {
                    for (const Kind any : allKinds) {
                        const auto use = nameUse(candidate + dot + utf8(extension(any)), error);
                        if (use != FileNaming::NameUse::free) {
                            return use;
                        }
                    }
                    return FileNaming::NameUse::free;
                };
                const auto result =
                    FileNaming::numbered(numbered.from, utf8(numbered.prefix), maximumBaseNameBytes(), taken);
                if (!result) {
                    return noName(error);
                }
                return NewFile{pathOf(result->name + dot + utf8(extension(kind))), result->number};
            },
            [&](const DateNaming&) -> Outcome<NewFile> {
                const SystemTimeZone timeZone;
                const std::string connector = utf8(QCoreApplication::translate("Library", "at"));
                const auto name =
                    FileNaming::name(utf8(datePrefix(kind)), connector, date, utf8(extension(kind)), timeZone,
                                     [&](const std::string& candidate) { return nameUse(candidate, error); });
                if (!name) {
                    return noName(error);
                }
                return NewFile{pathOf(*name), std::nullopt};
            },
        },
        naming);
}

} // namespace quillet
