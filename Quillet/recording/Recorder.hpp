#pragma once

#include "core/Geometry.hpp"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace quillet {

// What the application state needs of the screen recorder.
class Recorder {
public:
    // Carried from the settings through the area selector to the recorder.
    struct Options {
        bool microphone = false;
        std::optional<QString> microphoneID;
        bool showClicks = true;
        friend bool operator==(const Options&, const Options&) = default;
    };
    using StopCompletion = std::function<void(std::optional<QString> movie)>;
    using FrameCompletion = std::function<void(std::optional<QImage> frame)>;
    using Ended = std::function<void()>;
    // Another free name for a movie whose name `taken` someone else took while it was written; nothing
    // when none can be made. Main thread.
    using Rename = std::function<std::optional<QString>(const QString& taken)>;

    virtual ~Recorder() = default;

    // Starts recording `rect` (program coordinates); false when it could not (the recorder has said why).
    virtual bool start(const Rect& rect, const Options& options) = 0;
    // When the current session started; none without a session.
    [[nodiscard]] virtual std::optional<QDateTime> sessionStartedAt() const = 0;
    // Ends the session and puts the finished movie at `path`; the movie's path, or nothing. With an
    // empty `path` (no name could be made) the movie is left where it is for the next start to recover.
    virtual void stop(const QString& path, StopCompletion completion) = 0;
    // Runs on the main thread when a recording ended without being stopped (its tool died). The
    // session stays until `stop` saves what was recorded.
    virtual void setOnEnded(Ended ended) = 0;
    // Runs on the main thread, before `Ended`, when a recording ended before its first picture
    // because the screen could not be read (a desktop's cast that offers nothing the recorder reads):
    // nothing was recorded, and nothing will be saved.
    virtual void setOnUnreadable(Ended /*unreadable*/) {}
    // Runs on the main thread, before `Ended`, when the recording ended because its recorder failed
    // (it crashed, was killed, or could not write on), not because the screen's source ended.
    virtual void setOnFailed(Ended /*failed*/) {}
    // Movies an earlier run recorded but never saved (it crashed or was killed), oldest first.
    [[nodiscard]] virtual std::vector<QString> leftovers() const = 0;
    // When such a movie's recording started, where that is known.
    [[nodiscard]] virtual std::optional<QDateTime> startedAt(const QString& /*leftover*/) const
    {
        return std::nullopt;
    }
    // Saves such a movie at `path` as `stop` saves a recording.
    virtual void save(const QString& movie, const QString& path, StopCompletion completion) = 0;
    // How a movie whose name was taken gets another; without it that movie is kept as it is.
    virtual void setRename(Rename /*rename*/) {}
    // Runs on the main thread when a stopped movie could not be put in the capture folder and was
    // kept, whole, at another path: the user must learn where it is.
    using Kept = std::function<void(const QString& movie)>;
    virtual void setOnKept(Kept /*kept*/) {}
    // The first frame of a movie, reduced to at most `maxPixels` on its longer side.
    virtual void firstFrame(const QString& movie, int maxPixels, FrameCompletion completion) = 0;
};

} // namespace quillet
