#pragma once

#include "Brindle/HotKeySystem.hpp"
#include "kit-core/Shortcut.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>

namespace brindle {

// The process-wide bridge between the desktop's hot-key service and the hot-key centres: it hands out
// hot-key numbers (from 1, never reused) and runs the handler registered under the number of a press.
// Main thread only.
class HotKeyDispatcher {
public:
    using Handler = std::function<void()>;
    // Called with false when a keyboard change took the combination away, with true when it came back.
    using Availability = std::function<void(bool held)>;

    explicit HotKeyDispatcher(std::unique_ptr<HotKeySystem> system);
    ~HotKeyDispatcher();
    HotKeyDispatcher(const HotKeyDispatcher&) = delete;
    HotKeyDispatcher& operator=(const HotKeyDispatcher&) = delete;

    // The process's dispatcher over the desktop's own hot-key service, made on first use and kept until
    // the process ends.
    [[nodiscard]] static HotKeyDispatcher& shared();

    // Spends the next number on `shortcut` and, when the desktop grants the combination, runs `handler`
    // for each press of it. The number when granted; nothing when refused. A combination that this
    // process already holds is refused too: the desktop would grant it twice without a word, and one
    // press would then start two actions. A refusal is logged once for each combination, until the
    // combination is granted again.
    [[nodiscard]] std::optional<std::uint32_t> add(Shortcut shortcut, Handler handler,
                                                   Availability availability = {});

    // Gives the combination back; a number without an entry is ignored.
    void remove(std::uint32_t number);

    // Runs the handler of `number`; a number without an entry is ignored.
    void fire(std::uint32_t number);

    [[nodiscard]] std::uint32_t nextNumber() const { return nextNumber_; }
    [[nodiscard]] bool isHandlerInstalled() const { return handlerInstalled_; }

private:
    struct Entry {
        Shortcut shortcut;
        Handler handler;
        Availability availability;
    };

    [[nodiscard]] bool isHeld(Shortcut shortcut) const;
    void availabilityChanged(std::uint32_t number, bool held);
    void noteRefusal(Shortcut shortcut);

    std::unique_ptr<HotKeySystem> system_;
    std::map<std::uint32_t, Entry> entries_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> reportedRefusals_; // key code and modifiers
    std::uint32_t nextNumber_ = 1;
    bool handlerInstalled_ = false;
};

} // namespace brindle
