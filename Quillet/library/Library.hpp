#pragma once

#include "Quillet/common/Outcome.hpp"
#include "core/FileNaming.hpp"

#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>
#include <variant>

namespace quillet {

// The capture folder: hands out new, free file names for stills and recordings, and scratch files
// for intermediate results. Used on the main thread.
class Library {
public:
    enum class Kind { still, recording };

    struct DateNaming {};
    struct NumberedNaming {
        QString prefix;
        std::int64_t from = 1;
    };
    using Naming = std::variant<DateNaming, NumberedNaming>;

    struct NewFile {
        QString path;
        std::optional<std::int64_t> number; // the number used, for numbered names
    };

    explicit Library(QString folder);

    [[nodiscard]] const QString& folder() const { return folder_; }
    void setFolder(QString folder) { folder_ = std::move(folder); }

    // A free location for a new file, named by date or number; the folder (and its parents) is
    // created first. The file itself is not created: the caller writes it.
    [[nodiscard]] Outcome<NewFile> newFile(Kind kind, const Naming& naming,
                                           std::chrono::system_clock::time_point date) const;

    // ~/Screenshots
    [[nodiscard]] static QString defaultFolder();
    [[nodiscard]] static QString extension(Kind kind);
    [[nodiscard]] static QString datePrefix(Kind kind);

    // A new empty scratch file (see TemporaryFolder); the caller removes it.
    [[nodiscard]] static Outcome<QString> temporaryFile(const QString& extension);

    // Creates the folder with any missing parents. The failure's description, or nothing when the
    // folder is there.
    [[nodiscard]] static std::optional<QString> createFolder(const QString& folder);

private:
    [[nodiscard]] FileNaming::NameUse nameUse(const std::string& fileName, int& error) const;
    [[nodiscard]] Outcome<NewFile> noName(int error) const;
    [[nodiscard]] QString pathOf(const std::string& fileName) const;

    QString folder_;
};

} // namespace quillet
