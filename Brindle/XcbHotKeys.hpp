#pragma once

#include "Brindle/HotKeySystem.hpp"
#include "Brindle/KeyRepeatFilter.hpp"
#include "Brindle/KeyboardPositions.hpp"
#include "Brindle/XcbLockMasks.hpp"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

class QObject;
struct xcb_connection_t;

namespace brindle {

// Global hot keys on X11: passive key grabs on the root window over Qt's own connection, one per
// lock-key variant, checked at once so a combination another client holds is refused on the spot.
// The key is found by its position on the keyboard; command is the Super key (Mod4), option Alt (Mod1).
// Presses arrive through Qt's native event filter; events that are not ours pass on. Without an X
// server (Wayland, offscreen) nothing is installed and every grab is refused.
class XcbHotKeys final : public HotKeySystem, private QAbstractNativeEventFilter {
public:
    XcbHotKeys();
    ~XcbHotKeys() override;
    XcbHotKeys(const XcbHotKeys&) = delete;
    XcbHotKeys& operator=(const XcbHotKeys&) = delete;

    bool install(Press press) override;
    [[nodiscard]] bool grab(std::uint32_t number, Shortcut shortcut) override;
    void ungrab(std::uint32_t number) override;
    void setOnAvailability(Availability availability) override { availability_ = std::move(availability); }

    // The X modifier bits of a shortcut's modifiers.
    [[nodiscard]] static std::uint16_t xModifiers(std::uint32_t shortcutModifiers);

private:
    struct Combination {
        std::uint8_t keyCode = 0;
        std::uint16_t modifiers = 0;
    };
    struct Grab {
        Shortcut shortcut;
        // What the server holds for us; absent when a keyboard change left the combination refused.
        std::optional<Combination> held;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    [[nodiscard]] bool handlePress(const void* event);
    [[nodiscard]] bool handleRelease(const void* event);
    [[nodiscard]] bool isKeyboardChange(const void* event) const;

    [[nodiscard]] std::optional<Combination> combination(Shortcut shortcut) const;
    [[nodiscard]] bool grabEveryVariant(Combination combination);
    void ungrabEveryVariant(Combination combination);
    void readKeyboard();
    void scheduleRegrab();
    void regrabAll();
    [[nodiscard]] bool grabsChangeWith(const XcbLockMasks& oldLocks) const;
    void applicationGone();

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint8_t xkbFirstEvent_ = 0; // 0 when the server has no keyboard extension
    Press press_;
    Availability availability_;
    std::optional<KeyboardPositions> positions_;
    XcbLockMasks locks_;
    std::map<std::uint32_t, Grab> grabs_;
    KeyRepeatFilter repeats_;
    // Deferred work (reported presses, regrabs) runs in this object's context, so nothing is left
    // pending once the hot keys are gone.
    std::unique_ptr<QObject> context_;
    bool regrabPending_ = false;
};

} // namespace brindle
