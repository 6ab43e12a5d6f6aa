#include "Quillet/library/HiddenScratchFile.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

namespace quillet {
namespace {

bool makeFile(const QString& path, bool old)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write("half an MP4");
    file.close();
    const auto age =
        old ? HiddenScratchFile::abandonedAfter + std::chrono::seconds(5) : std::chrono::seconds(0);
    const timeval then{::time(nullptr) - time_t(age.count()), 0};
    const timeval times[2] = {then, then};
    return ::utimes(QFile::encodeName(path).constData(), times) == 0;
}

// A start clears the scratch files an export cut short left in the capture folder, and only those.
TEST(HiddenScratchFile, AStartRemovesOnlyTheScratchFilesNobodyWrites)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString error;
    const auto writing = HiddenScratchFile::beside(folder.filePath("Recording.mp4"), error);
    ASSERT_TRUE(writing) << error.toStdString();
    ASSERT_TRUE(writing->path().startsWith(folder.path() + "/.quillet-"));
    ASSERT_TRUE(makeFile(writing->path(), true)); // a long export, still locked

    struct Case {
        const char* name;
        bool old;
        bool removed;
    };
    const Case cases[] = {
        {".quillet-1f2e.part", true, true},   // left by an export cut short
        {".quillet-3a4b.part", false, false}, // written just now by a writer that does not lock
        {".other-1f2e.part", true, false},    // not ours
        {"Recording.mp4", true, false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(makeFile(folder.filePath(c.name), c.old));
    }
    ASSERT_TRUE(QFile::link(folder.filePath("Recording.mp4"), folder.filePath(".quillet-5c6d.part")));

    EXPECT_EQ(HiddenScratchFile::removeAbandoned(folder.path()), 1);

    for (const auto& c : cases) {
        EXPECT_EQ(QFile::exists(folder.filePath(c.name)), !c.removed) << c.name;
    }
    EXPECT_TRUE(QFile::exists(writing->path())) << "locked while it is written";
    EXPECT_TRUE(QFileInfo(folder.filePath(".quillet-5c6d.part")).isSymLink());
}

} // namespace
} // namespace quillet
