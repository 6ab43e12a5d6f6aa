#include "Quillet/app/SnapshotFiles.hpp"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quillet {
namespace {

// A snapshot into a folder the user names: an earlier snapshot is replaced, a new name made, and
// nothing that is not a plain file is written through or waited on.
TEST(SnapshotFiles, ReplaceOnlyFilesAndRefuseLinksFifosAndFolders)
{
    QTemporaryDir folder;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(folder.isValid() && elsewhere.isValid());
    const QString target = elsewhere.filePath("precious.txt");
    {
        QFile precious(target);
        ASSERT_TRUE(precious.open(QIODevice::WriteOnly));
        precious.write("keep me");
    }
    {
        QFile earlier(folder.filePath("earlier.png"));
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("old");
    }
    ASSERT_TRUE(QFile::link(target, folder.filePath("link.png")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("fifo.png")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.png"));

    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    SnapshotFiles files(folder.path());
    ASSERT_TRUE(files.folderExists());
    const std::pair<const char*, bool> cases[] = {
        {"new.png", true}, {"earlier.png", true}, {"link.png", false}, {"fifo.png", false}, {"folder.png", false},
    };
    for (const auto& [name, written] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(files.write(name, image), written);
        if (written) {
            EXPECT_EQ(QImage(folder.filePath(name)).size(), image.size());
        }
    }
    EXPECT_EQ(files.errors().size(), 3);
    QFile precious(target);
    ASSERT_TRUE(precious.open(QIODevice::ReadOnly));
    EXPECT_EQ(precious.readAll(), "keep me");
    EXPECT_TRUE(QFileInfo(folder.filePath("link.png")).isSymLink());

    SnapshotFiles missing(folder.filePath("missing"));
    EXPECT_FALSE(missing.folderExists());
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("missing")));
}

} // namespace
} // namespace quillet
