// Opens a screen cast of the primary monitor through mutter's own interface (no chooser) and runs
// COMMAND with a connection to PipeWire as its descriptor 3, as the application runs the capture
// tool, each "{id}" in its arguments replaced by the node of the stream. After SECONDS it interrupts
// COMMAND and waits for it (at most 60 s, then kills it), and prints one line:
//   cpu <user + system seconds> stop <seconds from the interrupt to the end> status <exit status>
// For the benchmarks, inside tests/wayland/rig.sh:  CastRun SECONDS COMMAND [ARGUMENT...]
#include "tests/support/WaitFor.hpp"
#include "tests/wayland/MutterScreenCast.hpp"

#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using quillet::testing::MutterScreenCast;

constexpr auto endLimit = 60s;

pid_t start(std::vector<std::string> arguments, std::uint32_t node, int connection)
{
    for (std::string& argument : arguments) {
        for (auto at = argument.find("{id}"); at != std::string::npos; at = argument.find("{id}")) {
            argument.replace(at, 4, std::to_string(node));
        }
    }
    const pid_t child = fork();
    if (child != 0) {
        return child;
    }
    dup2(connection, 3);
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    signal(SIGINT, SIG_DFL);
    execvp(argv[0], argv.data());
    _exit(127);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: CastRun SECONDS COMMAND [ARGUMENT...]\n");
        return 2;
    }
    const auto seconds = std::chrono::milliseconds(long(std::atof(argv[1]) * 1000));
    MutterScreenCast cast;
    const auto node = cast.node();
    const int connection = MutterScreenCast::connectToPipeWire();
    if (!node || connection < 0) {
        std::fprintf(stderr, "CastRun: no screen cast from mutter\n");
        return 1;
    }
    const pid_t child = start(std::vector<std::string>(argv + 2, argv + argc), *node, connection);
    close(connection);
    quillet::testing::runEventLoop(seconds);
    const Clock::time_point interrupted = Clock::now();
    kill(child, SIGINT);
    int status = 0;
    rusage usage{};
    bool ended = quillet::testing::waitFor([&] { return wait4(child, &status, WNOHANG, &usage) == child; }, endLimit);
    if (!ended) {
        kill(child, SIGKILL);
        wait4(child, &status, 0, &usage);
    }
    const double stop = std::chrono::duration<double>(Clock::now() - interrupted).count();
    const auto secondsOf = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    std::printf("cpu %.3f stop %.3f status %d\n", secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime), stop,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}
