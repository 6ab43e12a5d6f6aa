#pragma once

#include <chrono>
#include <functional>
#include <memory>

class QTimer;

namespace brindle {

// Runs an action on the main thread every `interval`, the first time one interval after creation,
// never at once. The token owns the timer: cancelling or destroying it stops the runs for good.
// Create and destroy it on the main thread.
class RepeatingTask {
public:
    RepeatingTask(std::chrono::milliseconds interval, std::function<void()> action);
    ~RepeatingTask();
    RepeatingTask(const RepeatingTask&) = delete;
    RepeatingTask& operator=(const RepeatingTask&) = delete;

    void cancel();
    [[nodiscard]] bool isCancelled() const;

private:
    std::unique_ptr<QTimer> timer_;
};

} // namespace brindle
