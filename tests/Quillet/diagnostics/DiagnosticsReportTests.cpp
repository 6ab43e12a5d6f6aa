#include "Quillet/diagnostics/DiagnosticsReport.hpp"
#include "Quillet/diagnostics/MemoryReport.hpp"
#include "Quillet/diagnostics/SessionDiagnosis.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

constexpr std::uint64_t mebibyte = 1024 * 1024;

TEST(DiagnosticsReport, SixLinesInTheirPlaceThenTheFacts)
{
    DiagnosticsReport found;
    found.programPath = QStringLiteral("/opt/quillet/bin/quillet");
    found.identifier = QStringLiteral("app.quillet.Quillet");
    found.canCapture = true;
    found.shareableContent = DiagnosticsReport::ShareableContent{2, 31};
    found.capture = DiagnosticsReport::TestCapture{3024, 1964, 2210 * 1024 + 1023, false};
    found.facts = {{QStringLiteral("session"), QStringLiteral("x11")},
                   {QStringLiteral("desktop"), QString()}};

    EXPECT_EQ(found.text(), QStringLiteral("bundle: /opt/quillet/bin/quillet\n"
                                           "bundle id: app.quillet.Quillet\n"
                                           "screen capture access: true\n"
                                           "team: -\n"
                                           "shareable content: 2 displays, 31 windows\n"
                                           "screencapture: 3024x1964, 2210 KB, blank: false\n"
                                           "session: x11\n"
                                           "desktop: -"));

    DiagnosticsReport nothing;
    nothing.shareableContent = QStringLiteral("no X display");
    const QStringList lines = nothing.lines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QStringLiteral("bundle: "));
    EXPECT_EQ(lines[1], QStringLiteral("bundle id: -"));
    EXPECT_EQ(lines[2], QStringLiteral("screen capture access: false"));
    EXPECT_EQ(lines[4], QStringLiteral("shareable content error: no X display"));
    EXPECT_EQ(lines[5], QStringLiteral("screencapture: no image"));
}

// What each session makes of the capture lines and the session's own lines; the X11 session keeps the
// lines of the X server untouched.
TEST(DiagnosticsReport, EachSessionReportsTheRoutesItGives)
{
    using Kind = DesktopSession::Kind;
    using Desktop = DesktopSession::Desktop;
    struct Case {
        const char* name;
        SessionFacts facts;
        QStringList expected; // lines 3, 5 and 6, then the session's lines
    };
    const QString notTried =
        QStringLiteral("screencapture: not tried: a capture through the desktop portal may "
                       "ask the user; take one with quillet --action screen");
    const std::vector<Case> cases{
        {"X11 keeps what the X server said",
         {{Kind::x11, Desktop::other}, {}, false, std::nullopt},
         {"screen capture access: true", "shareable content: 1 displays, 4 windows",
          "screencapture: no image", "session kind: x11, other desktop",
          "routes: capture: X11 grab; shortcuts: X11 hot keys"}},
        {"GNOME with a token",
         {{Kind::waylandOnly, Desktop::gnome}, {true, true, false}, true, QStringLiteral("0.3.65")},
         {"screen capture access: true (desktop portal screen cast, restore token stored)",
          "shareable content: desktop portal screen cast, screenshot", notTried,
          "session kind: wayland without XWayland, GNOME desktop",
          "routes: capture: desktop portal; shortcuts: keys bound to quillet --action in the desktop's "
          "settings",
          "desktop portals: screen cast, screenshot", "restore token: stored",
          "pipewire: reachable, 0.3.65"}},
        {"KDE before the first capture",
         {{Kind::waylandWithXWayland, Desktop::kde}, {true, true, true}, false, QString()},
         {"screen capture access: false (desktop portal screen cast: the first capture will ask which screen "
          "to share)",
          "shareable content: desktop portal screen cast, screenshot", notTried,
          "session kind: wayland with XWayland, KDE desktop",
          "routes: capture: desktop portal; shortcuts: GlobalShortcuts portal",
          "desktop portals: screen cast, screenshot, global shortcuts", "restore token: none",
          "pipewire: reachable, version unknown"}},
        {"a screenshot portal alone decides at each capture",
         {{Kind::waylandOnly, Desktop::wlroots}, {false, true, false}, false, std::nullopt},
         {"screen capture access: unknown (desktop portal screenshot: the desktop may ask at each capture)",
          "shareable content: desktop portal screenshot", notTried,
          "session kind: wayland without XWayland, wlroots desktop",
          "routes: capture: desktop portal; shortcuts: keys bound to quillet --action in the desktop's "
          "settings",
          "desktop portals: screenshot", "restore token: none", "pipewire: not reachable"}},
        {"no portal at all",
         {{Kind::waylandOnly, Desktop::other}, {}, true, std::nullopt},
         {"screen capture access: false (no desktop portal for capture)",
          "shareable content error: the desktop portal offers no screen cast or screenshot",
          "screencapture: not tried: this session gives no way to capture",
          "session kind: wayland without XWayland, other desktop",
          "routes: capture: none; shortcuts: keys bound to quillet --action in the desktop's settings",
          "desktop portals: none", "restore token: stored", "pipewire: not reachable"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        DiagnosticsReport report;
        report.canCapture = true;
        report.shareableContent = DiagnosticsReport::ShareableContent{1, 4};
        test.facts.describeCapture(report);
        report.facts = test.facts.lines();
        const QStringList lines = report.lines();
        EXPECT_EQ(QStringList({lines[2], lines[4], lines[5]}) + lines.mid(6), test.expected);
    }
}

TEST(MemoryReport, RecordsArePaddedToOneColumnAndTheTextEndsWithALineFeed)
{
    MemoryReport report(QSize(5120, 2880), 5);
    report.record(QStringLiteral("start"), {100 * mebibyte, 200 * mebibyte});
    report.note(QStringLiteral("  a note"));
    report.record(QString(60, QLatin1Char('x')), {mebibyte / 10, 12345 * mebibyte});

    EXPECT_EQ(report.text(), QStringLiteral("Quillet memory (5120\u00d72880 captures, 5 of them)\n"
                                            "\n"
                                            "start") +
                                 QString(47, QLatin1Char(' ')) +
                                 QStringLiteral("  100.0 MB   peak   200.0 MB\n"
                                                "  a note\n") +
                                 QString(52, QLatin1Char('x')) +
                                 QStringLiteral("    0.1 MB   peak 12345.0 MB\n"));
}

} // namespace
} // namespace quillet
