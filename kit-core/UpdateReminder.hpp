#pragma once

#include "kit-core/Preference.hpp"
#include "kit-core/PreferenceStore.hpp"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brindle {

// The program never goes online, so it reminds the user every 30 days to look for a new version. The
// clock lives in the preference store and restarts when a different version runs, when the user acts
// on the reminder, and when the stored start lies in the future (a clock set back).
class UpdateReminder {
public:
    using Date = double; // seconds since 1970-01-01 00:00 UTC

    static constexpr Date interval = 2'592'000; // 30 days, in seconds

    inline static const Preference<std::optional<std::string>> versionPreference{"updateReminderVersion",
                                                                                 std::nullopt};
    inline static const Preference<std::optional<Date>> sincePreference{"updateReminderSince", std::nullopt};

    // Starts the clock at `now` unless it already runs for `version` since a moment not later than now.
    UpdateReminder(std::shared_ptr<PreferenceStore> store, std::string_view version, Date now);

    // When the clock last started; absent when nothing usable is stored.
    [[nodiscard]] std::optional<Date> since() const;

    void restart(Date at);

    // Due from exactly `interval` seconds after the start on; never without a start.
    [[nodiscard]] bool isDue(Date now) const;

    // The system clock as a Date.
    [[nodiscard]] static Date systemNow();

private:
    std::shared_ptr<PreferenceStore> store_;
};

} // namespace brindle
