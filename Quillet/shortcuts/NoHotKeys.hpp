#pragma once

#include "Quillet/shortcuts/HotKeys.hpp"

namespace quillet {

// The hot keys of a preview, and of a session whose desktop gives programs no global keys (the user
// binds `quillet --action` there instead): none is registered, so none is ever refused.
class NoHotKeys final : public HotKeys {
public:
    void registerShortcuts(const ShortcutMap&) override {}
    void unregister() override {}
    [[nodiscard]] std::set<CaptureAction> failed() const override { return {}; }
    void setOnPress(Action) override {}
};

} // namespace quillet
