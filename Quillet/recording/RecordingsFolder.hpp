#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace quillet {

// Where movies are written while they are being recorded: a folder only this user can enter, on disk
// ($XDG_CACHE_HOME/quillet/recordings) rather than in the session's small memory-backed runtime
// folder, so a long recording neither fills memory nor vanishes with a crash. A movie in progress is
// locked by the program recording it and by its tool (which shares the lock, and keeps it for as long as
// it writes even when the program died first); an unlocked movie there is a leftover of a run that
// ended without saving it.
class RecordingsFolder {
public:
    // A movie file being recorded, locked for as long as the value lives.
    class Movie {
    public:
        Movie() = default;
        Movie(QString path, int lock) : path_(std::move(path)), lock_(lock) {}
        Movie(Movie&& other) noexcept;
        Movie& operator=(Movie&& other) noexcept;
        ~Movie();

        [[nodiscard]] const QString& path() const { return path_; }
        // The locked descriptor: the tool inherits it, so the movie stays locked for as long as the
        // tool writes it, even after this program died.
        [[nodiscard]] int lock() const { return lock_; }

    private:
        QString path_;
        int lock_ = -1;
    };

    // The folder under the user's cache folder.
    RecordingsFolder();
    explicit RecordingsFolder(QString path) : path_(std::move(path)) {}

    [[nodiscard]] const QString& path() const { return path_; }

    // Makes `movie` a new empty movie file, named by its start time and a fresh UUID with the
    // extension "mov" (MovieName), made with the folder if needed. Nothing on success, else why it
    // could not be made.
    [[nodiscard]] std::optional<QString> newMovie(Movie& movie, const QDateTime& startedAt) const;

    // The movies no running program is recording, oldest first.
    [[nodiscard]] std::vector<QString> leftovers() const;

private:
    QString path_;
};

} // namespace quillet
