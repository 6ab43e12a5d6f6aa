#include "tools/screencapture/recording/StopSignal.hpp"

#include <csignal>
#include <pthread.h>

namespace quillet::screencapture::StopSignal {
namespace {

// The one process-wide flag a signal handler may touch.
volatile std::sig_atomic_t stopRequested = 0;

void raiseFlag(int)
{
    stopRequested = 1;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: the frame clock's sleep must return at once so the movie ends promptly.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

void install()
{
    setHandler(raiseFlag);
    // A parent may have started us with these signals blocked; they must reach us all the same.
    unblockInThisThread();
}

void uninstall()
{
    setHandler(SIG_DFL);
    if (stopRequested) {
        std::raise(SIGINT);
    }
}

bool isRequested()
{
    return stopRequested != 0;
}

void unblockInThisThread()
{
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void blockInThisThread()
{
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

} // namespace quillet::screencapture::StopSignal
