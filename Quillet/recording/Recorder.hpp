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

    virtual ~Recorder() = default;

    // Starts recording `rect` (program coordinates); false when it could not (the recorder has said why).
    virtual bool start(const Rect& rect, const Options& options) = 0;
    // When the current session started; none without a session.
    [[nodiscard]] virtual std::optional<QDateTime> sessionStartedAt() const = 0;
    // Ends the session and puts the finished movie at `path`; the movie's path, or nothing.
    virtual void stop(const QString& path, StopCompletion completion) = 0;
    // Runs on the main thread when a recording ended without being stopped (its tool died). The
    // session stays until `stop` saves what was recorded.
    virtual void setOnEnded(Ended ended) = 0;
    // Movies an earlier run recorded but never saved (it crashed or was killed), oldest first.
    [[nodiscard]] virtual std::vector<QString> leftovers() const = 0;
    // Saves such a movie at `path` as `stop` saves a recording.
    virtual void save(const QString& movie, const QString& path, StopCompletion completion) = 0;
    // The first frame of a movie, reduced to at most `maxPixels` on its longer side.
    virtual void firstFrame(const QString& movie, int maxPixels, FrameCompletion completion) = 0;
};

} // namespace quillet
