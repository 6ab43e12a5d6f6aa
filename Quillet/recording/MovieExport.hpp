#pragma once

#include "Quillet/library/AtomicFileWriter.hpp"

#include <QString>

#include <memory>

namespace quillet {

class HiddenScratchFile;

// Turns the capture tool's QuickTime movie into an MPEG-4 file that players can start before it has
// fully arrived (the index first). The streams are copied, not re-encoded, so nothing is lost and it
// takes about as long as reading and writing the file twice. Any thread; it waits for the disk.
struct MovieExport {
    struct Result {
        AtomicFileWriter::Status status = AtomicFileWriter::Status::failed;
        QString error; // why it failed
        // The complete MP4 when its name was taken meanwhile: `publish` gives it another.
        std::shared_ptr<HiddenScratchFile> unnamed;
    };

    // Writes `destination`, which must not exist yet, from every audio and video stream of `movie`.
    // The file appears under its name only when complete; on failure nothing is left there.
    [[nodiscard]] static Result toMP4(const QString& movie, const QString& destination);

    // Gives the MP4 of a `nameTaken` result the name `destination`; again `nameTaken` when that is
    // taken too.
    [[nodiscard]] static Result publish(std::shared_ptr<HiddenScratchFile> unnamed,
                                        const QString& destination);
};

} // namespace quillet
