#include "Brindle/UserDefaults.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace brindle {
namespace {

using Dictionary = PropertyList::Dictionary;

class UserDefaultsTest : public testing::Test {
protected:
    QTemporaryDir folder;
    QString path = folder.filePath("quillet/preferences.plist");

    static void writeFile(const QString& path, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Every file in the preference folder.
    [[nodiscard]] QStringList filesBeside() const
    {
        return QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

TEST_F(UserDefaultsTest, ValuesSurviveARestartWithTheirKinds)
{
    const Dictionary values{
        {"enabled", false},
        {"nextNumber", 42},
        {"updateReminderSince", 1'700'000'000.0},
        {"filePrefix", "0042"},
        {"blob", Bytes{9, 8, 7}},
        {"shortcuts", Dictionary{{"area", Dictionary{{"keyCode", 0}, {"modifiers", 2304}}}}},
    };
    {
        UserDefaults store(path);
        for (const auto& [key, value] : values) {
            store.set(value, key);
        }
    }
    const UserDefaults restarted(path);
    for (const auto& [key, value] : values) {
        EXPECT_EQ(restarted.object(key), value) << key;
    }
    EXPECT_EQ(filesBeside(), QStringList{"preferences.plist"}) << "no temporary file is left behind";
}

TEST_F(UserDefaultsTest, TypedReadsSeeWhatWasWritten)
{
    const Preference<std::optional<std::string>> microphone("microphoneID", std::nullopt);
    {
        UserDefaults store(path);
        store.write(microphone, std::optional<std::string>("alsa_input.usb"));
    }
    {
        UserDefaults store(path);
        EXPECT_EQ(store.read(microphone), std::optional<std::string>("alsa_input.usb"));
        store.write(microphone, std::optional<std::string>());
    }
    const UserDefaults restarted(path);
    EXPECT_EQ(restarted.object("microphoneID"), std::nullopt);
}

TEST_F(UserDefaultsTest, MissingFolderIsCreatedOnTheFirstWrite)
{
    ASSERT_FALSE(QDir(folder.filePath("quillet")).exists());
    UserDefaults store(path);
    EXPECT_EQ(store.object("enabled"), std::nullopt);
    EXPECT_FALSE(QFile::exists(path)) << "reading alone writes nothing";

    store.set(PropertyList(true), "enabled");
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(UserDefaults(path).object("enabled"), PropertyList(true));
}

TEST_F(UserDefaultsTest, UnreadableFileIsKeptAsideAndNeverOverwritten)
{
    const QByteArray damaged = "<?xml version=\"1.0\"?><plist><dict><key>enabled</key><fal";
    writeFile(path, damaged);

    UserDefaults store(path);
    EXPECT_EQ(store.object("enabled"), std::nullopt);
    EXPECT_TRUE(store.savesChanges());
    const auto aside = filesBeside();
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(aside[0].startsWith("preferences.plist.unreadable-")) << aside[0].toStdString();

    store.set(PropertyList(3), "nextNumber");
    EXPECT_EQ(readFile(QFileInfo(path).absolutePath() + "/" + aside[0]), damaged);
    EXPECT_EQ(UserDefaults(path).object("nextNumber"), PropertyList(3));
}

TEST_F(UserDefaultsTest, SecondUnreadableFileInTheSameSecondGetsItsOwnName)
{
    writeFile(path, "first");
    (void)UserDefaults(path);
    writeFile(path, "second");
    (void)UserDefaults(path);
    const auto files = filesBeside();
    ASSERT_EQ(files.size(), 2) << files.join(", ").toStdString();
    QStringList contents;
    for (const auto& name : files) {
        contents << QString::fromUtf8(readFile(QFileInfo(path).absolutePath() + "/" + name));
    }
    contents.sort();
    EXPECT_EQ(contents, (QStringList{"first", "second"}));
}

TEST_F(UserDefaultsTest, EmptyFileReadsAsEmptyWithoutLeavingACopy)
{
    writeFile(path, "");
    const UserDefaults store(path);
    EXPECT_EQ(store.object("enabled"), std::nullopt);
    EXPECT_EQ(filesBeside(), QStringList{"preferences.plist"});
}

TEST_F(UserDefaultsTest, PathThatCannotBeReadIsLeftAlone)
{
    QDir().mkpath(path); // a folder where the file belongs
    UserDefaults store(path);
    EXPECT_FALSE(store.savesChanges());
    store.set(PropertyList(true), "enabled");
    EXPECT_EQ(store.object("enabled"), PropertyList(true)) << "the value still lives for this run";
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(UserDefaultsTest, ValueAFileCannotHoldIsRefusedAndCostsNothingElse)
{
    {
        UserDefaults store(path);
        store.set(PropertyList("Shot"), "filePrefix");
        store.set(PropertyList(std::string("bad\x01")), "filePrefix");
        EXPECT_EQ(store.object("filePrefix"), PropertyList("Shot"));
        store.set(PropertyList(false), "enabled");
    }
    const UserDefaults restarted(path);
    EXPECT_EQ(restarted.object("enabled"), PropertyList(false));
    EXPECT_EQ(restarted.object("filePrefix"), PropertyList("Shot"));
}

TEST(UserDefaults, StandardFileIsInTheConfigHome)
{
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/config-home-for-test");
    const QString path = UserDefaults::standardFilePath("quillet");
    if (previous.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", previous);
    }
    EXPECT_EQ(path, "/tmp/config-home-for-test/quillet/preferences.plist");
}

} // namespace
} // namespace brindle
