#pragma once

#include "core/TimeZone.hpp"

namespace quillet {

// The user's current time zone as the C library sees it (TZ, else /etc/localtime), re-read on every
// call so that a zone changed while the program runs is used for the next name.
class SystemTimeZone final : public TimeZone {
public:
    [[nodiscard]] LocalDateTime localDateTime(std::chrono::system_clock::time_point instant) const override;
};

} // namespace quillet
