#include "tests/support/XvfbServer.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillet::testing {
namespace {

constexpr int startTimeoutMs = 15000;

std::string readDisplayNumber(int fd)
{
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(startTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR) {
            return {};
        }
        if (ready <= 0) {
            continue;
        }
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n <= 0) {
            return {};
        }
        if (c == '\n') {
            return number;
        }
        number.push_back(c);
    }
    return {};
}

} // namespace

XvfbServer::XvfbServer(const std::string& screen, const std::vector<std::string>& extra)
{
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return;
    }
    if (child == 0) {
        close(fds[0]);
        // A test binary that is killed must not leave its server behind.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        std::vector<std::string> args{
            "Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten",
            "tcp",  "-noreset",   "+extension",           "RANDR"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        // Keep Xvfb's chatter out of the test output, and the server off the test's pipes: a server
        // holding them open would keep ctest waiting for a test that has ended.
        if (const int devNull = ::open("/dev/null", O_RDWR); devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(fds[1]);
    pid_ = child;
    const std::string number = readDisplayNumber(fds[0]);
    close(fds[0]);
    if (number.empty()) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return;
    }
    display_ = ":" + number;
}

XvfbServer::~XvfbServer()
{
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

} // namespace quillet::testing
