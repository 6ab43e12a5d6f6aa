#include "Brindle/XcbHotKeys.hpp"

#include "Brindle/AppInfo.hpp"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/xcb.h>

namespace brindle {
namespace {

constexpr std::uint8_t eventTypeMask = 0x7f; // clears the "sent by a client" bit
constexpr std::uint16_t modifierBits = 0xff; // Shift, Lock, Control, Mod1…Mod5; not the buttons
// The keyboard extension's own event numbers (its C header cannot be compiled as C++).
constexpr std::uint8_t xkbNewKeyboardNotify = 0;
constexpr std::uint8_t xkbMapNotify = 1;
constexpr char xkbExtensionName[] = "XKEYBOARD";

const Logger& logger()
{
    static const Logger instance = AppInfo::logger("hot-keys");
    return instance;
}

xcb_connection_t* qtConnection()
{
    const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const auto* x11 =
        application ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::uint8_t xkbFirstEvent(xcb_connection_t* connection)
{
    const auto cookie = xcb_query_extension(connection, std::strlen(xkbExtensionName), xkbExtensionName);
    xcb_query_extension_reply_t* reply = xcb_query_extension_reply(connection, cookie, nullptr);
    const std::uint8_t firstEvent = reply && reply->present ? reply->first_event : 0;
    std::free(reply);
    return firstEvent;
}

} // namespace

XcbHotKeys::XcbHotKeys() : context_(std::make_unique<QObject>()) {}

XcbHotKeys::~XcbHotKeys()
{
    if (connection_ == nullptr) {
        return;
    }
    for (const auto& entry : grabs_) {
        if (entry.second.held) {
            ungrabEveryVariant(*entry.second.held);
        }
    }
    xcb_flush(connection_);
}

bool XcbHotKeys::install(Press press)
{
    if (connection_ != nullptr) {
        return true;
    }
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr) {
        // Said once: every registration tries again.
        static const bool said = [] {
            logger().error("global shortcuts need an X11 session; they are off on this desktop");
            return true;
        }();
        (void)said;
        return false;
    }
    connection_ = connection;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xkbFirstEvent_ = xkbFirstEvent(connection);
    press_ = std::move(press);
    readKeyboard();
    QCoreApplication::instance()->installNativeEventFilter(this);
    // Qt's connection closes with the application; nothing may be sent on it after that.
    QObject::connect(QCoreApplication::instance(), &QObject::destroyed, context_.get(),
                     [this] { applicationGone(); });
    return true;
}

bool XcbHotKeys::grab(std::uint32_t number, Shortcut shortcut)
{
    if (connection_ == nullptr) {
        return false;
    }
    const auto wanted = combination(shortcut);
    if (!wanted || !grabEveryVariant(*wanted)) {
        return false;
    }
    grabs_[number] = Grab{shortcut, wanted};
    return true;
}

void XcbHotKeys::ungrab(std::uint32_t number)
{
    const auto entry = grabs_.find(number);
    if (entry == grabs_.end()) {
        return;
    }
    if (entry->second.held && connection_ != nullptr) {
        ungrabEveryVariant(*entry->second.held);
        xcb_flush(connection_);
    }
    grabs_.erase(entry);
}

std::uint16_t XcbHotKeys::xModifiers(std::uint32_t shortcutModifiers)
{
    std::uint16_t result = 0;
    if ((shortcutModifiers & Shortcut::commandMask) != 0) {
        result |= XCB_MOD_MASK_4;
    }
    if ((shortcutModifiers & Shortcut::shiftMask) != 0) {
        result |= XCB_MOD_MASK_SHIFT;
    }
    if ((shortcutModifiers & Shortcut::optionMask) != 0) {
        result |= XCB_MOD_MASK_1;
    }
    if ((shortcutModifiers & Shortcut::controlMask) != 0) {
        result |= XCB_MOD_MASK_CONTROL;
    }
    return result;
}

bool XcbHotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
    if (eventType != "xcb_generic_event_t" || connection_ == nullptr) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & eventTypeMask) {
    case XCB_KEY_PRESS:
        return handlePress(event);
    case XCB_KEY_RELEASE:
        return handleRelease(event);
    default:
        break;
    }
    if (isKeyboardChange(event)) {
        scheduleRegrab();
    }
    return false;
}

bool XcbHotKeys::handlePress(const void* message)
{
    // A window of ours that grabbed the keyboard (the tray panel's pop-up) gets the press instead of
    // the root: it is the hot key all the same. While a shortcut is typed into the panel nothing is
    // grabbed, so such a press reaches the panel.
    const auto& event = *static_cast<const xcb_key_press_event_t*>(message);
    const auto modifiers = static_cast<std::uint16_t>(event.state & modifierBits & ~locks_.all());
    for (const auto& [number, grab] : grabs_) {
        if (!grab.held || grab.held->keyCode != event.detail || grab.held->modifiers != modifiers) {
            continue;
        }
        if (repeats_.isNewPress(event.detail, event.time)) {
            // Not from inside the event filter: the action may open dialogs with event loops of their own.
            QTimer::singleShot(0, context_.get(), [this, pressed = number] { press_(pressed); });
        }
        return true;
    }
    return false;
}

bool XcbHotKeys::handleRelease(const void* message)
{
    const auto& event = *static_cast<const xcb_key_release_event_t*>(message);
    if (!repeats_.isDown(event.detail)) {
        return false;
    }
    // A window of ours that grabbed the keyboard while the hot key was held (the recording overlay)
    // gets its release instead of the root; the key is up all the same, or its next press would pass
    // for a repeat and be lost.
    repeats_.released(event.detail, event.time);
    return event.event == root_;
}

bool XcbHotKeys::isKeyboardChange(const void* message) const
{
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & eventTypeMask;
    if (type == XCB_MAPPING_NOTIFY) {
        return static_cast<const xcb_mapping_notify_event_t*>(message)->request != XCB_MAPPING_POINTER;
    }
    if (xkbFirstEvent_ == 0 || type != xkbFirstEvent_) {
        return false;
    }
    // Every keyboard-extension event shares one type; the second byte says which one it is.
    const std::uint8_t xkbType = event->pad0;
    return xkbType == xkbNewKeyboardNotify || xkbType == xkbMapNotify;
}

std::optional<XcbHotKeys::Combination> XcbHotKeys::combination(Shortcut shortcut) const
{
    const auto keyCode = positions_ ? positions_->nativeKeyCode(shortcut.keyCode) : std::nullopt;
    if (!keyCode || *keyCode > 0xff) {
        return std::nullopt;
    }
    return Combination{static_cast<std::uint8_t>(*keyCode), xModifiers(shortcut.modifiers)};
}

bool XcbHotKeys::grabEveryVariant(Combination combination)
{
    const std::vector<std::uint16_t> variants = locks_.variants();
    std::vector<xcb_void_cookie_t> cookies;
    cookies.reserve(variants.size());
    // All requests first, then the answers: one round trip for the whole set. The grab reports to the
    // root window even while one of our own windows has the focus, so the hot key works there too.
    for (const std::uint16_t lock : variants) {
        cookies.push_back(xcb_grab_key_checked(connection_, 0, root_, combination.modifiers | lock,
                                               combination.keyCode, XCB_GRAB_MODE_ASYNC,
                                               XCB_GRAB_MODE_ASYNC));
    }
    std::vector<std::uint16_t> granted;
    bool refused = false;
    for (std::size_t index = 0; index < cookies.size(); ++index) {
        xcb_generic_error_t* error = xcb_request_check(connection_, cookies[index]);
        if (error != nullptr) {
            refused = true;
            std::free(error);
        } else {
            granted.push_back(variants[index]);
        }
    }
    if (!refused) {
        return true;
    }
    // Half a hot key would fire only with some locks on: give back the variants we did get.
    for (const std::uint16_t lock : granted) {
        xcb_ungrab_key(connection_, combination.keyCode, root_, combination.modifiers | lock);
    }
    xcb_flush(connection_);
    return false;
}

void XcbHotKeys::ungrabEveryVariant(Combination combination)
{
    for (const std::uint16_t lock : locks_.variants()) {
        xcb_ungrab_key(connection_, combination.keyCode, root_, combination.modifiers | lock);
    }
}

void XcbHotKeys::readKeyboard()
{
    positions_ = KeyboardPositions::current();
    locks_ = XcbLockMasks::read(connection_);
}

void XcbHotKeys::scheduleRegrab()
{
    if (regrabPending_) {
        return;
    }
    regrabPending_ = true;
    // A keyboard change comes as a burst of notifications; one regrab after the burst is enough.
    QTimer::singleShot(0, context_.get(), [this] { regrabAll(); });
}

void XcbHotKeys::regrabAll()
{
    regrabPending_ = false;
    if (connection_ == nullptr) {
        return;
    }
    const XcbLockMasks oldLocks = locks_;
    readKeyboard();
    // Typing through another input device also announces a new keyboard; most announcements change
    // nothing that was grabbed, and then the grabs stay as they are.
    if (!grabsChangeWith(oldLocks)) {
        return;
    }
    // The old grabs are given back under the lock bits they were made with. A key held right now
    // keeps its active grab, and its release still comes here.
    const XcbLockMasks newLocks = locks_;
    locks_ = oldLocks;
    for (const auto& entry : grabs_) {
        if (entry.second.held) {
            ungrabEveryVariant(*entry.second.held);
        }
    }
    locks_ = newLocks;
    std::vector<std::pair<std::uint32_t, bool>> changes;
    for (auto& [number, grab] : grabs_) {
        const bool wasHeld = grab.held.has_value();
        grab.held = combination(grab.shortcut);
        if (grab.held && !grabEveryVariant(*grab.held)) {
            grab.held.reset();
        }
        if (!grab.held && wasHeld) {
            logger().error("shortcut %{public}s is no longer available after the keyboard changed",
                           grab.shortcut.displayString());
        }
        if (grab.held.has_value() != wasHeld) {
            changes.emplace_back(number, grab.held.has_value());
        }
    }
    xcb_flush(connection_);
    // After the loop: the receiver may ungrab, which changes the grabs.
    for (const auto& [number, held] : changes) {
        if (availability_) {
            availability_(number, held);
        }
    }
}

bool XcbHotKeys::grabsChangeWith(const XcbLockMasks& oldLocks) const
{
    if (!(locks_ == oldLocks)) {
        return true;
    }
    for (const auto& entry : grabs_) {
        const auto now = combination(entry.second.shortcut);
        const auto& held = entry.second.held;
        if (now.has_value() != held.has_value()) {
            return true;
        }
        if (now && (now->keyCode != held->keyCode || now->modifiers != held->modifiers)) {
            return true;
        }
    }
    return false;
}

void XcbHotKeys::applicationGone()
{
    connection_ = nullptr;
    grabs_.clear();
}

} // namespace brindle
