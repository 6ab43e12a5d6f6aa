#pragma once

#include <QObject>

#include <memory>

namespace brindle {

// Keeps a handler connected to a signal for as long as the token lives. The handler always runs on
// the thread that made the token (the main thread), whichever thread emits; destroying the token
// disconnects it and drops deliveries still queued for it.
class NotificationObservation {
public:
    template <typename Sender, typename Signal, typename Handler>
    NotificationObservation(const Sender* sender, Signal signal, Handler handler)
        : receiver_(std::make_unique<QObject>())
    {
        QObject::connect(sender, signal, receiver_.get(), std::move(handler));
    }
    NotificationObservation(const NotificationObservation&) = delete;
    NotificationObservation& operator=(const NotificationObservation&) = delete;

private:
    std::unique_ptr<QObject> receiver_;
};

} // namespace brindle
