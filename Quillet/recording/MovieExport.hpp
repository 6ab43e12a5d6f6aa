#pragma once

#include <QString>

#include <optional>

namespace quillet {

// Turns the capture tool's QuickTime movie into an MPEG-4 file that players can start before it has
// fully arrived (the index first). The streams are copied, not re-encoded, so nothing is lost and it
// takes about as long as reading and writing the file twice. Any thread; it waits for the disk.
struct MovieExport {
    // Writes `destination`, which must not exist yet, from every audio and video stream of `movie`.
    // The file appears under its name only when complete; on failure nothing is left there. Nothing on
    // success, else why it failed.
    [[nodiscard]] static std::optional<QString> toMP4(const QString& movie, const QString& destination);
};

} // namespace quillet
