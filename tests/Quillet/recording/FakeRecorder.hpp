#pragma once

#include "Quillet/recording/Recorder.hpp"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace quillet::testing {

// A recorder that records nothing: it notes each start, stop and save and completes them at once (or,
// with `holdStop`, when the test calls `heldStop`).
class FakeRecorder final : public Recorder {
public:
    bool start(const Rect& rect, const Options& options) override
    {
        starts.emplace_back(rect, options);
        if (startSucceeds) {
            session = QDateTime::currentDateTime();
        }
        return startSucceeds;
    }
    [[nodiscard]] std::optional<QDateTime> sessionStartedAt() const override { return session; }
    void stop(const QString& path, StopCompletion completion) override
    {
        stops.push_back(path);
        session.reset();
        if (holdStop) {
            heldStop = [completion, path] { completion(path); };
            return;
        }
        if (keptMovie && onKept) {
            onKept(*keptMovie);
        }
        completion(stopGivesMovie && !keptMovie ? std::optional<QString>(path) : std::nullopt);
    }
    void firstFrame(const QString&, int maxPixels, FrameCompletion completion) override
    {
        completion(QImage(maxPixels, maxPixels / 2, QImage::Format_RGBA8888_Premultiplied));
    }
    void setOnEnded(Ended ended) override { onEnded = std::move(ended); }
    void setOnKept(Kept kept) override { onKept = std::move(kept); }
    void setOnFailed(Ended failed) override { onFailed = std::move(failed); }
    [[nodiscard]] std::vector<QString> leftovers() const override { return leftoverMovies; }
    [[nodiscard]] std::optional<QDateTime> startedAt(const QString& leftover) const override
    {
        const auto found = leftoverStarts.find(leftover);
        return found != leftoverStarts.end() ? std::optional(found->second) : std::nullopt;
    }
    void setRename(Rename given) override { rename = std::move(given); }
    void save(const QString& movie, const QString& path, StopCompletion completion) override
    {
        saves.emplace_back(movie, path);
        completion(path);
    }

    Ended onEnded;
    Kept onKept;
    Ended onFailed;
    std::optional<QString> keptMovie; // a stop keeps the movie here instead of saving it
    std::vector<QString> leftoverMovies;
    std::map<QString, QDateTime> leftoverStarts;
    Rename rename;
    std::vector<std::pair<QString, QString>> saves;

    bool startSucceeds = true;
    bool stopGivesMovie = true;
    bool holdStop = false; // the stop completes when `heldStop` is called
    std::function<void()> heldStop;
    std::optional<QDateTime> session;
    std::vector<std::pair<Rect, Options>> starts;
    std::vector<QString> stops;
};

} // namespace quillet::testing
