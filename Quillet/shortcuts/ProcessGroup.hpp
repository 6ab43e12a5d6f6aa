#pragma once

class QProcess;

// A helper program started in a process group of its own, which dies with this program: whatever it
// starts in turn goes with it when the group is killed.
namespace quillet::ProcessGroup {

// Call before `start`.
void prepare(QProcess& process);

// Kills the whole group at once; a process that never started or already ended is left alone.
void kill(QProcess& process);

} // namespace quillet::ProcessGroup
