#include "Quillet/library/AtomicFileWriter.hpp"

#include "tests/Quillet/library/FolderContents.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillet {
namespace {

// While set, this test program's file system behaves like a FUSE mount with neither an exclusive
// rename nor hard links: the calls below fail the way such a mount fails them.
std::atomic<bool> withoutLinks = false;

} // namespace
} // namespace quillet

extern "C" int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, unsigned flags)
{
    if (quillet::withoutLinks && flags != 0) {
        errno = EINVAL;
        return -1;
    }
    return int(::syscall(SYS_renameat2, olddirfd, oldpath, newdirfd, newpath, flags));
}

extern "C" int linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags)
{
    if (quillet::withoutLinks) {
        errno = EPERM;
        return -1;
    }
    return int(::syscall(SYS_linkat, olddirfd, oldpath, newdirfd, newpath, flags));
}

extern "C" int link(const char* oldpath, const char* newpath)
{
    return linkat(AT_FDCWD, oldpath, AT_FDCWD, newpath, 0);
}

namespace quillet {
namespace {

using Status = AtomicFileWriter::Status;

using testing::contents;
using testing::entries;

// Whatever that read end holds now, without waiting.
QByteArray drain(int fd)
{
    QByteArray got(4096, '\0');
    const ssize_t n = ::read(fd, got.data(), got.size());
    return n > 0 ? got.left(n) : QByteArray();
}

// A report path may name a terminal or a pipe (a shell's /dev/stdout): the bytes go into it. What is
// neither a file nor a stream is never replaced.
TEST(AtomicFileWriterTargets, StreamsAreWrittenIntoAndOtherNonFilesAreNeverReplaced)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK), 0);
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const QString terminalPath = QString::fromLocal8Bit(::ptsname(terminal));
    const QString unreadFifo = root.filePath("nobody-reads");
    ASSERT_EQ(::mkfifo(QFile::encodeName(unreadFifo).constData(), 0600), 0);
    const QString folder = root.filePath("folder");
    ASSERT_TRUE(QDir().mkpath(folder));

    struct Case {
        const char* name;
        QString path;
        int readEnd; // where the bytes must arrive, or -1 when the write must fail
    };
    const Case cases[] = {
        {"a pipe through its /proc link", QStringLiteral("/proc/self/fd/%1").arg(pipeEnds[1]), pipeEnds[0]},
        {"a terminal", terminalPath, terminal},
        {"a FIFO nobody reads", unreadFifo, -1},
        {"a folder", folder, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        struct stat before {};
        ASSERT_EQ(::stat(QFile::encodeName(c.path).constData(), &before), 0);
        const auto result = AtomicFileWriter::replace(c.path, "report\n");
        EXPECT_EQ(result.status, c.readEnd >= 0 ? Status::written : Status::failed) << result.error.toStdString();
        if (c.readEnd >= 0) {
            EXPECT_TRUE(drain(c.readEnd).contains("report")) << "the bytes went elsewhere";
        }
        struct stat after {};
        ASSERT_EQ(::stat(QFile::encodeName(c.path).constData(), &after), 0);
        EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT) << "replaced by a regular file";
        EXPECT_EQ(after.st_ino, before.st_ino);
    }
    EXPECT_EQ(entries(root.path()), (QStringList{"folder", "nobody-reads"}));
    ::close(terminal);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

// Where the file system has no exclusive rename and no hard links, every way of giving a file its
// name still ends with the whole file under it, nothing replaced and no scratch left.
TEST(AtomicFileWriterTargets, AFileSystemWithoutLinksStillGetsEveryFileWholeAndNeverOverAnother)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_EQ(AtomicFileWriter::createNew(root.filePath("taken.webp"), "first").status, Status::written);
    const QString hidden = AtomicFileWriter::hiddenSibling(root.filePath("movie.mp4"));
    ASSERT_EQ(AtomicFileWriter::createNew(hidden, "muxed").status, Status::written);
    ASSERT_EQ(AtomicFileWriter::createNew(root.filePath("kept.mov"), "movie").status, Status::written);

    withoutLinks = true;
    const auto fresh = AtomicFileWriter::createNew(root.filePath("new.webp"), "still");
    const auto taken = AtomicFileWriter::createNew(root.filePath("taken.webp"), "second");
    const auto published = AtomicFileWriter::publish(hidden, root.filePath("movie.mp4"));
    const auto moved = AtomicFileWriter::move(root.filePath("kept.mov"), root.filePath("saved.mov"));
    withoutLinks = false;

    EXPECT_EQ(fresh.status, Status::written) << fresh.error.toStdString();
    EXPECT_EQ(taken.status, Status::nameTaken);
    EXPECT_EQ(published.status, Status::written) << published.error.toStdString();
    EXPECT_EQ(moved.status, Status::written) << moved.error.toStdString();
    EXPECT_EQ(contents(root.filePath("new.webp")), "still");
    EXPECT_EQ(contents(root.filePath("taken.webp")), "first");
    EXPECT_EQ(contents(root.filePath("movie.mp4")), "muxed");
    EXPECT_EQ(contents(root.filePath("saved.mov")), "movie");
    EXPECT_EQ(entries(root.path()), (QStringList{"movie.mp4", "new.webp", "saved.mov", "taken.webp"}));
}

} // namespace
} // namespace quillet
