#pragma once

#include <chrono>

namespace quillet {

// A wall-clock reading on the Gregorian calendar, 24-hour clock, whole seconds.
struct LocalDateTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // Splits a count of seconds whose epoch is local midnight of 1970-01-01 (an instant shifted by its
    // zone's offset) into calendar fields.
    [[nodiscard]] static LocalDateTime fromLocalSeconds(std::chrono::sys_seconds local)
    {
        const auto days = std::chrono::floor<std::chrono::days>(local);
        const std::chrono::year_month_day date{days};
        const std::chrono::hh_mm_ss time{local - days};
        return {static_cast<int>(date.year()),
                static_cast<int>(unsigned(date.month())),
                static_cast<int>(unsigned(date.day())),
                static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count())};
    }

    friend constexpr bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

} // namespace quillet
