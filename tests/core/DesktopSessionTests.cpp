#include "core/DesktopSession.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using Kind = DesktopSession::Kind;
using Desktop = DesktopSession::Desktop;

struct SessionCase {
    const char* name;
    SessionEnvironment environment;
    PortalOffer offer;
    DesktopSession expected;
    DesktopRoutes routes;
    // What the portal runs for a screenshot and the desktop's package may lack.
    std::string_view screenshotProgram = "";

    friend void PrintTo(const SessionCase& c, std::ostream* out) { *out << c.name; }
};

class DesktopSessionDetect : public testing::TestWithParam<SessionCase> {};

TEST_P(DesktopSessionDetect, GivesTheKindAndTheRoutesThatWork)
{
    const auto& c = GetParam();
    const DesktopSession session = DesktopSession::detect(c.environment);
    EXPECT_EQ(session, c.expected) << c.name;
    EXPECT_EQ(session.routes(c.offer), c.routes) << c.name;
    EXPECT_EQ(session.portalScreenshotProgram(), c.screenshotProgram) << c.name;
}

constexpr PortalOffer allPortals{.screenCast = true, .screenshot = true, .globalShortcuts = true};
constexpr PortalOffer screenshotOnly{.screenshot = true};

INSTANTIATE_TEST_SUITE_P(
    Cases, DesktopSessionDetect,
    testing::Values(SessionCase{"plain X11 ignores the portals",
                                {"x11", "", ":0", "XFCE"},
                                allPortals,
                                {Kind::x11, Desktop::other},
                                {CaptureRoute::x11, ShortcutRoute::x11HotKeys}},
                    SessionCase{"startx from a console is X11",
                                {"tty", "", ":1", ""},
                                {},
                                {Kind::x11, Desktop::other},
                                {CaptureRoute::x11, ShortcutRoute::x11HotKeys}},
                    SessionCase{"a nested compositor inside X11 stays X11",
                                {"x11", "wayland-1", ":0", "GNOME"},
                                {},
                                {Kind::x11, Desktop::gnome},
                                {CaptureRoute::x11, ShortcutRoute::x11HotKeys}},
                    SessionCase{"GNOME on Wayland: portal capture, keys bound in the desktop",
                                {"wayland", "wayland-0", ":0", "ubuntu:GNOME"},
                                {.screenCast = true, .screenshot = true},
                                {Kind::waylandWithXWayland, Desktop::gnome},
                                {CaptureRoute::portal, ShortcutRoute::desktopBinding}},
                    SessionCase{"Plasma on Wayland: both through the portal",
                                {"WAYLAND", "wayland-0", ":1", "KDE"},
                                allPortals,
                                {Kind::waylandWithXWayland, Desktop::kde},
                                {CaptureRoute::portal, ShortcutRoute::globalShortcutsPortal}},
                    SessionCase{"sway without XWayland, the screenshot portal alone still captures",
                                {"", "wayland-1", "", "sway"},
                                screenshotOnly,
                                {Kind::waylandOnly, Desktop::wlroots},
                                {CaptureRoute::portal, ShortcutRoute::desktopBinding},
                                "grim"},
                    SessionCase{"Wayland without any portal: no route is tried",
                                {"wayland", "", ":0", "weston"},
                                {},
                                {Kind::waylandWithXWayland, Desktop::other},
                                {CaptureRoute::none, ShortcutRoute::desktopBinding}},
                    SessionCase{"no display at all",
                                {"x11", "", "", "KDE:plasma"},
                                allPortals,
                                {Kind::none, Desktop::kde},
                                {CaptureRoute::none, ShortcutRoute::desktopBinding}}));

} // namespace
} // namespace quillet
