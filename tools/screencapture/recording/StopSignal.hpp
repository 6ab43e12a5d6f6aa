#pragma once

namespace quillet::screencapture::StopSignal {

// SIGINT and SIGTERM only raise a flag from here on. Called first thing in main(): the program that
// runs the tool interrupts it to stop a recording, and an interrupt that came before the handler
// would kill the tool and lose the movie.
void install();

// Puts the default dispositions back, for the modes that have nothing to finish when interrupted.
void uninstall();

[[nodiscard]] bool isRequested();

// Keeps the two signals away from the calling thread (and the threads it starts afterwards), so
// they interrupt the thread that sleeps between frames instead. One that comes meanwhile waits.
void blockInThisThread();
void unblockInThisThread();

} // namespace quillet::screencapture::StopSignal
