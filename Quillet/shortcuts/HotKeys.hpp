#pragma once

#include "core/CaptureAction.hpp"
#include "core/ShortcutMap.hpp"

#include <QString>

#include <functional>
#include <map>
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
    // The keys the desktop reports it holds for the actions, in its own words ("Shift+Meta+3"), where
    // the desktop binds the keys itself; empty for keys the program grabs.
    [[nodiscard]] virtual std::map<CaptureAction, QString> desktopTriggers() const { return {}; }
    // Called when `failed` or `desktopTriggers` changes by itself: a keyboard change took a hot key
    // away or gave it back, or the user changed a key in the desktop's settings. Hot keys whose state
    // never changes by itself (stand-ins, previews) need not keep it.
    virtual void setOnFailedChange(std::function<void()> changed) { (void)changed; }
};

} // namespace quillet
