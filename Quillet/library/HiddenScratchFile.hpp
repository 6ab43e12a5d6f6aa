#pragma once

#include "Quillet/library/AtomicFileWriter.hpp"

#include <QString>

#include <chrono>
#include <memory>

namespace quillet {

// A big file written beside its destination before it gets its name (a movie's MP4): a hidden
// ".quillet-<hex>.part" in the user's folder. It is locked for as long as this value lives, so that a
// later start can tell one a writer left behind (an export cut short by a logout or a kill) from one
// being written, and remove it. Any thread but the main one (it touches the disk).
class HiddenScratchFile {
public:
    // A scratch file untouched this long and unlocked is nobody's: a writer that does not lock (the
    // atomic writer's fallback where nameless files are not supported) keeps touching its file.
    static constexpr std::chrono::seconds abandonedAfter{60};

    // A new, empty, locked file beside `destination`; null with the reason in `error` when none could be
    // made.
    [[nodiscard]] static std::unique_ptr<HiddenScratchFile> beside(const QString& destination,
                                                                   QString& error);

    HiddenScratchFile(const HiddenScratchFile&) = delete;
    HiddenScratchFile& operator=(const HiddenScratchFile&) = delete;
    // Removes the file unless it was published, then lets go of the lock.
    ~HiddenScratchFile();

    [[nodiscard]] const QString& path() const { return path_; }

    // Gives the complete file the name `destination`, never replacing a file (`nameTaken`: the file
    // stays, for another name).
    [[nodiscard]] AtomicFileWriter::Result publish(const QString& destination);

    // Removes the scratch files of ours in `folder` that nobody writes any more; how many went.
    static int removeAbandoned(const QString& folder);

private:
    HiddenScratchFile(QString path, int lock) : path_(std::move(path)), lock_(lock) {}

    QString path_;
    int lock_;
};

} // namespace quillet
