#include "Quillet/library/AtomicFileWriter.hpp"

#include "tests/Quillet/library/FolderContents.hpp"
#include "tests/support/SmallFileSystem.hpp"
#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillet {
namespace {

// Every fsync of this test program passes through the one below, which, while a test watches a name,
// notes each folder synced and whether the name was in it at that moment: the order of publishing
// and syncing, which no file on a disk that did not crash can show.
struct FolderSyncs {
    std::atomic<bool> isWatching = false;
    std::mutex mutex;
    QByteArray name;
    QStringList synced; // "<folder>: <name present or missing>"
};

FolderSyncs& folderSyncs()
{
    static FolderSyncs syncs;
    return syncs;
}

void noteSync(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISDIR(status.st_mode)) {
        return;
    }
    FolderSyncs& syncs = folderSyncs();
    const std::lock_guard lock(syncs.mutex);
    const bool present = ::fstatat(fd, syncs.name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    syncs.synced << QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(fd)).symLinkTarget() +
                        (present ? QStringLiteral(": present") : QStringLiteral(": missing"));
}

} // namespace
} // namespace quillet

extern "C" int fsync(int fd)
{
    if (quillet::folderSyncs().isWatching) {
        quillet::noteSync(fd);
    }
    return int(::syscall(SYS_fsync, fd));
}

namespace quillet {
namespace {

using Status = AtomicFileWriter::Status;

using testing::contents;
using testing::entries;

class AtomicFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root_.isValid()); }
    QTemporaryDir root_;
};

TEST_F(AtomicFileWriterTest, ANewFileNeverReplacesAnythingAndLeavesNoScratchBehind)
{
    const QString path = root_.filePath("Shot 00001.webp");
    const auto written = AtomicFileWriter::createNew(path, "abc");
    EXPECT_EQ(written.status, Status::written);
    EXPECT_EQ(written.bytesWritten, 3);
    EXPECT_EQ(contents(path), "abc");

    // Taken names, a dangling link among them, are left exactly as they were.
    const QString link = root_.filePath("link.webp");
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(link).constData()), 0);
    for (const QString& taken : {path, link}) {
        EXPECT_EQ(AtomicFileWriter::createNew(taken, "replaced").status, Status::nameTaken)
            << taken.toStdString();
    }
    EXPECT_EQ(contents(path), "abc");
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), root_.filePath("nowhere"));
    EXPECT_EQ(entries(root_.path()), QStringList({"Shot 00001.webp", "link.webp"}));

    const auto nowhere = AtomicFileWriter::createNew(root_.filePath("missing/x.webp"), "abc");
    EXPECT_EQ(nowhere.status, Status::failed);
    EXPECT_TRUE(nowhere.error.contains("missing/x.webp")) << nowhere.error.toStdString();
}

TEST_F(AtomicFileWriterTest, ReplacingSwapsTheWholeFileAndKeepsItsPermissionsAndLinks)
{
    const QString path = root_.filePath("edited.webp");
    ASSERT_EQ(AtomicFileWriter::createNew(path, "old").status, Status::written);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    QFile reader(path); // a reader that opened the file before the save keeps the old contents whole
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));

    const QString link = root_.filePath("alias.webp");
    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_EQ(AtomicFileWriter::replace(link, "new contents").status, Status::written);

    EXPECT_EQ(contents(path), "new contents");
    EXPECT_EQ(reader.readAll(), "old");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(root_.path()), QStringList({"alias.webp", "edited.webp"}));
}

TEST_F(AtomicFileWriterTest, AFullDiskFailsTheSaveAndKeepsWhatWasThere)
{
    constexpr std::size_t capacity = 64 * 1024;
    quillet::testing::SmallFileSystem disk(capacity);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "no permission to mount a small file system";
    }
    const QString folder = QString::fromStdString(disk.path());
    const QByteArray tooLarge(2 * capacity, 'x');
    ASSERT_EQ(AtomicFileWriter::createNew(folder + "/kept.webp", "kept").status, Status::written);

    const auto created = AtomicFileWriter::createNew(folder + "/new.webp", tooLarge);
    EXPECT_EQ(created.status, Status::failed);
    EXPECT_TRUE(created.error.contains("No space left")) << created.error.toStdString();
    EXPECT_EQ(AtomicFileWriter::replace(folder + "/kept.webp", tooLarge).status, Status::failed);

    EXPECT_EQ(contents(folder + "/kept.webp"), "kept");
    EXPECT_EQ(entries(folder), QStringList({"kept.webp"}));
}

// A read-only file system where one can be mounted, else a folder without write permission.
TEST_F(AtomicFileWriterTest, AnUnwritableFolderFailsWithTheReasonAndLeavesNothing)
{
    using quillet::testing::SmallFileSystem;
    const SmallFileSystem readOnly(64 * 1024, SmallFileSystem::Access::readOnly);
    const QString folder = readOnly.isMounted() ? QString::fromStdString(readOnly.path()) : root_.path();
    if (!readOnly.isMounted()) {
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0500), 0);
    }
    const auto result = AtomicFileWriter::createNew(folder + "/x.webp", "abc");
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    EXPECT_EQ(result.status, Status::failed);
    EXPECT_TRUE(result.error.startsWith("couldn't write " + folder + "/x.webp: "))
        << result.error.toStdString();
    EXPECT_TRUE(entries(folder).isEmpty());
}

// A save killed at any moment leaves either the complete file or nothing under a final name.
TEST_F(AtomicFileWriterTest, KillingTheWriterMidSaveLeavesNoPartialFile)
{
    const QByteArray still(16 * 1024 * 1024, 'q');
    const QString folder = root_.path();
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        for (int i = 0;; ++i) {
            (void)AtomicFileWriter::createNew(folder + QStringLiteral("/Shot %1.webp").arg(i), still);
        }
    }
    const bool published =
        quillet::testing::waitFor([&] { return !entries(folder).filter(".webp").isEmpty(); });
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ASSERT_TRUE(published);

    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        EXPECT_FALSE(name.startsWith('.')) << "scratch left under a name: " << name.toStdString();
        EXPECT_EQ(QFileInfo(folder + '/' + name).size(), still.size()) << name.toStdString();
    }
}

// A file another writer finished (a muxer's, a tool's) reaches its name the same way: whole, never over
// another file, never lost on the way; from a folder on another file system too (/dev/shm is one).
TEST_F(AtomicFileWriterTest, AFinishedFileIsPublishedOrMovedWholeAndNeverOverAnother)
{
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/quillet-move-XXXXXX"));
    ASSERT_TRUE(elsewhere.isValid());
    const QString taken = root_.filePath("taken.mp4");
    ASSERT_EQ(AtomicFileWriter::createNew(taken, "old").status, Status::written);

    const QString hidden = AtomicFileWriter::hiddenSibling(root_.filePath("movie.mp4"));
    EXPECT_TRUE(QFileInfo(hidden).fileName().startsWith('.'));
    EXPECT_EQ(QFileInfo(hidden).absolutePath(), QFileInfo(root_.path()).absoluteFilePath());
    ASSERT_EQ(AtomicFileWriter::createNew(hidden, "movie").status, Status::written);
    EXPECT_EQ(AtomicFileWriter::publish(hidden, taken).status, Status::nameTaken);
    EXPECT_EQ(contents(hidden), "movie");
    const auto published = AtomicFileWriter::publish(hidden, root_.filePath("movie.mp4"));
    EXPECT_EQ(published.status, Status::written);
    EXPECT_EQ(published.bytesWritten, 5);

    struct Move {
        QString from;
        QString to;
        Status status;
    };
    const QString near = root_.filePath("near.mov");
    const QString far = elsewhere.filePath("far.mov");
    for (const auto& [from, bytes] :
         {std::pair{near, QByteArray("near")}, std::pair{far, QByteArray("far")}}) {
        ASSERT_EQ(AtomicFileWriter::createNew(from, bytes).status, Status::written);
    }
    const Move moves[] = {
        {near, taken, Status::nameTaken},
        {far, taken, Status::nameTaken},
        {near, root_.filePath("kept near.mov"), Status::written},
        {far, root_.filePath("kept far.mov"), Status::written},
        {far, root_.filePath("again.mov"), Status::failed},
    };
    for (const Move& move : moves) {
        EXPECT_EQ(AtomicFileWriter::move(move.from, move.to).status, move.status) << move.to.toStdString();
    }
    EXPECT_EQ(contents(taken), "old");
    EXPECT_EQ(contents(root_.filePath("kept near.mov")), "near");
    EXPECT_EQ(contents(root_.filePath("kept far.mov")), "far");
    EXPECT_EQ(entries(root_.path()),
              QStringList({"kept far.mov", "kept near.mov", "movie.mp4", "taken.mp4"}));
    EXPECT_EQ(entries(elsewhere.path()), QStringList());
}

// A crash right after a save must not lose the file's name: the folder is synced once the name is in
// it, whichever way the file got there.
TEST_F(AtomicFileWriterTest, TheFolderIsSyncedAfterTheNameAppearsInIt)
{
    const QString hidden = AtomicFileWriter::hiddenSibling(root_.filePath("published.mp4"));
    ASSERT_EQ(AtomicFileWriter::createNew(hidden, "movie").status, Status::written);
    ASSERT_EQ(AtomicFileWriter::createNew(root_.filePath("moved.mov"), "movie").status, Status::written);
    ASSERT_EQ(AtomicFileWriter::createNew(root_.filePath("replaced.webp"), "old").status, Status::written);
    using Save = std::function<AtomicFileWriter::Result(const QString& path)>;
    const std::pair<const char*, Save> saves[] = {
        {"new.webp", [](const QString& path) { return AtomicFileWriter::createNew(path, "new"); }},
        {"replaced.webp", [](const QString& path) { return AtomicFileWriter::replace(path, "new"); }},
        {"published.mp4", [&](const QString& path) { return AtomicFileWriter::publish(hidden, path); }},
        {"kept.mov",
         [&](const QString& path) { return AtomicFileWriter::move(root_.filePath("moved.mov"), path); }},
    };
    FolderSyncs& syncs = folderSyncs();
    const QString folder = QFileInfo(root_.path()).canonicalFilePath();
    for (const auto& [name, save] : saves) {
        SCOPED_TRACE(name);
        {
            const std::lock_guard lock(syncs.mutex);
            syncs.name = name;
            syncs.synced.clear();
        }
        syncs.isWatching = true;
        const auto result = save(root_.filePath(name));
        syncs.isWatching = false;
        EXPECT_EQ(result.status, Status::written);
        const std::lock_guard lock(syncs.mutex);
        EXPECT_EQ(syncs.synced.filter(folder + ": ").join(", ").toStdString(),
                  (folder + ": present").toStdString());
    }
}

} // namespace
} // namespace quillet
