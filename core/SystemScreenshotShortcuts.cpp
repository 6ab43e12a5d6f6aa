#include "core/SystemScreenshotShortcuts.hpp"

#include <string>

namespace quillet::SystemScreenshotShortcuts {
namespace {

[[nodiscard]] bool isSwitchedOff(const brindle::PropertyList::Dictionary& table, int identifier)
{
    const auto entry = table.find(std::to_string(identifier));
    if (entry == table.end()) {
        return false;
    }
    const auto* fields = entry->second.get<brindle::PropertyList::Dictionary>();
    if (fields == nullptr) {
        return false;
    }
    const auto enabled = fields->find("enabled");
    if (enabled == fields->end()) {
        return false;
    }
    if (const bool* flag = enabled->second.get<bool>()) {
        return !*flag;
    }
    if (const std::int64_t* number = enabled->second.get<std::int64_t>()) {
        return *number == 0;
    }
    return false;
}

} // namespace

bool anyEnabled(const brindle::PropertyList::Dictionary& table)
{
    for (const int identifier : identifiers) {
        if (!isSwitchedOff(table, identifier)) {
            return true;
        }
    }
    return false;
}

} // namespace quillet::SystemScreenshotShortcuts
