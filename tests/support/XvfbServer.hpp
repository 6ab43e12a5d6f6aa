#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace quillet::testing {

// A private X server for one test or one test binary. The display number is chosen by the server
// (-displayfd), so tests running side by side never collide; the server is stopped by its PID.
class XvfbServer {
public:
    // `screen` is WIDTHxHEIGHTxDEPTH; extra arguments go to Xvfb as they are.
    explicit XvfbServer(const std::string& screen = "1280x800x24",
                        const std::vector<std::string>& extra = {});
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    [[nodiscard]] bool isRunning() const { return pid_ > 0 && !display_.empty(); }
    // ":N", ready for DISPLAY.
    [[nodiscard]] const std::string& display() const { return display_; }
    [[nodiscard]] pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

} // namespace quillet::testing
