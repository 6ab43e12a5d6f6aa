#include "Quillet/library/Library.hpp"

#include "Quillet/library/TemporaryFolder.hpp"
#include "core/FileNaming.hpp"
#include "core/Overloaded.hpp"
#include "core/SystemTimeZone.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <filesystem>
#include <system_error>

namespace quillet {
namespace {

constexpr std::array allKinds{Library::Kind::still, Library::Kind::recording};

std::string utf8(const QString& text)
{
    return text.toStdString();
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
    return TemporaryFolder::newFile(extension);
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
bool Library::isTaken(const std::string& fileName) const
{
    std::error_code error;
    const auto status =
        std::filesystem::symlink_status(QFile::encodeName(pathOf(fileName)).toStdString(), error);
    return status.type() != std::filesystem::file_type::not_found;
}

Outcome<Library::NewFile> Library::newFile(Kind kind, const Naming& naming,
                                           std::chrono::system_clock::time_point date) const
{
    if (const auto failure = createFolder(folder_)) {
        return Outcome<NewFile>::failure(*failure);
    }
    const std::string dot = ".";
    return std::visit(
        Overloaded{
            [&](const NumberedNaming& numbered) -> Outcome<NewFile> {
                const auto taken = [this, &dot](const std::string& candidate) {
                    for (const Kind any : allKinds) {
                        if (isTaken(candidate + dot + utf8(extension(any)))) {
                            return true;
                        }
                    }
                    return false;
                };
                const auto result = FileNaming::numbered(numbered.from, utf8(numbered.prefix), taken);
                return NewFile{pathOf(result.name + dot + utf8(extension(kind))), result.number};
            },
            [&](const DateNaming&) -> Outcome<NewFile> {
                const SystemTimeZone timeZone;
                const std::string connector = utf8(QCoreApplication::translate("Library", "at"));
                const auto name =
                    FileNaming::name(utf8(datePrefix(kind)), connector, date, utf8(extension(kind)), timeZone,
                                     [this](const std::string& candidate) { return isTaken(candidate); });
                return NewFile{pathOf(name), std::nullopt};
            },
        },
        naming);
}

} // namespace quillet
