#pragma once

#include <chrono>

namespace quillet::GracefulQuit {

// How long quitting waits for saves in flight: long enough for a large still on a slow disk, short
// enough for a logout.
constexpr std::chrono::milliseconds saveWaitLimit{4000};

// Quits the application once the background work in flight (a still being encoded and written) has
// finished, or at `limit`, whichever comes first. The event loop runs meanwhile, so a save's last
// steps on the main thread still happen.
void quitAfterSaves(std::chrono::milliseconds limit = saveWaitLimit);

// Whether a background thread is still at work: the process's exit would wait for it without limit.
[[nodiscard]] bool threadsStillWorking();

} // namespace quillet::GracefulQuit
