#include "tests/screencapture/recording/RecordingTest.hpp"

#include "tests/support/WaitFor.hpp"

#include <csignal>
#include <filesystem>
#include <sstream>

namespace quillet::testing {

std::unique_ptr<ChildProcess>
RecordingTest::startRecording(const std::string& region, const std::vector<std::string>& extra,
                              const std::map<std::string, std::string>& environment)
{
    std::vector<std::string> command{toolPath(), "-v", "-x", "-R", region};
    command.insert(command.end(), extra.begin(), extra.end());
    command.push_back(moviePath());
    auto fullEnvironment = ChildProcess::baseEnvironment(display());
    fullEnvironment.insert(environment.begin(), environment.end());
    return std::make_unique<ChildProcess>(command, fullEnvironment);
}

bool RecordingTest::waitForFirstFrame() const
{
    return waitFor([this] {
        std::error_code error;
        return std::filesystem::file_size(moviePath(), error) > 0 && !error;
    });
}

std::string RecordingTest::problems(const std::string& standardError)
{
    std::istringstream lines(standardError);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        if (line.find(" frames lost (") == std::string::npos) {
            kept += line + "\n";
        }
    }
    return kept;
}

ChildProcess::Result RecordingTest::interrupt(ChildProcess& tool)
{
    tool.signal(SIGINT);
    return tool.wait(std::chrono::seconds(10));
}

} // namespace quillet::testing
