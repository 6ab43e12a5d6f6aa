#pragma once

#include "Quillet/recording/Recorder.hpp"

namespace quillet {

// The recorder of a preview: it never starts, and has nothing to stop, save or show.
class NoRecorder final : public Recorder {
public:
    bool start(const Rect&, const Options&) override { return false; }
    [[nodiscard]] std::optional<QDateTime> sessionStartedAt() const override { return std::nullopt; }
    void stop(const QString&, StopCompletion completion) override { completion(std::nullopt); }
    void setOnEnded(Ended) override {}
    [[nodiscard]] std::vector<QString> leftovers() const override { return {}; }
    void save(const QString&, const QString&, StopCompletion completion) override
    {
        completion(std::nullopt);
    }
    void firstFrame(const QString&, int, FrameCompletion completion) override { completion(std::nullopt); }
};

} // namespace quillet
