#pragma once

#include "Brindle/HotKeyDispatcher.hpp"
#include "kit-core/Shortcut.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace brindle {

// One client's set of global hot keys, each registered for an identifier: a press of a hot key calls
// `onPress` with its identifier. Main thread only. The keys are given back when the centre goes.
template <typename ID> class HotKeyCenter {
public:
    using Action = std::function<void(const ID&)>;

    explicit HotKeyCenter(HotKeyDispatcher& dispatcher = HotKeyDispatcher::shared())
        : dispatcher_(&dispatcher), onPress_(std::make_shared<Action>([](const ID&) {}))
    {
    }
    ~HotKeyCenter() { unregister(); }
    HotKeyCenter(const HotKeyCenter&) = delete;
    HotKeyCenter& operator=(const HotKeyCenter&) = delete;

    void setOnPress(Action action) { *onPress_ = std::move(action); }
    // Called whenever `failed` changes without a call to register: a keyboard change took a hot key
    // away or gave it back.
    void setOnFailedChange(std::function<void()> changed) { onFailedChange_ = std::move(changed); }

    // Replaces this centre's hot keys by `shortcuts` (pairs of identifier and Shortcut). A shortcut
    // without command, option or control is skipped: neither registered nor failed. One the desktop
    // refuses goes into `failed`; the others are registered all the same.
    template <typename Shortcuts> void registerShortcuts(const Shortcuts& shortcuts)
    {
        unregister();
        for (const auto& [id, shortcut] : shortcuts) {
            if (!Shortcut(shortcut).isValid()) {
                continue;
            }
            const auto number = dispatcher_->add(shortcut, handler(id), availability(id));
            if (number) {
                ids_[id] = *number;
            } else {
                failed_.insert(id);
            }
        }
    }

    void unregister()
    {
        for (const auto& entry : ids_) {
            dispatcher_->remove(entry.second);
        }
        ids_.clear();
        failed_.clear();
    }

    [[nodiscard]] bool isRegistered() const { return !ids_.empty(); }

    // The identifiers whose hot key the desktop refused at the last registration.
    [[nodiscard]] const std::unordered_set<ID>& failed() const { return failed_; }

    // The hot-key number of each registered identifier.
    [[nodiscard]] const std::unordered_map<ID, std::uint32_t>& ids() const { return ids_; }

private:
    // Holds the centre's action weakly: a press that arrives after the centre is gone does nothing.
    [[nodiscard]] HotKeyDispatcher::Handler handler(const ID& id) const
    {
        return [weakAction = std::weak_ptr<Action>(onPress_), id] {
            const auto action = weakAction.lock();
            if (!action) {
                return;
            }
            // A copy, so that the action may replace itself while it runs.
            const Action run = *action;
            run(id);
        };
    }

    // The dispatcher drops the entry when the centre unregisters, so `this` outlives every call.
    [[nodiscard]] HotKeyDispatcher::Availability availability(const ID& id)
    {
        return [this, id](bool held) {
            const bool changed = held ? failed_.erase(id) > 0 : failed_.insert(id).second;
            if (changed && onFailedChange_) {
                const auto notify = onFailedChange_;
                notify();
            }
        };
    }

    HotKeyDispatcher* dispatcher_;
    std::shared_ptr<Action> onPress_;
    std::function<void()> onFailedChange_;
    std::unordered_map<ID, std::uint32_t> ids_;
    std::unordered_set<ID> failed_;
};

} // namespace brindle
