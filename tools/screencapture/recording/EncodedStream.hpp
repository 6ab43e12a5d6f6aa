#pragma once

#include <optional>
#include <string>

struct AVCodecContext;
struct AVFrame;
struct AVDictionary;

namespace quillet::screencapture {

class MovieWriter;

// An opened encoder whose packets go into one track of the movie. Used by one thread at a time.
class EncodedStream {
public:
    // Takes the opened encoder and adds its track to the movie.
    EncodedStream(AVCodecContext* encoder, MovieWriter& writer);
    ~EncodedStream();
    EncodedStream(const EncodedStream&) = delete;
    EncodedStream& operator=(const EncodedStream&) = delete;

    [[nodiscard]] const AVCodecContext& encoder() const { return *encoder_; }

    // Encodes one frame (pts in the encoder's time base) and writes what comes out. False on failure,
    // with the reason in `failure()` (or in the writer's when the file failed).
    bool encode(const AVFrame& frame);

    // Drains the encoder into the movie; later frames are refused.
    bool finish();

    [[nodiscard]] const std::optional<std::string>& failure() const { return failure_; }

private:
    bool send(const AVFrame* frame);

    AVCodecContext* encoder_;
    MovieWriter& writer_;
    int streamIndex_;
    bool isFinished_ = false;
    std::optional<std::string> failure_;
};

// Opens `encoder` after the caller set it up; the movie's container needs headers out of band.
[[nodiscard]] std::optional<std::string> openEncoder(AVCodecContext& encoder, AVDictionary** options);

} // namespace quillet::screencapture
