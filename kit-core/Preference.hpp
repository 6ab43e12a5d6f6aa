#pragma once

#include "kit-core/PreferenceValue.hpp"

#include <string>

namespace brindle {

// A typed key of a preference store. `defaultValue` is what a read yields when the key is absent or
// its stored value cannot be read as T.
template <PreferenceValue T> struct Preference {
    Preference(std::string key, T defaultValue) : key(std::move(key)), defaultValue(std::move(defaultValue))
    {
    }

    const std::string key;
    const T defaultValue;
};

} // namespace brindle
