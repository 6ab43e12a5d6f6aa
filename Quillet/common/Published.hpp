#pragma once

#include <utility>

namespace quillet {

// Stores `value` in a published field; whether it changed, so that the owner announces only
// real changes.
template <typename Value> [[nodiscard]] bool assignIfChanged(Value& field, Value value)
{
    if (field == value) {
        return false;
    }
    field = std::move(value);
    return true;
}

} // namespace quillet
