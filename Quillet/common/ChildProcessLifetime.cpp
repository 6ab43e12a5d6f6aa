#include "Quillet/common/ChildProcessLifetime.hpp"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace quillet {
namespace {

// The status of a child whose parent was gone before it could tie itself to it.
constexpr int orphanedStatus = 127;

} // namespace

void ChildProcessLifetime::tieToProgram(QProcess& process)
{
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] { tieToParent(parent); });
}

void ChildProcessLifetime::deleteWhenFinished(QProcess* process)
{
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
}

void ChildProcessLifetime::tieToParent(pid_t parent, int deathSignal) noexcept
{
    ::prctl(PR_SET_PDEATHSIG, deathSignal);
    // The parent may have died between fork and prctl: then no signal comes.
    if (::getppid() != parent) {
        ::_exit(orphanedStatus);
    }
    // Dispositions and the mask are inherited: an interrupt must still stop the tool.
    for (const int signal : {SIGINT, SIGTERM}) {
        ::signal(signal, SIG_DFL);
    }
    sigset_t stops;
    ::sigemptyset(&stops);
    ::sigaddset(&stops, SIGINT);
    ::sigaddset(&stops, SIGTERM);
    ::sigprocmask(SIG_UNBLOCK, &stops, nullptr);
}

} // namespace quillet
