#include "Quillet/library/Library.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {
namespace {

using namespace std::chrono;

// 2025-01-31 14:05:09 UTC
const system_clock::time_point aCaptureMoment = sys_days{2025y / January / 31} + 14h + 5min + 9s;

// Runs with the given environment variables, restoring them afterwards.
class ScopedEnvironment {
public:
    void set(const char* name, const QByteArray& value)
    {
        saved_.emplace_back(name, qEnvironmentVariableIsSet(name), qgetenv(name));
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (std::get<1>(*it)) {
                qputenv(std::get<0>(*it), std::get<2>(*it));
            } else {
                qunsetenv(std::get<0>(*it));
            }
        }
    }

private:
    std::vector<std::tuple<const char*, bool, QByteArray>> saved_;
};

class LibraryTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        environment_.set("TZ", "UTC");
    }

    void touch(const QString& path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir root_;
    ScopedEnvironment environment_;
};

TEST_F(LibraryTest, AMissingFolderIsCreatedWithItsParentsAndNamedByDate)
{
    const QString folder = root_.filePath("a/b/Screenshots");
    const Library library(folder);
    const auto first = library.newFile(Library::Kind::still, Library::DateNaming{}, aCaptureMoment);
    ASSERT_TRUE(first.isSuccess()) << first.error().toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(first.value().path, folder + "/Screenshot 2025-01-31 at 14.05.09.webp");
    EXPECT_FALSE(first.value().number.has_value());
    EXPECT_FALSE(QFile::exists(first.value().path)) << "the location is only handed out";

    touch(first.value().path);
    const auto second = library.newFile(Library::Kind::still, Library::DateNaming{}, aCaptureMoment);
    ASSERT_TRUE(second.isSuccess());
    EXPECT_EQ(second.value().path, folder + "/Screenshot 2025-01-31 at 14.05.09 2.webp");

    const auto recording = library.newFile(Library::Kind::recording, Library::DateNaming{}, aCaptureMoment);
    ASSERT_TRUE(recording.isSuccess());
    EXPECT_EQ(recording.value().path, folder + "/Screen Recording 2025-01-31 at 14.05.09.mp4");
}

TEST_F(LibraryTest, APlainFileInTheFoldersPlaceFailsWithTheError)
{
    const QString folder = root_.filePath("Screenshots");
    touch(folder);
    const Library library(folder);
    const auto result = library.newFile(Library::Kind::still, Library::DateNaming{}, aCaptureMoment);
    ASSERT_FALSE(result.isSuccess());
    EXPECT_TRUE(result.error().contains(folder)) << result.error().toStdString();
    EXPECT_TRUE(QFileInfo(folder).isFile()) << "the file is left alone";
    EXPECT_TRUE(Library::createFolder(root_.filePath("Screenshots/inner")).has_value());
}

TEST_F(LibraryTest, NumberedNamesSkipNumbersUsedByEitherKind)
{
    const Library library(root_.path());
    touch(root_.filePath("Shot 00003.mp4"));
    ASSERT_EQ(::symlink("/nonexistent", QFile::encodeName(root_.filePath("Shot 00004.webp")).constData()), 0);

    const auto still =
        library.newFile(Library::Kind::still, Library::NumberedNaming{"Shot", 3}, aCaptureMoment);
    ASSERT_TRUE(still.isSuccess());
    EXPECT_EQ(still.value().path, root_.filePath("Shot 00005.webp"))
        << "a dangling link still holds its name";
    EXPECT_EQ(still.value().number, 5);

    const auto recording =
        library.newFile(Library::Kind::recording, Library::NumberedNaming{"", 0}, aCaptureMoment);
    ASSERT_TRUE(recording.isSuccess());
    EXPECT_EQ(recording.value().path, root_.filePath("00001.mp4"));
    EXPECT_EQ(recording.value().number, 1);
}

// Names that cannot be checked fail the choice at once; a long prefix is cut so its names fit.
TEST_F(LibraryTest, ChoosingANameNeverHangs)
{
    const Library library(root_.path());
    const auto numbered =
        library.newFile(Library::Kind::still, Library::NumberedNaming{QString(250, 'a'), 1}, aCaptureMoment);
    ASSERT_TRUE(numbered.isSuccess()) << numbered.error().toStdString();
    EXPECT_LE(QFile::encodeName(QFileInfo(numbered.value().path).fileName()).size(), 255);
    touch(numbered.value().path);
    EXPECT_TRUE(QFile::exists(numbered.value().path));

    // Every name in a folder this deep is too long for the system to check.
    QString deep = root_.path();
    while (deep.size() < 4090 - 250) {
        deep += '/' + QString(200, 'd');
    }
    deep += '/' + QString(4090 - deep.size() - 1, 'e');
    std::vector<std::pair<QString, QString>> unsearchable{{deep, "File name too long"}};
    if (::geteuid() != 0) {
        const QString locked = root_.filePath("locked");
        ASSERT_TRUE(QDir().mkdir(locked));
        ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0600), 0);
        unsearchable.emplace_back(locked, "Permission denied");
    }
    for (const auto& [folder, reason] : unsearchable) {
        for (const auto& naming :
             {Library::Naming{Library::DateNaming{}}, Library::Naming{Library::NumberedNaming{"", 1}}}) {
            const auto result = Library(folder).newFile(Library::Kind::still, naming, aCaptureMoment);
            ASSERT_FALSE(result.isSuccess());
            EXPECT_TRUE(result.error().contains(reason)) << result.error().toStdString();
        }
    }
}

} // namespace
} // namespace quillet
