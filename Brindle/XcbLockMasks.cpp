#include "Brindle/XcbLockMasks.hpp"

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace brindle {
namespace {

constexpr xcb_keysym_t numLockKeysym = 0xff7f;
constexpr xcb_keysym_t scrollLockKeysym = 0xff14;
constexpr int modifierCount = 8;

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
struct KeySymbolsDeleter {
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};

// The modifier bit whose keys include one that produces `keysym`; 0 when there is none.
std::uint16_t maskOf(xcb_keysym_t keysym, xcb_key_symbols_t* symbols,
                     const xcb_get_modifier_mapping_reply_t& mapping)
{
    const std::unique_ptr<xcb_keycode_t, FreeDeleter> keyCodes(xcb_key_symbols_get_keycode(symbols, keysym));
    if (!keyCodes) {
        return 0;
    }
    const xcb_keycode_t* modifierKeys = xcb_get_modifier_mapping_keycodes(&mapping);
    const int perModifier = mapping.keycodes_per_modifier;
    for (int modifier = 0; modifier < modifierCount; ++modifier) {
        for (int slot = 0; slot < perModifier; ++slot) {
            const xcb_keycode_t held = modifierKeys[modifier * perModifier + slot];
            if (held == XCB_NO_SYMBOL) {
                continue;
            }
            for (const xcb_keycode_t* code = keyCodes.get(); *code != XCB_NO_SYMBOL; ++code) {
                if (*code == held) {
                    return static_cast<std::uint16_t>(1U << modifier);
                }
            }
        }
    }
    return 0;
}

} // namespace

XcbLockMasks XcbLockMasks::read(xcb_connection_t* connection)
{
    const std::unique_ptr<xcb_get_modifier_mapping_reply_t, FreeDeleter> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    const std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter> symbols(xcb_key_symbols_alloc(connection));
    if (!mapping || !symbols) {
        return {};
    }
    XcbLockMasks masks;
    masks.numLock = maskOf(numLockKeysym, symbols.get(), *mapping);
    masks.scrollLock = maskOf(scrollLockKeysym, symbols.get(), *mapping);
    // A lock that shares Caps Lock's bit, or the other lock's, adds no variant of its own.
    if (masks.numLock == capsLock) {
        masks.numLock = 0;
    }
    if (masks.scrollLock == capsLock || masks.scrollLock == masks.numLock) {
        masks.scrollLock = 0;
    }
    return masks;
}

std::vector<std::uint16_t> XcbLockMasks::variants() const
{
    std::vector<std::uint16_t> result{0};
    for (const std::uint16_t lock : {capsLock, numLock, scrollLock}) {
        if (lock == 0) {
            continue;
        }
        const std::size_t count = result.size();
        for (std::size_t index = 0; index < count; ++index) {
            result.push_back(static_cast<std::uint16_t>(result[index] | lock));
        }
    }
    return result;
}

} // namespace brindle
