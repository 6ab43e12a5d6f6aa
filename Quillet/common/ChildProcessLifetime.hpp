#pragma once

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

    // What the child runs between fork and exec: asks for SIGKILL when its parent goes and exits
    // at once if `parent` already went. Only async-signal-safe calls.
    static void tieToParent(pid_t parent) noexcept;
};

} // namespace quillet
