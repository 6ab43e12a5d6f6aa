#pragma once

#include "tests/support/ChildProcess.hpp"

#include <QProcessEnvironment>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quillet::testing {

// The program, started with the rig's whole environment (its display, bus and runtime folder).
inline std::unique_ptr<ChildProcess> startProgram(const std::vector<std::string>& arguments)
{
    std::map<std::string, std::string> environment;
    const QProcessEnvironment inherited = QProcessEnvironment::systemEnvironment();
    for (const QString& name : inherited.keys()) {
        environment[name.toStdString()] = inherited.value(name).toStdString();
    }
    const char* binaries = std::getenv("QUILLET_BIN_DIR");
    std::vector<std::string> command{std::string(binaries ? binaries : "bin") + "/quillet"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return std::make_unique<ChildProcess>(command, environment);
}

} // namespace quillet::testing
