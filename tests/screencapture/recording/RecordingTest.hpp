#pragma once

#include "tests/screencapture/CaptureToolTest.hpp"
#include "tests/screencapture/recording/MovieProbe.hpp"

#include <chrono>
#include <map>
#include <memory>

namespace quillet::testing {

// Runs the capture tool's recording mode on a private X server and stops it as the application does.
class RecordingTest : public CaptureToolTest {
protected:
    using Clock = std::chrono::steady_clock;

    // "-v -x -R region [extra...] movie"
    std::unique_ptr<ChildProcess> startRecording(const std::string& region,
                                                 const std::vector<std::string>& extra = {},
                                                 const std::map<std::string, std::string>& environment = {});

    // True once the movie has been started on disk, which the tool does with its first frame.
    [[nodiscard]] bool waitForFirstFrame() const;

    // Interrupts the tool and waits for it to end.
    static ChildProcess::Result interrupt(ChildProcess& tool);

    // Standard error without the report of frames lost to a busy machine, which tests cannot rule out.
    [[nodiscard]] static std::string problems(const std::string& standardError);

    [[nodiscard]] std::string moviePath() const { return outputPath("movie.mov"); }
};

} // namespace quillet::testing
