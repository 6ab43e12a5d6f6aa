#include "Brindle/UserDefaults.hpp"

#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

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
    [[nodiscard]] QStringList filesBeside(QDir::Filters others = {}) const
    {
        return QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden | others, QDir::Name);
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
    EXPECT_TRUE(quillet::testing::waitFor([&] { return QFile::exists(path); }));
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
    store.synchronize();
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

TEST_F(UserDefaultsTest, AFifoInTheFilesPlaceIsSetAsideWithoutWaitingForAWriter)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    // A blocking open would wait for a writer for good; the rescue opens one only after a generous
    // limit, so that a hang fails this test instead of the whole run.
    std::atomic<bool> loaded = false;
    std::atomic<bool> rescued = false;
    std::thread rescue([&] {
        for (int tenth = 0; tenth < 100 && !loaded; ++tenth) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!loaded) {
            rescued = true;
            ::close(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK));
        }
    });
    UserDefaults store(path);
    loaded = true;
    rescue.join();
    EXPECT_FALSE(rescued) << "reading the preferences waited on the FIFO";
    EXPECT_TRUE(store.savesChanges());
    const auto aside = filesBeside(QDir::System);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(aside[0].startsWith("preferences.plist.unreadable-")) << aside[0].toStdString();
    store.set(PropertyList(3), "nextNumber");
    store.synchronize();
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_EQ(UserDefaults(path).object("nextNumber"), PropertyList(3));
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

// Counts the files put in place under a name in a folder (a rename onto it, or a write closed).
class FileReplacements {
public:
    FileReplacements(const QString& folder, QString name)
        : descriptor_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), name_(std::move(name))
    {
        inotify_add_watch(descriptor_, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~FileReplacements() { close(descriptor_); }
    FileReplacements(const FileReplacements&) = delete;
    FileReplacements& operator=(const FileReplacements&) = delete;

    [[nodiscard]] int count()
    {
        alignas(inotify_event) std::array<char, 4096> buffer{};
        ssize_t length = 0;
        while ((length = read(descriptor_, buffer.data(), buffer.size())) > 0) {
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
                count_ += event->len > 0 && name_ == QString::fromUtf8(event->name) ? 1 : 0;
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return count_;
    }

private:
    int descriptor_;
    QString name_;
    int count_ = 0;
};

TEST_F(UserDefaultsTest, ABurstOfChangesIsOneLaterWriteAndUnchangedValuesAreNone)
{
    UserDefaults store(path);
    store.set(PropertyList(0), "nextNumber");
    store.synchronize();
    FileReplacements replacements(QFileInfo(path).absolutePath(), "preferences.plist");

    for (int number = 1; number <= 50; ++number) {
        store.set(PropertyList(number), "nextNumber");
    }
    EXPECT_EQ(replacements.count(), 0) << "the caller never waits for the disk";
    EXPECT_TRUE(quillet::testing::waitFor([&] { return replacements.count() == 1; }));
    store.synchronize();
    EXPECT_EQ(replacements.count(), 1);
    EXPECT_EQ(UserDefaults(path).object("nextNumber"), PropertyList(50));

    store.set(PropertyList(50), "nextNumber");
    store.set(std::nullopt, "neverStored");
    store.synchronize();
    EXPECT_EQ(replacements.count(), 1) << "nothing changed, nothing written";
}

TEST_F(UserDefaultsTest, AChangeStillUnwrittenLandsWhenTheApplicationQuits)
{
    // Like the program's own store, this one is never destroyed.
    auto* store = new UserDefaults(path);
    store->set(PropertyList(7), "nextNumber");
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    EXPECT_EQ(UserDefaults(path).object("nextNumber"), PropertyList(7));
    delete store;
}

TEST_F(UserDefaultsTest, AFileTooLargeForSettingsIsSetAsideUnread)
{
    QByteArray huge = "<?xml version=\"1.0\"?><plist><dict><key>filePrefix</key><string>";
    huge.append(QByteArray(UserDefaults::maximumFileBytes, 'x'));
    huge.append("</string></dict></plist>");
    writeFile(path, huge);

    UserDefaults store(path);
    EXPECT_EQ(store.object("filePrefix"), std::nullopt);
    const auto files = filesBeside();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].startsWith("preferences.plist.unreadable-")) << files[0].toStdString();
    store.set(PropertyList(true), "enabled");
    store.synchronize();
    EXPECT_EQ(UserDefaults(path).object("enabled"), PropertyList(true));
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
