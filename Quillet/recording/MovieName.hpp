#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace quillet {

// The name of a movie in the recordings folder: when its recording started (UTC, to the millisecond)
// and a UUID, so a movie recovered after a crash is named by when it was recorded, not recovered.
struct MovieName {
    // "20261208T023244.123Z-<UUID>.mov"
    [[nodiscard]] static QString make(const QDateTime& startedAt);
    // When the movie named `fileName` started; nothing for any other name (an older one, or garbage).
    [[nodiscard]] static std::optional<QDateTime> startedAt(const QString& fileName);
};

} // namespace quillet
