#include "Brindle/RepeatingTask.hpp"

#include <QTimer>

namespace brindle {

RepeatingTask::RepeatingTask(std::chrono::milliseconds interval, std::function<void()> action)
    : timer_(std::make_unique<QTimer>())
{
    // A coarse timer may fire up to 5 % late, within the tenth of an interval a repeating task allows.
    timer_->setTimerType(Qt::CoarseTimer);
    timer_->setInterval(interval);
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this, action = std::move(action)] {
        if (!isCancelled()) {
            action();
        }
    });
    timer_->start();
}

RepeatingTask::~RepeatingTask() = default;

void RepeatingTask::cancel()
{
    timer_->stop();
}

bool RepeatingTask::isCancelled() const
{
    return !timer_->isActive();
}

} // namespace brindle
