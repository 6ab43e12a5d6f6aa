#include "Brindle/NotificationObservation.hpp"
#include "Brindle/RepeatingTask.hpp"

#include "tests/support/WaitFor.hpp"

#include <QThread>

#include <atomic>
#include <gtest/gtest.h>
#include <memory>

namespace brindle {
namespace {

using namespace std::chrono_literals;
using quillet::testing::runEventLoop;
using quillet::testing::waitFor;

TEST(RepeatingTask, FirstRunsOneIntervalLaterThenRepeats)
{
    int runs = 0;
    RepeatingTask task(40ms, [&runs] { ++runs; });
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0) << "never at once";
    EXPECT_TRUE(waitFor([&runs] { return runs >= 3; }, 5s));
}

TEST(RepeatingTask, CancelAndReleaseBothStopTheRuns)
{
    int cancelledRuns = 0;
    RepeatingTask cancelled(20ms, [&cancelledRuns] { ++cancelledRuns; });
    int releasedRuns = 0;
    auto released = std::make_unique<RepeatingTask>(20ms, [&releasedRuns] { ++releasedRuns; });
    ASSERT_TRUE(waitFor([&] { return cancelledRuns >= 1 && releasedRuns >= 1; }, 5s));

    cancelled.cancel();
    released.reset();
    const int cancelledBefore = cancelledRuns;
    const int releasedBefore = releasedRuns;
    runEventLoop(150ms);
    EXPECT_TRUE(cancelled.isCancelled());
    EXPECT_EQ(cancelledRuns, cancelledBefore);
    EXPECT_EQ(releasedRuns, releasedBefore);
}

TEST(RepeatingTask, AnActionMayCancelItsOwnTask)
{
    int runs = 0;
    std::unique_ptr<RepeatingTask> task;
    task = std::make_unique<RepeatingTask>(10ms, [&] {
        ++runs;
        task->cancel();
    });
    ASSERT_TRUE(waitFor([&runs] { return runs == 1; }, 5s));
    runEventLoop(80ms);
    EXPECT_EQ(runs, 1);
}

class Emitter : public QObject {
    Q_OBJECT
signals:
    void happened(int value);
};

TEST(NotificationObservation, HandlerRunsOnTheMainThreadWhileTheTokenLives)
{
    Emitter emitter;
    std::atomic<int> total = 0;
    QThread* handlerThread = nullptr;
    auto token = std::make_unique<NotificationObservation>(&emitter, &Emitter::happened, [&](int value) {
        handlerThread = QThread::currentThread();
        total += value;
    });

    std::unique_ptr<QThread> worker(QThread::create([&emitter] { emit emitter.happened(5); }));
    worker->start();
    worker->wait();
    ASSERT_TRUE(waitFor([&total] { return total == 5; }, 5s));
    EXPECT_EQ(handlerThread, QThread::currentThread());

    // A delivery still queued when the token goes is dropped.
    std::unique_ptr<QThread> late(QThread::create([&emitter] { emit emitter.happened(100); }));
    late->start();
    late->wait();
    token.reset();
    emit emitter.happened(1000);
    runEventLoop(50ms);
    EXPECT_EQ(total, 5);
}

} // namespace
} // namespace brindle

#include "RepeatingTaskTests.moc"
