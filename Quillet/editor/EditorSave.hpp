#pragma once

#include "Quillet/library/FileIdentity.hpp"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace quillet::EditorSave {

// `checked` writes only over the very file that was opened, still writable; `overwrite` writes after
// the user said so; `asNewFile` leaves the file alone and writes a new one beside it.
enum class Mode { checked, overwrite, asNewFile };

struct Outcome {
    // Not `none` when a checked save wrote nothing and the user must be asked.
    FileChange change = FileChange::none;
    std::optional<QString> error;
    QString path; // where the bytes went
};

// Puts the bytes in place of the file; the failure's description, or nothing on success.
using Writer = std::function<std::optional<QString>(const QString& path, const QByteArray& bytes)>;

// Runs off the main thread. A link put in the file's place since it was opened is never written
// through: an overwrite replaces the link itself.
[[nodiscard]] Outcome write(const QString& path, const QByteArray& bytes, const std::optional<FileIdentity>& opened,
                            Mode mode, const Writer& writer);

// "<name> (edited).<suffix>", then "(edited 2)", … beside `path`, for attempt 1, 2, ….
[[nodiscard]] QString newFileName(const QString& path, int attempt);

} // namespace quillet::EditorSave
