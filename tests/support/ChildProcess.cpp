#include "tests/support/ChildProcess.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quillet::testing {
namespace {

constexpr auto pollInterval = std::chrono::milliseconds(5);

std::string makeTemporaryFile(const std::string& stem, const std::string& contents)
{
    std::string path = "/tmp/" + stem + "-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) {
        return {};
    }
    if (!contents.empty() && write(fd, contents.data(), contents.size()) != ssize_t(contents.size())) {
        path.clear();
    }
    close(fd);
    return path;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

[[noreturn]] void execChild(const std::vector<std::string>& arguments,
                            const std::map<std::string, std::string>& env, int input, int error,
                            int descriptorThree)
{
    const int output = ::open("/dev/null", O_WRONLY);
    if (input < 0 || error < 0 || output < 0) {
        _exit(126);
    }
    dup2(input, STDIN_FILENO);
    dup2(output, STDOUT_FILENO);
    dup2(error, STDERR_FILENO);
    // Once the standard three are in place, as the others may have been opened as descriptor 3.
    if (descriptorThree == 3) {
        fcntl(3, F_SETFD, 0);
    } else if (descriptorThree >= 0) {
        dup2(descriptorThree, 3);
    }
    std::vector<std::string> pairs;
    for (const auto& [name, value] : env) {
        pairs.push_back(name + "=" + value);
    }
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (const auto& a : arguments) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    for (const auto& p : pairs) {
        envp.push_back(const_cast<char*>(p.c_str()));
    }
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    // A child of a test must react to interrupts whatever the test runner ignores.
    signal(SIGINT, SIG_DFL);
    if (const auto path = env.find("PATH"); path != env.end()) {
        setenv("PATH", path->second.c_str(), 1);
    }
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
}

// Standard input from a file that is gone once opened, or from /dev/null.
int openInput(const std::string& contents)
{
    if (contents.empty()) {
        return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    }
    const std::string path = makeTemporaryFile("quillet-test-stdin", contents);
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (!path.empty()) {
        unlink(path.c_str());
    }
    return fd;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment,
                           const std::string& standardInput, int descriptorThree)
{
    errorPath_ = makeTemporaryFile("quillet-test-stderr", {});
    const int input = openInput(standardInput);
    const int error = ::open(errorPath_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    pid_ = fork();
    if (pid_ == 0) {
        execChild(arguments, environment, input, error, descriptorThree);
    }
    if (input >= 0) {
        close(input);
    }
    if (error >= 0) {
        close(error);
    }
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0 && !result_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (!errorPath_.empty()) {
        unlink(errorPath_.c_str());
    }
}

bool ChildProcess::isRunning()
{
    if (pid_ <= 0 || result_) {
        return false;
    }
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == 0) {
        return true;
    }
    result_ = Result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(errorPath_)};
    return false;
}

bool ChildProcess::signal(int number)
{
    return isRunning() && kill(pid_, number) == 0;
}

ChildProcess::Result ChildProcess::wait(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (isRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(pollInterval);
    }
    if (isRunning()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        result_ = Result{-1, readFile(errorPath_)};
    }
    return *result_;
}

std::string ChildProcess::standardErrorSoFar() const
{
    return result_ ? result_->standardError : readFile(errorPath_);
}

ChildProcess::Result ChildProcess::run(const std::vector<std::string>& arguments,
                                       const std::map<std::string, std::string>& environment,
                                       const std::string& standardInput, std::chrono::milliseconds timeout)
{
    ChildProcess process(arguments, environment, standardInput);
    return process.wait(timeout);
}

std::map<std::string, std::string> ChildProcess::baseEnvironment(const std::string& display)
{
    static const std::string runtimeDirectory = [] {
        std::string path = "/tmp/quillet-test-runtime-XXXXXX";
        return mkdtemp(path.data()) ? path : std::string("/tmp");
    }();
    const char* path = std::getenv("PATH");
    const char* home = std::getenv("HOME");
    std::map<std::string, std::string> environment{
        {"PATH", path ? path : "/usr/local/bin:/usr/bin:/bin"},
        {"HOME", home ? home : "/tmp"},
        {"XDG_RUNTIME_DIR", runtimeDirectory},
    };
    if (!display.empty()) {
        environment["DISPLAY"] = display;
    }
    // A sanitized build's programs keep the test run's sanitizer settings (suppressions above all).
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            environment[name] = value;
        }
    }
    return environment;
}

std::map<std::string, std::string> ChildProcess::homeEnvironment(const std::string& display,
                                                                 const std::string& home)
{
    auto environment = baseEnvironment(display);
    environment["HOME"] = home;
    environment["XDG_CONFIG_HOME"] = home + "/.config";
    environment["XDG_DATA_HOME"] = home + "/.local/share";
    environment["XDG_CACHE_HOME"] = home + "/.cache";
    return environment;
}

} // namespace quillet::testing
