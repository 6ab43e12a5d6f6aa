#include "core/SystemTimeZone.hpp"

#include <ctime>
#include <limits>
#include <time.h>

namespace quillet {

LocalDateTime SystemTimeZone::localDateTime(std::chrono::system_clock::time_point instant) const
{
    const auto seconds = std::chrono::floor<std::chrono::seconds>(instant);
    const auto count = seconds.time_since_epoch().count();
    std::tm fields{};
    const bool fitsTimeT =
        count >= std::numeric_limits<std::time_t>::min() && count <= std::numeric_limits<std::time_t>::max();
    const auto time = static_cast<std::time_t>(count);
    ::tzset();
    if (!fitsTimeT || ::localtime_r(&time, &fields) == nullptr) {
        // Out of the C library's range: universal time is better than no name at all.
        return LocalDateTime::fromLocalSeconds(seconds);
    }
    return {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
            fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

} // namespace quillet
