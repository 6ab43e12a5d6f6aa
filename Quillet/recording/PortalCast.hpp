#pragma once

#include "Quillet/common/Outcome.hpp"
#include "Quillet/common/ScreenCastSession.hpp"
#include "Quillet/recording/CastFeed.hpp"

#include <QImage>
#include <QObject>

#include <cstdint>
#include <functional>
#include <vector>

namespace quillet {

// The desktop portal's screen cast that one recording uses from the area selector to its end: opened
// with the restore token the stills keep (so the user chooses the monitors once for both), a frame of
// every monitor for the selector, then the chosen monitor's stream for the capture tool. Main thread
// only.
class PortalCast final : public QObject, public CastFeed {
    Q_OBJECT

public:
    // One frame of each stream in `nodes` from the PipeWire connection `descriptor`, which it takes
    // over; a null image for a stream that gave none. Blocks: run off the main thread.
    using TakeFrames =
        std::function<std::vector<QImage>(int descriptor, const std::vector<std::uint32_t>& nodes)>;

    struct Monitor {
        ScreenCastSession::Stream stream;
        QImage frame; // null when the stream sent none in time
    };
    using Opened = std::function<void(Outcome<std::vector<Monitor>> monitors, bool cancelledByUser)>;
    using Chosen = std::function<void(Outcome<bool> ready)>;

    PortalCast(std::unique_ptr<ScreenCastSession> session, TakeFrames takeFrames, QObject* parent = nullptr);
    ~PortalCast() override;

    // Starts the cast (closing one still open) and takes a frame of every monitor.
    void open(Opened opened);
    // The recording will show `crop` of the stream `node`, through the connection opened while the
    // selector showed, else one opened now.
    void choose(std::uint32_t node, QRect crop, Chosen chosen);

    [[nodiscard]] std::optional<Stream> take() override;
    void close() override;
    void setOnClosed(std::function<void()> closed) override { onClosed_ = std::move(closed); }

private:
    void dropChosen();
    void dropSpare();

    std::unique_ptr<ScreenCastSession> session_;
    TakeFrames takeFrames_;
    std::optional<Stream> chosen_;
    // The recording's own connection, asked for while the frames are read, so a choice starts the
    // capture tool without another round trip to the desktop.
    std::optional<int> spare_;
    std::function<void()> onClosed_;
    int generation_ = 0; // answers for an earlier opening are dropped
};

} // namespace quillet
