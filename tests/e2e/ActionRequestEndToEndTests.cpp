// `quillet --action NAME` and the session bus's Activate(NAME), as a desktop's key binding runs them:
// the real program on a private X server and a private session bus, capturing with the real tool.
#include "tests/support/ChildProcess.hpp"
#include "tests/support/PrivateBus.hpp"
#include "tests/support/WaitFor.hpp"
#include "tests/support/XvfbServer.hpp"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::waitFor;

const QColor rootColour(40, 110, 200);

class ActionRequests : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server_.isRunning());
        ASSERT_TRUE(home_.isValid());
        environment_ = ChildProcess::homeEnvironment(server_.display(), home_.path().toStdString());
        ASSERT_TRUE(bus_.isReady()) << "the bus did not start";
        environment_["DBUS_SESSION_BUS_ADDRESS"] = bus_.address().toStdString();
        ASSERT_EQ(
            ChildProcess::run({"xsetroot", "-solid", rootColour.name().toStdString()}, environment_).exitCode,
            0);
    }

    [[nodiscard]] static std::string program()
    {
        const char* binaries = std::getenv("QUILLET_BIN_DIR");
        return std::string(binaries ? binaries : "bin") + "/quillet";
    }

    [[nodiscard]] ChildProcess::Result activate(const std::string& action) const
    {
        return ChildProcess::run({"gdbus", "call", "--session", "--dest", "app.quillet.Quillet",
                                  "--object-path", "/app/quillet/Quillet", "--method",
                                  "app.quillet.Quillet.Activate", action},
                                 environment_);
    }

    [[nodiscard]] QStringList stills() const
    {
        return QDir(home_.filePath("Screenshots")).entryList({"*.webp"}, QDir::Files, QDir::Name);
    }

    testing::XvfbServer server_;
    QTemporaryDir home_;
    std::map<std::string, std::string> environment_;
    testing::PrivateBus bus_;
};

TEST_F(ActionRequests, TheCommandLineAndTheBusCaptureAsTheShortcutDoes)
{
    // With no copy running, the command starts one, which captures at once and stays.
    auto instance = std::make_unique<ChildProcess>(std::vector<std::string>{program(), "--action", "screen"},
                                                   environment_);
    ASSERT_TRUE(waitFor([this] { return stills().size() == 1; }, 30s)) << "the first start captured nothing";
    EXPECT_TRUE(instance->isRunning());

    const auto second = ChildProcess::run({program(), "--action", "screen"}, environment_);
    EXPECT_EQ(second.exitCode, 0) << second.standardError;
    ASSERT_TRUE(waitFor([this] { return stills().size() == 2; }, 30s)) << "the running copy did not capture";

    const auto called = activate("screen");
    EXPECT_EQ(called.exitCode, 0) << called.standardError;
    ASSERT_TRUE(waitFor([this] { return stills().size() == 3; }, 30s)) << "Activate did not capture";

    const auto unknownCall = activate("everything");
    EXPECT_NE(unknownCall.exitCode, 0);
    EXPECT_NE(unknownCall.standardError.find("unknown action"), std::string::npos)
        << unknownCall.standardError;
    const auto unknownOption = ChildProcess::run({program(), "--action", "everything"}, environment_);
    EXPECT_EQ(unknownOption.exitCode, 2);
    EXPECT_NE(unknownOption.standardError.find("unknown action \"everything\""), std::string::npos)
        << unknownOption.standardError;
    const auto withoutPath = ChildProcess::run({program(), "--diagnose"}, environment_);
    EXPECT_EQ(withoutPath.exitCode, 2);
    EXPECT_NE(withoutPath.standardError.find("--diagnose needs the path"), std::string::npos)
        << withoutPath.standardError;
    EXPECT_EQ(stills().size(), 3) << "a refused request captured";
    EXPECT_TRUE(instance->isRunning()) << "a refused request ended the running copy";

    // Each still is a whole, valid WebP of the screen.
    const QDir folder(home_.filePath("Screenshots"));
    for (const QString& name : stills()) {
        const QString decoded = home_.filePath(name + ".png");
        ASSERT_TRUE(waitFor(
            [&] {
                return QProcess::execute("dwebp", {"-quiet", folder.filePath(name), "-o", decoded}) == 0;
            },
            10s))
            << name.toStdString();
        const QImage picture(decoded);
        EXPECT_EQ(picture.size(), QSize(1280, 800)) << name.toStdString();
        const QColor centre = picture.pixelColor(640, 400);
        EXPECT_LE(std::abs(centre.red() - rootColour.red()) + std::abs(centre.green() - rootColour.green()) +
                      std::abs(centre.blue() - rootColour.blue()),
                  12)
            << name.toStdString() << " " << centre.name().toStdString();
    }
}

// Under Wayland X11 sees nothing of other windows: without a capture portal the program says so and
// never runs the X11 capture, whatever asks for a still.
TEST_F(ActionRequests, AWaylandSessionWithoutACapturePortalTriesNoCapture)
{
    environment_["XDG_SESSION_TYPE"] = "wayland";
    environment_["WAYLAND_DISPLAY"] = "wayland-test-absent";
    // No back-end is pinned: a portal service the bus may start offers no capture.
    environment_["XDG_DESKTOP_PORTAL_DIR"] = home_.path().toStdString();
    ChildProcess instance({program(), "--action", "screen"}, environment_);
    const QString socket =
        QString::fromStdString(environment_["XDG_RUNTIME_DIR"] + "/quillet/instance-" + server_.display());
    ASSERT_TRUE(waitFor([&socket] { return QFile::exists(socket); }, 20s)) << "the first copy never listened";
    const auto asked = ChildProcess::run({program(), "--action", "screen"}, environment_);
    EXPECT_EQ(asked.exitCode, 0) << asked.standardError;
    ASSERT_TRUE(instance.signal(SIGTERM));
    const auto ended = instance.wait();
    EXPECT_EQ(ended.exitCode, 0) << ended.standardError;
    EXPECT_NE(ended.standardError.find("screen cast=false screenshot=false global shortcuts=false"),
              std::string::npos)
        << ended.standardError;
    EXPECT_NE(ended.standardError.find("action screen asked through the command line"), std::string::npos);
    EXPECT_NE(ended.standardError.find("screen recording preflight=false"), std::string::npos);
    EXPECT_EQ(ended.standardError.find("captured "), std::string::npos) << "a capture was tried";
    EXPECT_TRUE(stills().isEmpty());
}

} // namespace
} // namespace quillet
