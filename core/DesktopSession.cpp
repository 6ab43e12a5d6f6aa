#include "core/DesktopSession.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <string_view>

namespace quillet {
namespace {

[[nodiscard]] std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

[[nodiscard]] std::string lowered(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// The first name of the list that is known wins, as desktops list themselves before what they derive from.
[[nodiscard]] DesktopSession::Desktop desktopOf(std::string_view currentDesktop)
{
    using Desktop = DesktopSession::Desktop;
    constexpr std::array known{
        std::pair{std::string_view("gnome"), Desktop::gnome},
        std::pair{std::string_view("kde"), Desktop::kde},
        std::pair{std::string_view("sway"), Desktop::wlroots},
        std::pair{std::string_view("wlroots"), Desktop::wlroots},
        std::pair{std::string_view("hyprland"), Desktop::wlroots},
        std::pair{std::string_view("river"), Desktop::wlroots},
        std::pair{std::string_view("wayfire"), Desktop::wlroots},
    };
    const std::string names = lowered(currentDesktop);
    std::size_t start = 0;
    while (start <= names.size()) {
        const std::size_t end = std::min(names.find(':', start), names.size());
        const std::string_view name = std::string_view(names).substr(start, end - start);
        for (const auto& [knownName, desktop] : known) {
            if (name == knownName) {
                return desktop;
            }
        }
        start = end + 1;
    }
    return Desktop::other;
}

[[nodiscard]] DesktopSession::Kind kindOf(const SessionEnvironment& environment)
{
    using Kind = DesktopSession::Kind;
    const std::string type = lowered(environment.sessionType);
    const bool hasX = !environment.display.empty();
    if (type == "x11") {
        return hasX ? Kind::x11 : Kind::none;
    }
    if (type == "wayland" || !environment.waylandDisplay.empty()) {
        return hasX ? Kind::waylandWithXWayland : Kind::waylandOnly;
    }
    return hasX ? Kind::x11 : Kind::none;
}

} // namespace

SessionEnvironment SessionEnvironment::ofProcess()
{
    return {.sessionType = variable("XDG_SESSION_TYPE"),
            .waylandDisplay = variable("WAYLAND_DISPLAY"),
            .display = variable("DISPLAY"),
            .currentDesktop = variable("XDG_CURRENT_DESKTOP")};
}

DesktopSession DesktopSession::detect(const SessionEnvironment& environment)
{
    return {.kind = kindOf(environment), .desktop = desktopOf(environment.currentDesktop)};
}

std::string_view DesktopSession::portalScreenshotProgram() const
{
    if (!isWayland()) {
        return {};
    }
    switch (desktop) {
    case Desktop::wlroots:
        return "grim";
    case Desktop::gnome:
    case Desktop::kde:
    case Desktop::other:
        return {};
    }
    return {};
}

DesktopRoutes DesktopSession::routes(const PortalOffer& offer) const
{
    switch (kind) {
    case Kind::x11:
        return {CaptureRoute::x11, ShortcutRoute::x11HotKeys};
    case Kind::waylandWithXWayland:
    case Kind::waylandOnly:
        return {offer.screenCast || offer.screenshot ? CaptureRoute::portal : CaptureRoute::none,
                offer.globalShortcuts ? ShortcutRoute::globalShortcutsPortal : ShortcutRoute::desktopBinding};
    case Kind::none:
        return {CaptureRoute::none, ShortcutRoute::desktopBinding};
    }
    return {CaptureRoute::none, ShortcutRoute::desktopBinding};
}

} // namespace quillet
