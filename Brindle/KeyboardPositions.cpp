#include "Brindle/KeyboardPositions.hpp"

#include "Brindle/AppInfo.hpp"
#include "kit-core/KeyPosition.hpp"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <memory>
#include <string>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace brindle {
namespace {

struct ContextDeleter {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct KeymapDeleter {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
using Context = std::unique_ptr<xkb_context, ContextDeleter>;
using Keymap = std::unique_ptr<xkb_keymap, KeymapDeleter>;

Keymap keymapFromX11Server(xkb_context* context)
{
#if QT_CONFIG(xcb)
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return nullptr;
    }
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr,
                                     nullptr)) {
        return nullptr;
    }
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device == -1) {
        return nullptr;
    }
    return Keymap(xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
#else
    (void)context;
    return nullptr;
#endif
}

Keymap keymapFromDefaultRules(xkb_context* context)
{
    return Keymap(xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

const Logger& logger()
{
    static const Logger instance = AppInfo::logger("keyboard");
    return instance;
}

} // namespace

KeyboardPositions KeyboardPositions::current()
{
    const Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context) {
        logger().error("could not create a keyboard context; shortcuts cannot be typed or registered");
        return {};
    }
    auto keymap = keymapFromX11Server(context.get());
    if (!keymap) {
        keymap = keymapFromDefaultRules(context.get());
    }
    if (!keymap) {
        logger().error("could not read the keyboard's keymap; shortcuts cannot be typed or registered");
        return {};
    }
    return KeyboardPositions(keymap.get());
}

KeyboardPositions KeyboardPositions::fromDefaultRules()
{
    const Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    const Keymap keymap = context ? keymapFromDefaultRules(context.get()) : nullptr;
    if (!keymap) {
        logger().error("could not compile the default keymap; shortcuts cannot be typed or registered");
        return {};
    }
    return KeyboardPositions(keymap.get());
}

KeyboardPositions::KeyboardPositions(xkb_keymap* keymap)
{
    // Looking each name up (rather than naming each key code) also resolves the keymap's aliases.
    for (const auto& [virtualCode, xkbName] : KeyPosition::all()) {
        const xkb_keycode_t native = xkb_keymap_key_by_name(keymap, std::string(xkbName).c_str());
        if (native == XKB_KEYCODE_INVALID) {
            continue;
        }
        toNative_.emplace(virtualCode, native);
        toVirtual_.emplace(native, virtualCode);
    }
}

std::optional<std::uint32_t> KeyboardPositions::virtualKeyCode(std::uint32_t nativeKeyCode) const
{
    const auto entry = toVirtual_.find(nativeKeyCode);
    if (entry == toVirtual_.end()) {
        return std::nullopt;
    }
    return entry->second;
}

std::optional<std::uint32_t> KeyboardPositions::nativeKeyCode(std::uint32_t virtualKeyCode) const
{
    const auto entry = toNative_.find(virtualKeyCode);
    if (entry == toNative_.end()) {
        return std::nullopt;
    }
    return entry->second;
}

} // namespace brindle
