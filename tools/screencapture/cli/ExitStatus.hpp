#pragma once

#include <cstdio>
#include <string>

namespace quillet::screencapture {

// The caller only relies on the file being there or not; the statuses are for people and tests.
enum class ExitStatus {
    success = 0,   // the file was written, or the user cancelled a pick (no file)
    failure = 1,   // the capture or the file failed at run time (no file)
    usage = 2,     // the command line is wrong (no file)
    noDisplay = 3, // no X11 display to capture (no file)
};

[[nodiscard]] constexpr int code(ExitStatus status)
{
    return static_cast<int>(status);
}

// Every problem is one line on standard error, named after the tool; returns `status`.
inline ExitStatus reported(ExitStatus status, const std::string& message)
{
    std::fprintf(stderr, "quillet-screencapture: %s\n", message.c_str());
    return status;
}

} // namespace quillet::screencapture
