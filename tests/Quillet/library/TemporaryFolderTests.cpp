#include "Quillet/library/TemporaryFolder.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillet {
namespace {

mode_t modeOf(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

void makeFolder(const QString& path, mode_t mode)
{
    ASSERT_EQ(::mkdir(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

pid_t aFinishedProcess()
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    ::waitpid(pid, nullptr, 0);
    return pid;
}

class TemporaryFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(parent_.isValid()); }
    QTemporaryDir parent_;
};

TEST_F(TemporaryFolderTest, OneFreshPrivateFolderPerProcessGoneWhenItEnds)
{
    QString made;
    {
        TemporaryFolder folder(parent_.path());
        std::set<QString> files;
        for (int i = 0; i < 3; ++i) {
            const auto file = folder.newFile("png");
            ASSERT_TRUE(file.isSuccess()) << file.error().toStdString();
            const QFileInfo info(file.value());
            EXPECT_EQ(info.suffix(), "png");
            EXPECT_EQ(info.completeBaseName(), info.completeBaseName().toUpper());
            EXPECT_EQ(modeOf(file.value()), 0600u);
            EXPECT_TRUE(files.insert(file.value()).second);
            made = info.absolutePath();
        }
        EXPECT_TRUE(QFileInfo(made).fileName().startsWith(QStringLiteral("quillet-%1-").arg(::getpid())));
        EXPECT_EQ(modeOf(made), 0700u);
        EXPECT_EQ(QDir(parent_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1)
            << "every file in the one folder";
    }
    EXPECT_FALSE(QFileInfo::exists(made));
}

// Only this user's private folders of finished processes go; everything else stays as it was.
TEST_F(TemporaryFolderTest, FoldersLeftByAKilledRunAreRemovedAndNothingElse)
{
    const QString dead = QStringLiteral("quillet-%1-").arg(aFinishedProcess());
    const QString living = QStringLiteral("quillet-%1-").arg(::getppid());
    const QString leftover = parent_.filePath(dead + "left");
    makeFolder(leftover, 0700);
    ASSERT_TRUE(QFile(leftover + "/capture.png").open(QIODevice::WriteOnly));
    makeFolder(parent_.filePath(living + "running"), 0700);
    makeFolder(parent_.filePath(dead + "open"), 0777);
    makeFolder(parent_.filePath("quillet-notanumber-x"), 0700);
    QTemporaryDir target;
    ASSERT_TRUE(QFile::link(target.path(), parent_.filePath(dead + "link")));

    TemporaryFolder folder(parent_.path());
    ASSERT_TRUE(folder.path().isSuccess());
    EXPECT_FALSE(QFileInfo::exists(leftover));
    for (const QString& kept :
         {living + "running", dead + "open", QStringLiteral("quillet-notanumber-x"), dead + "link"}) {
        EXPECT_TRUE(QFileInfo(parent_.filePath(kept)).exists() ||
                    QFileInfo(parent_.filePath(kept)).isSymLink())
            << kept.toStdString();
    }
    EXPECT_EQ(modeOf(parent_.filePath(dead + "open")), 0777u);
    EXPECT_TRUE(QFileInfo::exists(target.path()));
}

// The session's runtime folder is used only as it is: never opened up, closed down or borrowed; the
// program keeps its files in a folder of its own there.
TEST_F(TemporaryFolderTest, TheRuntimeFolderIsUsedOnlyWhenPrivateAndOurs)
{
    const bool wasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    struct Case {
        const char* name;
        mode_t mode;
        bool foreign;
        bool used;
    };
    for (const Case& c : {Case{"private", 0700, false, true}, Case{"open", 0755, false, false},
                          Case{"foreign", 0700, true, false}}) {
        if (c.foreign && ::geteuid() != 0) {
            continue; // only root can hand a folder to someone else
        }
        const QString runtime = parent_.filePath(c.name);
        makeFolder(runtime, c.mode);
        if (c.foreign) {
            ASSERT_EQ(::chown(QFile::encodeName(runtime).constData(), 65534, 65534), 0);
        }
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        EXPECT_EQ(TemporaryFolder::defaultParent() == runtime + "/quillet", c.used) << c.name;
        EXPECT_EQ(modeOf(runtime), c.mode) << c.name;
    }
    if (wasSet) {
        qputenv("XDG_RUNTIME_DIR", saved);
    } else {
        qunsetenv("XDG_RUNTIME_DIR");
    }
}

} // namespace
} // namespace quillet
