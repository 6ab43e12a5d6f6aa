#pragma once

#include "kit-core/Shortcut.hpp"

#include <cstdint>
#include <functional>

namespace brindle {

// The desktop's global hot-key service as the dispatcher needs it: a combination is held under a
// number, and a press of it is reported back with that number. Main thread only.
class HotKeySystem {
public:
    using Press = std::function<void(std::uint32_t number)>;
    // A combination held under `number` was lost (`held` false) or taken again (`held` true) without a
    // call to grab: a keyboard change moved its key or its lock bits.
    using Availability = std::function<void(std::uint32_t number, bool held)>;

    virtual ~HotKeySystem() = default;

    // Starts listening for presses, which go to `press` from then on. False when the desktop offers no
    // global hot keys (no X server); it may be tried again later.
    virtual bool install(Press press) = 0;

    // Takes the combination for this process under `number`. False when the desktop refuses it (another
    // program holds it, the key is not on this keyboard, there are no global hot keys); nothing is held then.
    [[nodiscard]] virtual bool grab(std::uint32_t number, Shortcut shortcut) = 0;

    // Gives back what `grab` took under `number`; a number that holds nothing is ignored.
    virtual void ungrab(std::uint32_t number) = 0;

    // Where changes of availability go from now on. A system whose grabs never change ignores it.
    virtual void setOnAvailability(Availability availability) { (void)availability; }
};

} // namespace brindle
