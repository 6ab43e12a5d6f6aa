#pragma once

#include <QObject>

#include <memory>

namespace quillet {

// The background tasks (encoding, writing, loading a capture) started and not yet finished on the main
// thread: what quitting waits for. Main thread only.
class BackgroundWork : public QObject {
    Q_OBJECT

public:
    [[nodiscard]] static BackgroundWork& instance();

    // One task from its making until released or until its last owner lets it go, whichever comes
    // first: work whose callback is dropped unrun (its owner destroyed mid-way) still ends.
    class Hold {
    public:
        Hold() { instance().begin(); }
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

        void release();

    private:
        bool released_ = false;
    };
    [[nodiscard]] static std::shared_ptr<Hold> hold() { return std::make_shared<Hold>(); }

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
