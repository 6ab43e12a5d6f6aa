#pragma once

#include <QObject>

namespace quillet {

// The background tasks (encoding, writing, loading a capture) started and not yet finished on the main
// thread: what quitting waits for. Main thread only.
class BackgroundWork : public QObject {
    Q_OBJECT

public:
    [[nodiscard]] static BackgroundWork& instance();

    void begin() { ++pending_; }
    void end()
    {
        if (--pending_ == 0) {
            emit idle();
        }
    }
    [[nodiscard]] int pending() const { return pending_; }

signals:
    // The last task in flight has finished.
    void idle();

private:
    int pending_ = 0;
};

} // namespace quillet
