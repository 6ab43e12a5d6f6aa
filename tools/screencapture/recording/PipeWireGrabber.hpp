#pragma once

#include "tools/screencapture/recording/FrameSource.hpp"
#include "tools/screencapture/x11/PixelRect.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace quillet::screencapture {

// The pictures of one screen cast stream, in shared memory, read on PipeWire's own thread: each
// picture that comes replaces the one before (only the area the movie shows is copied), and every
// grab takes the newest. A still screen sends nothing, so a grab then repeats the last picture.
class PipeWireGrabber final : public FrameSource {
public:
    struct Connection {
        int descriptor = -1;           // taken over whatever happens
        std::uint32_t node = 0;        // the stream to read
        std::optional<PixelRect> area; // in the stream's pixels; the whole picture without it
    };

    // Connects and starts the stream; the reason on failure.
    [[nodiscard]] static std::variant<std::unique_ptr<PipeWireGrabber>, std::string>
    connect(const Connection& connection);
    ~PipeWireGrabber() override;

    struct FirstPicture {
        enum class Outcome { came, stopped, failed };
        Outcome outcome = Outcome::failed;
        PixelRect area; // what the movie shows, in the stream's pixels, once one came
        std::string reason;
    };

    // Waits for the first picture, until a stop signal, or a limit: a stream that has sent nothing a
    // while after it started is paused and started again once, which makes a compositor that
    // lost its first picture send one more.
    [[nodiscard]] FirstPicture awaitFirstPicture();

    // Pictures that came, and those of them a newer one replaced before any frame took them.
    struct PictureCounts {
        std::uint64_t came = 0;
        std::uint64_t replaced = 0;
    };
    [[nodiscard]] PictureCounts pictureCounts() const;

    [[nodiscard]] Grab grab() override;
    void drawPointer(const Bitmap& frame) override;

    struct Shared;

private:
    PipeWireGrabber();

    std::unique_ptr<Shared> shared_;
};

} // namespace quillet::screencapture
