#pragma once

#include <QRect>

#include <cstdint>
#include <functional>
#include <optional>

namespace quillet {

// Where a recording's pictures come from on a desktop that shows the screen to no client but through
// its screen cast (Wayland): the cast the area selector opened and chose a monitor of, held open until
// the recording ends.
class CastFeed {
public:
    struct Stream {
        int descriptor = -1; // the cast's PipeWire connection, close-on-exec
        std::uint32_t node = 0;
        QRect crop; // in the stream's pixels; empty for the whole stream
    };

    virtual ~CastFeed() = default;

    // The stream chosen for the recording that starts now; the caller owns its descriptor. Nothing
    // when none was chosen (the cast failed or was closed meanwhile).
    [[nodiscard]] virtual std::optional<Stream> take() = 0;
    // The recording ended: the cast goes, and the desktop's sharing indicator with it.
    virtual void close() = 0;
    // Runs on the main thread when the desktop ends the cast (the user stopped sharing).
    virtual void setOnClosed(std::function<void()> closed) = 0;
};

} // namespace quillet
