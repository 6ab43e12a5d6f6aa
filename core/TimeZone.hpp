#pragma once

#include "core/LocalDateTime.hpp"

#include <chrono>

namespace quillet {

// The rules that turn an instant into the wall-clock time of a place, daylight saving included.
class TimeZone {
public:
    virtual ~TimeZone() = default;

    // Fractions of a second are dropped (toward the past, also before 1970).
    [[nodiscard]] virtual LocalDateTime
    localDateTime(std::chrono::system_clock::time_point instant) const = 0;
};

} // namespace quillet
