#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVPacket;

namespace quillet::screencapture {

// A fragmented QuickTime movie: a fragment is written at every video key frame, so a process that
// is killed leaves a playable file up to its last fragment. The file is created by the first packet:
// a recording stopped before its first frame leaves no file at all, so the file is created with the
// first frame. Packets may come from several threads.
class MovieWriter {
public:
    explicit MovieWriter(std::string path);
    ~MovieWriter();
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    // Before the first packet, once per encoder; returns the stream's index, or -1.
    [[nodiscard]] int addStream(const AVCodecContext& encoder);

    // Creates the file and writes the movie's header; false (with the reason kept) on failure.
    bool start();

    // Takes the packet's data, timestamps in the encoder's time base. False once writing failed.
    bool write(AVPacket& packet, int streamIndex, const AVCodecContext& encoder);

    // Completes the file if one was started. The first failure's one-line reason, if any.
    [[nodiscard]] std::optional<std::string> finish();

    [[nodiscard]] bool hasFailed() const;

private:
    bool open(); // with the lock held
    void fail(std::string reason);

    std::string path_;
    AVFormatContext* context_ = nullptr;
    bool isOpen_ = false;
    std::optional<std::string> failure_;
    int syncDescriptor_ = -1; // the same file, to push each finished fragment to the disk
    mutable std::mutex mutex_;
};

} // namespace quillet::screencapture
