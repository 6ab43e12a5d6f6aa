#include "Quillet/shortcuts/ProcessGroup.hpp"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace quillet::ProcessGroup {

void prepare(QProcess& process)
{
    // Runs in the child between fork and exec: only async-signal-safe calls.
    process.setChildProcessModifier([] {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
}

void kill(QProcess& process)
{
    const qint64 pid = process.processId();
    if (pid <= 0 || process.state() == QProcess::NotRunning) {
        return;
    }
    ::kill(static_cast<pid_t>(-pid), SIGKILL);
}

} // namespace quillet::ProcessGroup
