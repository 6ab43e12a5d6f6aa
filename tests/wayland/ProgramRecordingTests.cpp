// Runs inside the headless GNOME desktop of rig.sh (see tests/CMakeLists.txt): the program records
// through the desktop's screen cast as a user drives it, from the desktop's key binding
// (`quillet --action record`) to the movie in the folder with its card.
#include "tests/support/ChildProcess.hpp"
#include "tests/support/PulseAudioServer.hpp"
#include "tests/support/WaitFor.hpp"
#include "tests/wayland/AccessibleButton.hpp"
#include "tests/wayland/RemotePointer.hpp"
#include "tests/wayland/RigProgram.hpp"

#include <QDBusInterface>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using testing::acceptMonitorChooser;
using testing::RemotePointer;

using testing::startProgram;

int timesSaid(const testing::ChildProcess& program, const std::string& text)
{
    const std::string told = program.standardErrorSoFar();
    int count = 0;
    for (auto at = told.find(text); at != std::string::npos; at = told.find(text, at + 1)) {
        ++count;
    }
    return count;
}

void askToRecord()
{
    startProgram({"--action", "record"})->wait(20s);
}

// Lets the recording run: the movie needs some length to be judged.
void letRecord(std::chrono::milliseconds length)
{
    const QDeadlineTimer deadline(length);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

// Asks for a recording and picks what `pick` does on the selector, again until the tool records:
// the selector shows in another process, and input that comes before it reaches the desktop instead.
::testing::AssertionResult record(const testing::ChildProcess& program, const std::function<void()>& pick)
{
    const int before = timesSaid(program, "the capture tool records its first frame");
    askToRecord();
    QDeadlineTimer nextNudge(0);
    const bool started = testing::waitFor(
        [&] {
            if (nextNudge.hasExpired()) {
                pick();
                nextNudge.setRemainingTime(1s);
            }
            return timesSaid(program, "the capture tool records its first frame") > before;
        },
        60s);
    return started ? ::testing::AssertionSuccess()
                   : ::testing::AssertionFailure() << "no recording started:\n"
                                                   << program.standardErrorSoFar();
}

// The whole monitor: the desktop's chooser is accepted when it asks, and its first click is the middle
// of the selector too.
::testing::AssertionResult recordMonitor(const testing::ChildProcess& program, RemotePointer& pointer)
{
    return record(program, [&] { acceptMonitorChooser(pointer); });
}

// The area from (100, 100) to (420, 340) of the monitor, dragged only once the selector has opened, so
// that no part of a drag lands while its windows map.
::testing::AssertionResult recordArea(const testing::ChildProcess& program, RemotePointer& pointer)
{
    // Dragged once the selector lies over the monitor, as a user sees it there.
    const int shown = timesSaid(program, "the selector covers its monitor");
    return record(program, [&] {
        if (timesSaid(program, "the selector covers its monitor") == shown) {
            return;
        }
        pointer.moveTo(100, 100);
        pointer.press(true);
        pointer.moveTo(300, 200);
        pointer.moveTo(420, 340);
        pointer.press(false);
    });
}

QStringList movies()
{
    return QDir(QDir::home().filePath(QStringLiteral("Screenshots")))
        .entryList({QStringLiteral("*.mp4")}, QDir::Files, QDir::Time | QDir::Reversed);
}

// ffprobe's word on the first sound stream: "codec,sample rate,channels,seconds"; empty without one.
QString probedSound(const QString& name)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                 QStringLiteral("a:0"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=codec_name,sample_rate,channels,duration"), QStringLiteral("-of"),
                 QStringLiteral("csv=p=0"), QDir::home().filePath(QStringLiteral("Screenshots/") + name)});
    probe.waitForFinished(30'000);
    return QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
}

// Turns on the microphone in the preferences the next program start reads, keeping the rest (the
// desktop's restore token among them).
void recordTheMicrophone()
{
    const QString folder = QDir::home().filePath(QStringLiteral(".config/quillet"));
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/preferences.plist"));
    QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    if (!text.contains("</dict>")) {
        text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n</dict></plist>\n";
    }
    text.replace("</dict>", "<key>recordMicrophone</key><true/>\n</dict>");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// ffprobe's word on the first video stream and the length of a movie: "codec,width,height,pixels,rate,…"
// and seconds.
std::pair<QString, double> probed(const QString& name)
{
    QProcess probe;
    probe.start(
        QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
         QStringLiteral("v:0"), QStringLiteral("-show_entries"),
         QStringLiteral("stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_frames:format=duration"),
         QStringLiteral("-of"), QStringLiteral("csv=p=0"),
         QDir::home().filePath(QStringLiteral("Screenshots/") + name)});
    probe.waitForFinished(30'000);
    const QStringList lines =
        QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return {lines.value(0).trimmed(), lines.value(1).toDouble()};
}

// The desktop's own end of the program's screen casts, as its sharing indicator's Stop does. The
// compositor lets only the portal's back-end stop its casts, so the back-end is asked to close every
// session it holds (the test's own pointer goes to the compositor directly, not through the portal).
void stopSharingFromTheDesktop(
    const QString& path = QStringLiteral("/org/freedesktop/portal/desktop/session"))
{
    const QString backEnd = QStringLiteral("org.freedesktop.impl.portal.desktop.gnome");
    QDBusInterface introspection(backEnd, path, QStringLiteral("org.freedesktop.DBus.Introspectable"));
    const QDBusReply<QString> xml = introspection.call(QStringLiteral("Introspect"));
    if (xml.value().contains(QStringLiteral("org.freedesktop.impl.portal.Session"))) {
        QDBusInterface(backEnd, path, QStringLiteral("org.freedesktop.impl.portal.Session"))
            .call(QStringLiteral("Close"));
    }
    static const QRegularExpression node(QStringLiteral("<node name=\"([^\"]+)\""));
    for (const auto& match : node.globalMatch(xml.value())) {
        stopSharingFromTheDesktop(path + QLatin1Char('/') + match.captured(1));
    }
}

// A capture tool of this desktop's (other desktops on the machine may be recording too).
bool toolRuns()
{
    const QByteArray runtime = "XDG_RUNTIME_DIR=" + qgetenv("XDG_RUNTIME_DIR");
    for (const QString& process : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile name(QStringLiteral("/proc/%1/comm").arg(process));
        QFile environment(QStringLiteral("/proc/%1/environ").arg(process));
        if (name.open(QIODevice::ReadOnly) && name.readAll().startsWith("quillet-screenc") &&
            environment.open(QIODevice::ReadOnly) && environment.readAll().split('\0').contains(runtime)) {
            return true;
        }
    }
    return false;
}

// Whether the program is up: it has looked at what the desktop's portals offer.
[[nodiscard]] bool hasStarted(const testing::ChildProcess& program)
{
    return testing::waitFor([&] { return timesSaid(program, "desktop portals:") > 0; }, 30s);
}

TEST(ProgramRecording, TheKeyRecordsAMonitorOrAnAreaUntilPressedAgainOrTheDesktopStopsSharingOrTheProgramDies)
{
    RemotePointer pointer;
    auto program = startProgram({});
    ASSERT_TRUE(hasStarted(*program)) << program->standardErrorSoFar();

    // Pressed twice: a movie of the animated desktop, in the folder, with its card.
    ASSERT_TRUE(recordMonitor(*program, pointer));
    letRecord(3s);
    askToRecord();
    ASSERT_TRUE(testing::waitFor([&] { return timesSaid(*program, "recording saved as") == 1; }, 60s))
        << program->standardErrorSoFar();
    ASSERT_EQ(movies().size(), 1);
    const auto [stream, seconds] = probed(movies().front());
    EXPECT_TRUE(stream.startsWith(QStringLiteral("h264,1280,720,yuv420p,30/1,"))) << stream.toStdString();
    EXPECT_GE(seconds, 2.5) << "the recording ran 3 s";

    // An area, until the user stops sharing from the desktop: the recording stops and is saved as by
    // the key (here the cast's stream goes before the portal's word that the session closed).
    ASSERT_TRUE(recordArea(*program, pointer));
    letRecord(2s);
    stopSharingFromTheDesktop();
    ASSERT_TRUE(testing::waitFor([&] { return timesSaid(*program, "recording saved as") == 2; }, 20s))
        << program->standardErrorSoFar();
    ASSERT_EQ(movies().size(), 2);
    // Wayland grants no grab: a selector that kept asking filled the log with the toolkit's refusals.
    EXPECT_EQ(timesSaid(*program, "grabbing the mouse"), 0);
    // Exactly the area dragged: the selector's word and the movie.
    EXPECT_EQ(timesSaid(*program, "recording 320x240 at 100,100 of the stream"), 1)
        << program->standardErrorSoFar();
    const QStringList area = probed(movies().back()).first.split(',');
    ASSERT_GE(area.size(), 5) << area.join(',').toStdString();
    EXPECT_EQ(area[0], "h264");
    EXPECT_EQ(area[1].toInt(), 320) << area.join(',').toStdString();
    EXPECT_EQ(area[2].toInt(), 240) << area.join(',').toStdString();
    EXPECT_EQ(area[3], "yuv420p");
    EXPECT_EQ(area[4], "30/1");

    // The program is killed while it records: the tool finishes the movie, the next start saves it.
    ASSERT_TRUE(recordMonitor(*program, pointer));
    letRecord(2s);
    program->signal(SIGKILL);
    program->wait(20s);
    ASSERT_TRUE(testing::waitFor([] { return !toolRuns(); }, 30s)) << "the capture tool outlived the program";
    auto again = startProgram({});
    EXPECT_TRUE(testing::waitFor([&] { return timesSaid(*again, "recording saved as") == 1; }, 60s))
        << again->standardErrorSoFar();
    EXPECT_EQ(timesSaid(*again, "recovering the recording"), 1);
    ASSERT_EQ(movies().size(), 3);
    EXPECT_GE(probed(movies().back()).second, 1.0);
}

// With the microphone on and the program's panel pressing Stop: the movie has the sound of the
// session's sound server (a private PulseAudio whose only input is a silent source) beside the picture,
// as long as it.
TEST(ProgramRecording, WithTheMicrophoneOnAndStoppedFromThePanelTheMovieHasItsSound)
{
    // Not PulseAudio's sine source: it hands its sound in blocks of a second and more, so a recording's
    // last block has not come when it stops.
    testing::PulseAudioServer sound({"module-null-source source_name=microphone"});
    ASSERT_TRUE(sound.waitUntilReady(10s));
    qputenv("PULSE_SERVER", QByteArray::fromStdString(sound.address()));
    // The panel's buttons are pressed through the accessibility bus.
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    recordTheMicrophone();
    const qsizetype moviesBefore = movies().size();
    RemotePointer pointer;
    auto program = startProgram({});
    ASSERT_TRUE(hasStarted(*program)) << program->standardErrorSoFar();

    ASSERT_TRUE(recordMonitor(*program, pointer));
    letRecord(3s);
    // A second start brings the first one's panel, which shows the recording with its Stop.
    startProgram({})->wait(20s);
    ASSERT_TRUE(
        testing::waitFor([] { return testing::AccessibleButton::press(QStringLiteral("Stop")); }, 20s))
        << "no Stop on the panel";
    ASSERT_TRUE(testing::waitFor([&] { return timesSaid(*program, "recording saved as") == 1; }, 30s))
        << program->standardErrorSoFar();
    ASSERT_EQ(movies().size(), moviesBefore + 1);
    const auto [picture, seconds] = probed(movies().back());
    EXPECT_TRUE(picture.startsWith(QStringLiteral("h264,1280,720,yuv420p,30/1,"))) << picture.toStdString();
    EXPECT_GE(seconds, 2.5);
    const QStringList heard = probedSound(movies().back()).split(',');
    ASSERT_EQ(heard.size(), 4) << heard.join(',').toStdString() << "\n" << program->standardErrorSoFar();
    EXPECT_EQ(heard[0], "aac");
    EXPECT_NEAR(heard[3].toDouble(), seconds, 0.2)
        << "the sound lasts as long as the picture\n" << program->standardErrorSoFar();
}

} // namespace
} // namespace quillet

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
