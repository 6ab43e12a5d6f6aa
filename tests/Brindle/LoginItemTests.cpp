#include "Brindle/LoginItem.hpp"

#include "tests/support/LogCapture.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace brindle {
namespace {

class LoginItemTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid());
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved_); }

    void writeEntry(const QByteArray& text)
    {
        QDir().mkpath(config_.filePath("autostart"));
        QFile file(LoginItem::entryPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir config_;
    QByteArray saved_;
};

TEST_F(LoginItemTest, TheEntryLivesInTheAutostartFolderUnderTheIdentifier)
{
    EXPECT_EQ(LoginItem::entryPath(), config_.filePath("autostart/app.quillet.Quillet.desktop"));
}

TEST_F(LoginItemTest, EnablingWritesAValidEntryThatStartsThisProgramAndDisablingRemovesIt)
{
    EXPECT_FALSE(LoginItem::isEnabled());
    EXPECT_TRUE(LoginItem::setEnabled(true));
    EXPECT_TRUE(LoginItem::isEnabled());

    QFile entry(LoginItem::entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(text.contains("Exec=" + QCoreApplication::applicationFilePath() + "\n"))
        << text.toStdString();

    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validator.isEmpty()) {
        QProcess validate;
        validate.start(validator, {LoginItem::entryPath()});
        ASSERT_TRUE(validate.waitForFinished());
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    }

    EXPECT_FALSE(LoginItem::setEnabled(false));
    EXPECT_FALSE(QFile::exists(LoginItem::entryPath()));
    EXPECT_FALSE(LoginItem::setEnabled(false)) << "disabling twice is fine";
}

TEST_F(LoginItemTest, AnEntryThatHidesOrDisablesItselfDoesNotCount)
{
    writeEntry("[Desktop Entry]\nType=Application\nExec=quillet\nHidden=true\n");
    EXPECT_FALSE(LoginItem::isEnabled());
    writeEntry("[Desktop Entry]\nType=Application\nExec=quillet\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(LoginItem::isEnabled());
    writeEntry("[Desktop Entry]\nExec=quillet\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(LoginItem::isEnabled()) << "keys of other groups do not count";
    EXPECT_TRUE(LoginItem::setEnabled(true)) << "enabling replaces a disabled entry";
}

TEST_F(LoginItemTest, AFailedChangeIsLoggedAndTheStateInForceReturned)
{
    QFile blocker(config_.filePath("autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a plain file where the folder belongs
    blocker.close();
    quillet::testing::LogCapture log;
    EXPECT_FALSE(LoginItem::setEnabled(true));
    const auto texts = log.texts("app.quillet.Quillet.login-item");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].startsWith("login item change failed: ")) << texts[0].toStdString();
}

struct ExecCase {
    const char* executable;
    const char* execLine;
};

class LoginItemExec : public testing::TestWithParam<ExecCase> {};

TEST_P(LoginItemExec, QuotesThePathAsDesktopEntriesRequire)
{
    const QString text = LoginItem::entryText(QString::fromUtf8(GetParam().executable));
    EXPECT_TRUE(text.contains(QString::fromUtf8(GetParam().execLine) + "\n")) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Paths, LoginItemExec,
                         testing::Values(ExecCase{"/usr/bin/quillet", "Exec=/usr/bin/quillet"},
                                         ExecCase{"/opt/My Apps/quillet", "Exec=\"/opt/My Apps/quillet\""},
                                         ExecCase{"/opt/$HOME/q\"x", "Exec=\"/opt/\\\\$HOME/q\\\\\"x\""},
                                         ExecCase{"/opt/100%/quillet", "Exec=/opt/100%%/quillet"},
                                         ExecCase{"/opt/back\\slash/q",
                                                  "Exec=\"/opt/back\\\\\\\\slash/q\""}));

} // namespace
} // namespace brindle
