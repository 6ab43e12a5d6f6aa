#pragma once

#include "core/CaptureAction.hpp"
#include "core/ShortcutMap.hpp"

#include <functional>
#include <set>

namespace quillet {

// What the application state needs of the global hot keys of the capture actions.
class HotKeys {
public:
    using Action = std::function<void(CaptureAction)>;
    virtual ~HotKeys() = default;

    // Replaces every earlier registration by the map's shortcuts.
    virtual void registerShortcuts(const ShortcutMap& shortcuts) = 0;
    virtual void unregister() = 0;
    // The actions whose hot key the desktop refused at the last registration.
    [[nodiscard]] virtual std::set<CaptureAction> failed() const = 0;
    virtual void setOnPress(Action action) = 0;
    // Called when `failed` changes by itself: a keyboard change took a hot key away or gave it back.
    // Hot keys whose failures never change by themselves (stand-ins, previews) need not keep it.
    virtual void setOnFailedChange(std::function<void()> changed) { (void)changed; }
};

} // namespace quillet
