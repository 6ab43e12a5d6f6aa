#include "Quillet/app/QuitOnSignal.hpp"

#include "Brindle/AppInfo.hpp"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quillet {
namespace {

constexpr std::array quitSignals{SIGTERM, SIGINT, SIGHUP};

// The pipe the handler writes into: the only state a signal handler may touch.
int signalPipe[2] = {-1, -1};

extern "C" void noteSignal(int number)
{
    const int savedError = errno;
    const auto byte = static_cast<unsigned char>(number);
    // A full pipe already holds a quit; losing this byte loses nothing.
    (void)!write(signalPipe[1], &byte, 1);
    errno = savedError;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : quitSignals) {
        sigaction(number, &action, nullptr);
    }
}

} // namespace

QuitOnSignal::QuitOnSignal(Quit quit, QObject* parent) : QObject(parent), quit_(std::move(quit))
{
    if (signalPipe[0] >= 0 || pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        brindle::AppInfo::logger("app").error("could not watch for quit signals: %{public}s",
                                              std::strerror(errno));
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitOnSignal::readSignals);
    setHandler(&noteSignal);
}

QuitOnSignal::~QuitOnSignal()
{
    if (!notifier_) {
        return;
    }
    setHandler(SIG_DFL);
    notifier_.reset();
    close(signalPipe[0]);
    close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void QuitOnSignal::readSignals()
{
    std::array<unsigned char, 16> received{};
    const ssize_t count = read(signalPipe[0], received.data(), received.size());
    if (count <= 0) {
        return;
    }
    const int number = received[static_cast<std::size_t>(count) - 1];
    brindle::AppInfo::logger("app").log("quitting on signal %d (%{public}s)", number, strsignal(number));
    quit_(number);
}

} // namespace quillet
