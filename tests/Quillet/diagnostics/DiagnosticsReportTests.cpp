#include "Quillet/diagnostics/DiagnosticsReport.hpp"
#include "Quillet/diagnostics/MemoryReport.hpp"

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
