#pragma once

#include "Brindle/HotKeySystem.hpp"
#include "kit-core/Shortcut.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace brindle {

// The process-wide bridge between the desktop's hot-key service and the hot-key centres: it hands out
// hot-key numbers (from 1, never reused) and runs the handler registered under the number of a press.
// Main thread only.
class HotKeyDispatcher {
public:
    using Handler = std::function<void()>;

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
    // press would then start two actions.
    [[nodiscard]] std::optional<std::uint32_t> add(Shortcut shortcut, Handler handler);

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
    };

    [[nodiscard]] bool isHeld(Shortcut shortcut) const;

    std::unique_ptr<HotKeySystem> system_;
    std::map<std::uint32_t, Entry> entries_;
    std::uint32_t nextNumber_ = 1;
    bool handlerInstalled_ = false;
};

} // namespace brindle
