#include "Quillet/common/ChildProcessLifetime.hpp"

#include "tests/support/WaitFor.hpp"

#include <QFile>
#include <QPointer>
#include <QProcess>

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillet {
namespace {

// Gone, or a zombie waiting for a parent that no longer waits.
bool hasEnded(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return true;
    }
    const QByteArray fields = status.readAll();
    return fields.mid(fields.lastIndexOf(')') + 2, 1) == "Z";
}

// A program (the middle process) starts a child tied to it, then dies without a word: the child,
// which would sleep for minutes, dies with it.
TEST(ChildProcessLifetime, AChildDiesWithTheProgramThatStartedIt)
{
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        const pid_t parent = ::getpid();
        const pid_t child = ::fork();
        if (child == 0) {
            ChildProcessLifetime::tieToParent(parent);
            ::execlp("sleep", "sleep", "300", static_cast<char*>(nullptr));
            ::_exit(1);
        }
        (void)!::write(pipeEnds[1], &child, sizeof child);
        ::usleep(100'000); // lets the child reach exec first in most runs; the test holds either way
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    pid_t child = 0;
    ASSERT_EQ(::read(pipeEnds[0], &child, sizeof child), static_cast<ssize_t>(sizeof child));
    ::close(pipeEnds[0]);
    ::waitpid(program, nullptr, 0);

    const bool ended = quillet::testing::waitFor([child] { return hasEnded(child); });
    if (!ended) {
        ::kill(child, SIGKILL);
    }
    EXPECT_TRUE(ended);
}

// A process object let go while its child still runs stays until the child ends: deleting it earlier
// would wait for the child on the main thread.
TEST(ChildProcessLifetime, AProcessIsDeletedOnlyOnceItsChildHasEnded)
{
    auto* process = new QProcess;
    process->start(QStringLiteral("sleep"), {QStringLiteral("300")});
    ASSERT_TRUE(process->waitForStarted());
    const auto child = pid_t(process->processId());
    const QPointer<QProcess> watched(process);

    ChildProcessLifetime::deleteWhenFinished(process);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched) << "deleted while its child ran";

    ::kill(child, SIGKILL);
    EXPECT_TRUE(quillet::testing::waitFor([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return watched.isNull();
    }));
}

} // namespace
} // namespace quillet
