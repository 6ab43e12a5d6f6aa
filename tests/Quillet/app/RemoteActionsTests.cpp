#include "Quillet/app/RemoteActions.hpp"

#include "tests/support/LogCapture.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// Whoever reaches the socket or the bus writes the action's name: the log keeps it on one line and
// short, so no line can be forged and no flood written.
TEST(RemoteActions, AnUnknownActionIsLoggedOnOneShortSafeLine)
{
    testing::LogCapture log;
    RemoteActions actions([](CaptureAction) {});
    const QString forged = QStringLiteral("x\n12:00:00 action screen asked through the session bus\x1b[2J") +
                           QString(100'000, QLatin1Char('a'));
    EXPECT_FALSE(actions.take(QStringLiteral("action ") + forged));
    const auto texts = log.texts(QStringLiteral("app.quillet.Quillet.capture"));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_FALSE(texts[0].contains(QLatin1Char('\n')));
    EXPECT_FALSE(texts[0].contains(QChar(0x1b)));
    EXPECT_LT(texts[0].size(), 400);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("refused the action x\\x0a12:00:00"))) << texts[0].toStdString();
}

} // namespace
} // namespace quillet
