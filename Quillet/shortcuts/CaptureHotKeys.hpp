#pragma once

#include "Brindle/HotKeyCenter.hpp"
#include "Quillet/shortcuts/HotKeys.hpp"

namespace quillet {

// The capture actions' global hot keys, through the kit's hot-key centre.
class CaptureHotKeys final : public HotKeys {
public:
    explicit CaptureHotKeys(brindle::HotKeyDispatcher& dispatcher = brindle::HotKeyDispatcher::shared())
        : centre_(dispatcher)
    {
    }

    void registerShortcuts(const ShortcutMap& shortcuts) override
    {
        centre_.registerShortcuts(shortcuts.shortcuts);
    }
    void unregister() override { centre_.unregister(); }
    [[nodiscard]] std::set<CaptureAction> failed() const override
    {
        return {centre_.failed().begin(), centre_.failed().end()};
    }
    void setOnPress(Action action) override { centre_.setOnPress(std::move(action)); }
    void setOnFailedChange(std::function<void()> changed) override
    {
        centre_.setOnFailedChange(std::move(changed));
    }

private:
    brindle::HotKeyCenter<CaptureAction> centre_;
};

} // namespace quillet
