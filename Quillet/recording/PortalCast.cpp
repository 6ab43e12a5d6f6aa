#include "Quillet/recording/PortalCast.hpp"

#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/common/CaptureLog.hpp"

#include <unistd.h>

namespace quillet {

PortalCast::PortalCast(std::unique_ptr<ScreenCastSession> session, TakeFrames takeFrames, QObject* parent)
    : QObject(parent), session_(std::move(session)), takeFrames_(std::move(takeFrames))
{
    connect(session_.get(), &ScreenCastSession::closedByDesktop, this, [this] {
        captureLog().log("the desktop ended the screen cast");
        dropChosen();
        dropSpare();
        if (onClosed_) {
            onClosed_();
        }
    });
}

PortalCast::~PortalCast()
{
    dropChosen();
    dropSpare();
}

void PortalCast::open(Opened opened)
{
    close();
    const int generation = generation_;
    session_->start([this, generation, opened = std::move(opened)](
                        Outcome<std::vector<ScreenCastSession::Stream>> streams, bool cancelled) mutable {
        if (!streams.isSuccess()) {
            opened(Outcome<std::vector<Monitor>>::failure(streams.error()), cancelled);
            return;
        }
        session_->openRemote([this, generation, streams = streams.value(),
                              opened = std::move(opened)](Outcome<int> descriptor) mutable {
            if (generation != generation_) {
                if (descriptor.isSuccess()) {
                    ::close(descriptor.value());
                }
                return;
            }
            if (!descriptor.isSuccess()) {
                close();
                opened(Outcome<std::vector<Monitor>>::failure(descriptor.error()), false);
                return;
            }
            session_->openRemote([this, generation](Outcome<int> spare) {
                if (!spare.isSuccess()) {
                    return;
                }
                if (generation != generation_ || spare_) {
                    ::close(spare.value());
                    return;
                }
                spare_ = spare.value();
            });
            std::vector<std::uint32_t> nodes;
            for (const auto& stream : streams) {
                nodes.push_back(stream.node);
            }
            runInBackground(
                this, [take = takeFrames_, fd = descriptor.value(), nodes] { return take(fd, nodes); },
                [this, generation, streams, opened = std::move(opened)](std::vector<QImage> frames) {
                    if (generation != generation_) {
                        return;
                    }
                    std::vector<Monitor> monitors;
                    for (std::size_t index = 0; index < streams.size(); ++index) {
                        monitors.push_back(
                            {streams[index], index < frames.size() ? frames[index] : QImage()});
                    }
                    opened(std::move(monitors), false);
                });
        });
    });
}

void PortalCast::choose(std::uint32_t node, QRect crop, Chosen chosen)
{
    dropChosen();
    if (spare_) {
        chosen_ = Stream{*std::exchange(spare_, std::nullopt), node, crop};
        chosen(true);
        return;
    }
    const int generation = generation_;
    session_->openRemote([this, generation, node, crop, chosen = std::move(chosen)](Outcome<int> descriptor) {
        if (generation != generation_) {
            if (descriptor.isSuccess()) {
                ::close(descriptor.value());
            }
            chosen(Outcome<bool>::failure(QStringLiteral("the screen cast was closed")));
            return;
        }
        if (!descriptor.isSuccess()) {
            chosen(Outcome<bool>::failure(descriptor.error()));
            return;
        }
        chosen_ = Stream{descriptor.value(), node, crop};
        chosen(true);
    });
}

std::optional<CastFeed::Stream> PortalCast::take()
{
    return std::exchange(chosen_, std::nullopt);
}

void PortalCast::close()
{
    ++generation_;
    dropChosen();
    dropSpare();
    session_->close();
}

void PortalCast::dropChosen()
{
    if (chosen_) {
        ::close(chosen_->descriptor);
        chosen_.reset();
    }
}

void PortalCast::dropSpare()
{
    if (spare_) {
        ::close(*spare_);
        spare_.reset();
    }
}

} // namespace quillet
