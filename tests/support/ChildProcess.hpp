#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillet::testing {

// A program run by a test with exactly the environment it is given (nothing inherited), its
// standard error collected. Killed by its PID if still running when destroyed.
class ChildProcess {
public:
    struct Result {
        int exitCode = -1; // -1 when it did not end by itself in time or died of a signal
        std::string standardError;
    };

    // `descriptorThree`, when not -1, is what the program finds open as its descriptor 3.
    ChildProcess(const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment,
                 const std::string& standardInput = {}, int descriptorThree = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    [[nodiscard]] bool isRunning();
    [[nodiscard]] pid_t pid() const { return pid_; }
    // Sends `number` while the process runs; false once it has ended.
    bool signal(int number);
    Result wait(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // What it has written to standard error until now, while it runs.
    [[nodiscard]] std::string standardErrorSoFar() const;

    // Runs to the end.
    static Result run(const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& environment,
                      const std::string& standardInput = {},
                      std::chrono::milliseconds timeout = std::chrono::seconds(20));

    // PATH, HOME, a private XDG_RUNTIME_DIR and the sanitizer settings, plus DISPLAY when `display`
    // is not empty.
    static std::map<std::string, std::string> baseEnvironment(const std::string& display);
    // The base environment with a home of the test's own: HOME and the XDG configuration, data and cache
    // folders inside `home`, so the program under test neither reads nor writes the user's.
    static std::map<std::string, std::string> homeEnvironment(const std::string& display,
                                                              const std::string& home);

private:
    pid_t pid_ = -1;
    std::string errorPath_;
    std::optional<Result> result_;
};

} // namespace quillet::testing
