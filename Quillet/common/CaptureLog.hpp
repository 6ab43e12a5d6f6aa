#pragma once

#include "Brindle/Logger.hpp"

namespace quillet {

// The "capture" log category, where every step of a capture, a save and a recording is told.
[[nodiscard]] const brindle::Logger& captureLog();

} // namespace quillet
