#pragma once

#include "Quillet/shortcuts/HotKeys.hpp"

#include <optional>
#include <utility>
#include <vector>

namespace quillet::testing {

// Global hot keys as the desktop would hold them; `refused` is what the desktop turns down.
class FakeHotKeys final : public HotKeys {
public:
    void registerShortcuts(const ShortcutMap& shortcuts) override
    {
        registrations.push_back(shortcuts);
        registered = shortcuts;
    }
    void unregister() override
    {
        ++unregistrations;
        registered.reset();
    }
    [[nodiscard]] std::set<CaptureAction> failed() const override { return refused; }
    void setOnPress(Action action) override { onPress = std::move(action); }
    void setOnFailedChange(std::function<void()> changed) override { onFailedChange = std::move(changed); }

    std::vector<ShortcutMap> registrations;
    int unregistrations = 0;
    // The map held now: the latest registration, none once unregistered.
    std::optional<ShortcutMap> registered;
    std::set<CaptureAction> refused;
    Action onPress;
    std::function<void()> onFailedChange;
};

} // namespace quillet::testing
