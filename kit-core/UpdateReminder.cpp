#include "kit-core/UpdateReminder.hpp"

#include <chrono>
#include <cmath>

namespace brindle {

UpdateReminder::UpdateReminder(std::shared_ptr<PreferenceStore> store, std::string_view version, Date now)
    : store_(std::move(store))
{
    if (store_->read(versionPreference) == version) {
        const auto start = since();
        if (start && *start <= now) {
            return;
        }
    }
    store_->write(versionPreference, std::optional<std::string>(version));
    restart(now);
}

std::optional<UpdateReminder::Date> UpdateReminder::since() const
{
    const auto start = store_->read(sincePreference);
    // A stored NaN would compare false against every time and keep the reminder from ever coming due.
    if (start && !std::isfinite(*start)) {
        return std::nullopt;
    }
    return start;
}

void UpdateReminder::restart(Date at)
{
    store_->write(sincePreference, std::optional<Date>(at));
}

bool UpdateReminder::isDue(Date now) const
{
    const auto start = since();
    return start && now - *start >= interval;
}

UpdateReminder::Date UpdateReminder::systemNow()
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<Date>(sinceEpoch).count();
}

} // namespace brindle
