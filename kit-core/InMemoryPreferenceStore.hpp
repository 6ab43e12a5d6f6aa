#pragma once

#include "kit-core/PreferenceStore.hpp"

namespace brindle {

// A store that lives only as long as the object: previews and view snapshots use an empty one, so
// every read yields the default and nothing touches the user's settings.
class InMemoryPreferenceStore : public PreferenceStore {
public:
    explicit InMemoryPreferenceStore(PropertyList::Dictionary values = {}) : values_(std::move(values)) {}

    [[nodiscard]] std::optional<PropertyList> object(std::string_view key) const override;
    void set(std::optional<PropertyList> value, std::string_view key) override;

    [[nodiscard]] const PropertyList::Dictionary& values() const { return values_; }

private:
    PropertyList::Dictionary values_;
};

} // namespace brindle
