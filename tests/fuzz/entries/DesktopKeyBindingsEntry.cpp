#include "core/DesktopKeyBindings.hpp"

#include "tests/fuzz/FuzzEntries.hpp"

namespace quillet::fuzz {

void desktopKeyBindings(Bytes data)
{
    const std::string_view listing(reinterpret_cast<const char*>(data.data()), data.size());
    const auto bound = DesktopKeyBindings::boundShortcuts(listing);
    (void)DesktopKeyBindings::symbolicHotKeys(bound);
    for (const auto& accelerator : DesktopKeyBindings::accelerators(listing)) {
        (void)DesktopKeyBindings::shortcut(accelerator);
    }
}

} // namespace quillet::fuzz
