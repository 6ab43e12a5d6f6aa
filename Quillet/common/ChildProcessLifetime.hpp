#pragma once

#include <csignal>
#include <sys/types.h>

class QProcess;

namespace quillet {

// Every child process the program starts goes through here, so none outlives it: a crash, a
// SIGKILL or a logout ends the children too instead of leaving a capture tool or a settings
// reader running on its own.
struct ChildProcessLifetime {
    // Makes `process`, when started, die with the thread that starts it (start it from the main
    // thread), with SIGINT and SIGTERM at their defaults and unblocked whatever the program set.
    static void tieToProgram(QProcess& process);

    // What the child runs between fork and exec: asks for `deathSignal` (SIGKILL unless the child
    // has something to finish, as the recorder's movie) when its parent goes, and exits at once if
    // `parent` already went. Only async-signal-safe calls.
    static void tieToParent(pid_t parent, int deathSignal = SIGKILL) noexcept;

    // Deletes `process` once its child has ended: deleting it before would wait up to 30 s on the
    // calling thread for a child stuck in the kernel (a disk sync) that even a kill does not end.
    static void deleteWhenFinished(QProcess* process);
};

} // namespace quillet
