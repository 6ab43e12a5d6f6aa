#pragma once

#include "kit-core/PropertyList.hpp"
#include "kit-core/RawValueCases.hpp"

#include <concepts>
#include <map>
#include <optional>
#include <string>

namespace brindle {

// How a value type is turned into its stored property-list form and back. Specialise it for a new
// value type with
//     static std::optional<PropertyList> propertyListValue(const T&);   // absent: nothing stored
//     static std::optional<T> fromPropertyList(const PropertyList&);    // absent: not readable as T
template <class T> struct PreferenceValueTraits;

template <class T>
concept PreferenceValue = requires(const T& value, const PropertyList& stored)
{
    {
        PreferenceValueTraits<T>::propertyListValue(value)
        } -> std::same_as<std::optional<PropertyList>>;
    {
        PreferenceValueTraits<T>::fromPropertyList(stored)
        } -> std::same_as<std::optional<T>>;
};

template <PreferenceValue T> [[nodiscard]] std::optional<PropertyList> propertyListValue(const T& value)
{
    return PreferenceValueTraits<T>::propertyListValue(value);
}

template <PreferenceValue T> [[nodiscard]] std::optional<T> fromPropertyList(const PropertyList& stored)
{
    return PreferenceValueTraits<T>::fromPropertyList(stored);
}

// Types stored as themselves; reading one succeeds exactly when the stored value has that kind
// (an integer is not read as a double, nor the other way round).
template <class T>
concept PropertyListPrimitive = std::same_as<T, bool> || std::same_as<T, std::int64_t> ||
    std::same_as<T, double> || std::same_as<T, std::string> || std::same_as<T, Bytes>;

template <PropertyListPrimitive T> struct PreferenceValueTraits<T> {
    static std::optional<PropertyList> propertyListValue(const T& value) { return PropertyList(value); }

    static std::optional<T> fromPropertyList(const PropertyList& stored)
    {
        if (const T* value = stored.get<T>()) {
            return *value;
        }
        return std::nullopt;
    }
};

// An absent value removes the key. A stored value that cannot be read as W makes the whole read fail,
// so the preference falls back to its default instead of reading as a present-but-empty value.
template <PreferenceValue W> struct PreferenceValueTraits<std::optional<W>> {
    static std::optional<PropertyList> propertyListValue(const std::optional<W>& value)
    {
        if (!value) {
            return std::nullopt;
        }
        return brindle::propertyListValue(*value);
    }

    static std::optional<std::optional<W>> fromPropertyList(const PropertyList& stored)
    {
        auto value = brindle::fromPropertyList<W>(stored);
        if (!value) {
            return std::nullopt;
        }
        return std::optional<W>(std::move(*value));
    }
};

// Entries that cannot be stored are left out; entries that cannot be read are dropped, so one bad
// entry costs only itself.
template <PreferenceValue V> struct PreferenceValueTraits<std::map<std::string, V>> {
    static std::optional<PropertyList> propertyListValue(const std::map<std::string, V>& value)
    {
        PropertyList::Dictionary stored;
        for (const auto& [key, entry] : value) {
            if (auto storedEntry = brindle::propertyListValue(entry)) {
                stored.emplace(key, std::move(*storedEntry));
            }
        }
        return PropertyList(std::move(stored));
    }

    static std::optional<std::map<std::string, V>> fromPropertyList(const PropertyList& stored)
    {
        const auto* dictionary = stored.get<PropertyList::Dictionary>();
        if (!dictionary) {
            return std::nullopt;
        }
        std::map<std::string, V> value;
        for (const auto& [key, storedEntry] : *dictionary) {
            if (auto entry = brindle::fromPropertyList<V>(storedEntry)) {
                value.emplace(key, std::move(*entry));
            }
        }
        return value;
    }
};

template <RawValueEnumeration E> struct PreferenceValueTraits<E> {
    static std::optional<PropertyList> propertyListValue(const E& value)
    {
        return PropertyList(std::string(rawValue(value)));
    }

    static std::optional<E> fromPropertyList(const PropertyList& stored)
    {
        const auto* raw = stored.get<std::string>();
        if (!raw) {
            return std::nullopt;
        }
        return fromRawValue<E>(*raw);
    }
};

} // namespace brindle
