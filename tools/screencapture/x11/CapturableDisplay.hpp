#pragma once

#include "tools/screencapture/cli/ExitStatus.hpp"
#include "tools/screencapture/x11/XDisplay.hpp"

#include <memory>
#include <variant>

namespace quillet::screencapture {

// The connection to an X server whose pixels the tool can read; otherwise the problem, already
// reported on standard error, as the status to exit with.
[[nodiscard]] std::variant<std::unique_ptr<XDisplay>, ExitStatus> openCapturableDisplay();

} // namespace quillet::screencapture
