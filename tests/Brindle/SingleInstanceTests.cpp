#include "Brindle/shell/SingleInstance.hpp"

#include "Brindle/shell/PrivateFolder.hpp"

#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brindle {
namespace {

// The running copy answers each later copy's request line: "show" exactly shows it; any other line
// goes to the handler, and without one is refused, however much it looks like "show".
TEST(SingleInstance, OnlyTheExactShowRequestShowsTheRunningCopy)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("instance");
    SingleInstance running;
    ASSERT_EQ(running.claim(path), SingleInstance::Claim::first);
    int shown = 0;
    QObject::connect(&running, &SingleInstance::showRequested, [&shown] { ++shown; });

    struct Case {
        const char* request;
        const char* answer;
        int shows;
    };
    for (const Case& c : {Case{"show", "ok\n", 1}, Case{"showing", "refused\n", 0}}) {
        SCOPED_TRACE(c.request);
        shown = 0;
        QLocalSocket later;
        later.connectToServer(path);
        ASSERT_TRUE(quillet::testing::waitFor([&] { return later.state() == QLocalSocket::ConnectedState; }));
        later.write(QByteArray(c.request) + '\n');
        QByteArray answer;
        ASSERT_TRUE(quillet::testing::waitFor([&] {
            answer += later.readAll();
            return answer.endsWith('\n');
        }));
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(shown, c.shows);
    }
}

} // namespace
} // namespace brindle

namespace brindle {
namespace {

// A copy that starts while another holds the lock (that one is between taking it and listening, or
// hangs) must not take the socket over: it counts the other as running. Once the lock is free, a
// socket left behind is taken over.
TEST(SingleInstance, OnlyTheLocksHolderListensAndALeftSocketIsTakenOverOnceItIsFree)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("instance");
    const int held = ::open(QFile::encodeName(path + ".lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    {
        SingleInstance second(std::chrono::milliseconds(300));
        EXPECT_EQ(second.claim(path), SingleInstance::Claim::silent);
        EXPECT_FALSE(QFileInfo::exists(path)) << "a copy without the lock made the socket";
    }
    ::close(held);
    QFile left(path);
    ASSERT_TRUE(left.open(QIODevice::WriteOnly)); // not even a socket: what a crash may leave
    left.close();
    SingleInstance third;
    EXPECT_EQ(third.claim(path), SingleInstance::Claim::first);
    // Even with its socket gone, the third copy keeps the lock for its life.
    ASSERT_TRUE(QFile::remove(path));
    SingleInstance fourth(std::chrono::milliseconds(300));
    EXPECT_EQ(fourth.claim(path), SingleInstance::Claim::silent);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(SingleInstance, EveryNameOfOneDisplayGivesOneSocket)
{
    const std::pair<const char*, const char*> cases[] = {
        {":1", ":1"},           {":1.0", ":1"},         {"unix:1.2", ":1"},     {"host:10.0", "host:10"},
        {"", "none"},           {"a/b:0", "a_b:0"},     {":1.x", ":1.x"},
    };
    for (const auto& [display, key] : cases) {
        EXPECT_EQ(SingleInstance::displayKey(display), key) << display;
    }
}

// The folder of the socket and the lock is trusted only as this user's alone.
TEST(PrivateFolder, IsMadeOrTightenedWhenOursAndRefusedOtherwise)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString shared = root.filePath("shared");
    ASSERT_TRUE(QDir().mkpath(shared));
    ::chmod(QFile::encodeName(shared).constData(), 0777); // writable by all, not sticky
    const QString loose = root.filePath("loose");
    ASSERT_TRUE(QDir().mkpath(loose));
    ::chmod(QFile::encodeName(loose).constData(), 0777);
    ASSERT_TRUE(QFile::link(loose, root.filePath("link")));
    QFile file(root.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QString others = root.filePath("others");
    ASSERT_TRUE(QDir().mkpath(others));
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chown(QFile::encodeName(others).constData(), 65534, 65534), 0);
    }

    struct Case {
        QString path;
        bool isPrivate;
    };
    const Case cases[] = {
        {root.filePath("missing"), true},
        {loose, true},
        {root.filePath("link"), false},
        {root.filePath("file"), false},
        {shared + "/quillet", false},
        {others, !asRoot},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(makePrivateFolder(c.path), c.isPrivate);
        if (c.isPrivate) {
            struct stat status {};
            ASSERT_EQ(::lstat(QFile::encodeName(c.path).constData(), &status), 0);
            EXPECT_EQ(status.st_mode & 0777, 0700u);
        }
    }
    EXPECT_FALSE(QFileInfo::exists(shared + "/quillet")) << "nothing is made where another may rename it";
}

} // namespace
} // namespace brindle
