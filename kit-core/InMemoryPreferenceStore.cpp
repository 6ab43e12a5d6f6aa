#include "kit-core/InMemoryPreferenceStore.hpp"

namespace brindle {

std::optional<PropertyList> InMemoryPreferenceStore::object(std::string_view key) const
{
    const auto entry = values_.find(key);
    if (entry == values_.end()) {
        return std::nullopt;
    }
    return entry->second;
}

void InMemoryPreferenceStore::set(std::optional<PropertyList> value, std::string_view key)
{
    if (!value) {
        if (const auto entry = values_.find(key); entry != values_.end()) {
            values_.erase(entry);
        }
        return;
    }
    values_.insert_or_assign(std::string(key), std::move(*value));
}

} // namespace brindle
