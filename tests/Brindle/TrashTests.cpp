#include "Brindle/Trash.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace brindle {
namespace {

// Points $XDG_DATA_HOME and the working folder into a fresh temporary folder for one test.
class TrashTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        savedDataHome_ = qgetenv("XDG_DATA_HOME");
        hadDataHome_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        savedWorkingFolder_ = QDir::currentPath();
        ASSERT_TRUE(QDir(root_.path()).mkpath("work"));
        ASSERT_TRUE(QDir::setCurrent(path("work")));
        setDataHome(path("data/not-yet"));
    }

    void TearDown() override
    {
        QDir::setCurrent(savedWorkingFolder_);
        if (hadDataHome_) {
            qputenv("XDG_DATA_HOME", savedDataHome_);
        } else {
            qunsetenv("XDG_DATA_HOME");
        }
    }

    [[nodiscard]] QString path(const QString& relative) const { return root_.filePath(relative); }
    static void setDataHome(const QString& folder) { qputenv("XDG_DATA_HOME", folder.toUtf8()); }

    [[nodiscard]] QString makeFile(const QString& relative, const QByteArray& contents = "capture") const
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(contents);
        return file;
    }

private:
    QTemporaryDir root_;
    QByteArray savedDataHome_;
    bool hadDataHome_ = false;
    QString savedWorkingFolder_;
};

TEST_F(TrashTest, AFileGoesToTheHomeTrashEvenBeforeTheDataFolderExists)
{
    const QString file = makeFile("Screenshots/Shot 1.webp");
    const auto trashed = Trash::moveToTrash(file);

    ASSERT_TRUE(trashed.has_value());
    EXPECT_EQ(*trashed, path("data/not-yet/Trash/files/Shot 1.webp"));
    EXPECT_FALSE(QFileInfo::exists(file));
    QFile moved(*trashed);
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), "capture");

    QFile info(path("data/not-yet/Trash/info/Shot 1.webp.trashinfo"));
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(info.readAll());
    EXPECT_TRUE(text.startsWith("[Trash Info]\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("DeletionDate=")) << text.toStdString();
    EXPECT_TRUE(text.contains("Path=")) << text.toStdString();

    // Nothing in the working folder, where a broken trash lookup would have put it.
    EXPECT_FALSE(QFileInfo::exists(path("work/files")));
    EXPECT_FALSE(QFileInfo::exists(path("work/info")));
    for (const auto* folder : {"data/not-yet/Trash", "data/not-yet/Trash/files", "data/not-yet/Trash/info"}) {
        EXPECT_EQ(QFileInfo(path(folder)).permissions() & 0x0077, QFileDevice::Permissions()) << folder;
    }
}

TEST_F(TrashTest, TwoFilesOfTheSameNameAreBothKept)
{
    const auto first = Trash::moveToTrash(makeFile("a/same.mp4", "first"));
    const auto second = Trash::moveToTrash(makeFile("b/same.mp4", "second"));
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(*first, *second);
    QFile one(*first);
    QFile two(*second);
    ASSERT_TRUE(one.open(QIODevice::ReadOnly) && two.open(QIODevice::ReadOnly));
    EXPECT_EQ(one.readAll(), "first");
    EXPECT_EQ(two.readAll(), "second");
}

TEST_F(TrashTest, AFileThatCannotBeTrashedStaysWhereItIs)
{
    // A data folder below a plain file can never be made.
    ASSERT_FALSE(makeFile("blocker").isEmpty());
    setDataHome(path("blocker/data"));
    const QString file = makeFile("Screenshots/keep.webp");

    EXPECT_FALSE(Trash::moveToTrash(file).has_value());
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_FALSE(QFileInfo::exists(path("work/files")));
}

TEST_F(TrashTest, AMissingFileIsNotReportedAsTrashed)
{
    EXPECT_FALSE(Trash::moveToTrash(path("nothing-here.webp")).has_value());
    EXPECT_FALSE(Trash::moveToTrash(QString()).has_value());
}

} // namespace
} // namespace brindle
