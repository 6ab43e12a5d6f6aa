// The microphone list against a real PulseAudio server that the test starts with virtual devices.
#include "Quillet/recording/PulseMicrophones.hpp"

#include "tests/support/WaitFor.hpp"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

std::vector<QString> ids(const std::vector<Microphones::Device>& devices)
{
    std::vector<QString> result;
    for (const auto& device : devices) {
        result.push_back(device.id);
    }
    return result;
}

class SoundServer {
public:
    SoundServer()
    {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() || !folder.isValid()) {
            return;
        }
        const QString socket = folder.filePath("native");
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", folder.path());
        environment.insert("XDG_RUNTIME_DIR", folder.path());
        environment.insert("XDG_CONFIG_HOME", folder.filePath("config"));
        server.setProcessEnvironment(environment);
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start("pulseaudio",
                     {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm", "--log-level=error",
                      "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket,
                      "--load=module-null-sink sink_name=speakers",
                      "--load=module-sine-source source_name=usb_mic rate=48000",
                      "--load=module-null-source source_name=headset_mic"});
        server.waitForStarted();
    }
    ~SoundServer()
    {
        server.kill();
        server.waitForFinished();
        qunsetenv("PULSE_SERVER");
    }

    [[nodiscard]] bool isRunning() const { return server.state() == QProcess::Running; }

    static bool control(const QStringList& arguments)
    {
        QProcess pactl;
        pactl.start("pactl", arguments);
        return pactl.waitForFinished(10'000) && pactl.exitCode() == 0;
    }

    QTemporaryDir folder;
    QProcess server;
};

TEST(PulseMicrophones, ListsTheServersInputsWithoutMonitorsAndFollowsItsChanges)
{
    if (!PulseMicrophones::isSupported()) {
        GTEST_SKIP() << "the event loop does not run GLib";
    }
    SoundServer server;
    if (!server.isRunning()) {
        GTEST_SKIP() << "pulseaudio is needed";
    }
    PulseMicrophones microphones;
    int changes = 0;
    QObject::connect(&microphones, &Microphones::changed, [&] { ++changes; });
    ASSERT_TRUE(testing::waitFor([&] { return microphones.available().size() == 2; }, 20s))
        << "the server may take a moment to start";
    EXPECT_EQ(ids(microphones.available()), (std::vector<QString>{"usb_mic", "headset_mic"}))
        << "in the server's order, and the speakers' monitor is no microphone";
    EXPECT_FALSE(microphones.available().front().name.isEmpty());
    EXPECT_EQ(microphones.resolve(QString("headset_mic"))->name, microphones.available().back().name);
    EXPECT_EQ(microphones.resolve(QString("HEADSET_MIC")), std::nullopt);

    ASSERT_TRUE(SoundServer::control({"set-default-source", "headset_mic"}));
    ASSERT_TRUE(
        testing::waitFor([&] { return microphones.defaultName() == microphones.available().back().name; }));

    ASSERT_TRUE(SoundServer::control({"load-module", "module-null-source", "source_name=late_mic"}));
    ASSERT_TRUE(testing::waitFor([&] { return microphones.available().size() == 3; }));
    EXPECT_EQ(ids(microphones.available()).back(), "late_mic");
    EXPECT_GE(changes, 3);

    server.server.kill();
    server.server.waitForFinished();
    EXPECT_TRUE(testing::waitFor([&] { return microphones.available().empty(); }))
        << "a server that is gone has no microphones";
    EXPECT_EQ(microphones.defaultName(), Microphones::fallbackDefaultName());
}

} // namespace
} // namespace quillet
