#pragma once

#include "kit-core/Preference.hpp"
#include "kit-core/PropertyList.hpp"

#include <optional>
#include <string_view>

namespace brindle {

// A key/value store of property-list values, at most one per key. Stores are shared objects: every
// component holding one sees the others' writes. Main thread only.
class PreferenceStore {
public:
    virtual ~PreferenceStore() = default;
    PreferenceStore(const PreferenceStore&) = delete;
    PreferenceStore& operator=(const PreferenceStore&) = delete;

    [[nodiscard]] virtual std::optional<PropertyList> object(std::string_view key) const = 0;
    // An absent value removes the key.
    virtual void set(std::optional<PropertyList> value, std::string_view key) = 0;

    // The stored value read as T, or the preference's default when it is absent or unreadable.
    // Reading never writes: a bad stored value stays until the next write.
    template <PreferenceValue T> [[nodiscard]] T read(const Preference<T>& preference) const
    {
        const auto stored = object(preference.key);
        if (!stored) {
            return preference.defaultValue;
        }
        auto value = fromPropertyList<T>(*stored);
        if (!value) {
            return preference.defaultValue;
        }
        return std::move(*value);
    }

    // Replaces the whole stored value, whatever its kind was; a value with no stored form (an absent
    // optional) removes the key.
    template <PreferenceValue T> void write(const Preference<T>& preference, const T& value)
    {
        set(propertyListValue(value), preference.key);
    }

protected:
    PreferenceStore() = default;
};

} // namespace brindle
