#pragma once

#include <string>
#include <variant>

struct AVCodecContext;
struct AVFrame;

namespace quillet::screencapture::VideoEncoder {

// Frame and packet timestamps count this many ticks a second (the common video clock).
constexpr int ticksPerSecond = 90'000;
constexpr int framesPerSecond = 30;
// A key frame, and so a fragment of the movie, every second of the grab clock: a killed recording
// loses at most that. The encoder's own limit is a backstop.
constexpr int ticksPerKeyFrame = ticksPerSecond;
constexpr int framesPerKeyFrame = 2 * framesPerSecond;

// H.264 through x264 for an even-sized I420 picture: the fastest preset, which keeps up with 30
// frames a second on two cores, at a constant quality that keeps text sharp.
[[nodiscard]] std::variant<AVCodecContext*, std::string> open(int width, int height);

// A picture buffer the encoder accepts; nullptr when memory is short.
[[nodiscard]] AVFrame* makeFrame(const AVCodecContext& encoder);

} // namespace quillet::screencapture::VideoEncoder
