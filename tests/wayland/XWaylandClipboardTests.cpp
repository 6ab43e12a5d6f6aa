// A card's copy, made by the program in an XWayland window as on a GNOME desktop, pasted by a native
// Wayland program (wl-paste): the desktop bridges the two clipboards. Run inside rig.sh with RIG_X11=1.
#include "Quillet/thumbnails/CaptureClipboard.hpp"

#include "tests/support/WaitFor.hpp"

#include <QApplication>
#include <QBuffer>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <chrono>
#include <gtest/gtest.h>
#include <memory>

namespace quillet {
namespace {

using namespace std::chrono_literals;

constexpr unsigned shiftKeycode = 42;

// wl-paste reads the clipboard through a surface of its own that needs the keyboard's focus, and the
// headless desktop has a keyboard only once a remote-desktop session has typed on it.
class RemoteKeyboard {
public:
    RemoteKeyboard()
    {
        const QString remoteDesktop = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
        QDBusInterface desktop(remoteDesktop, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                               remoteDesktop);
        const QDBusReply<QDBusObjectPath> session = desktop.call(QStringLiteral("CreateSession"));
        session_ = std::make_unique<QDBusInterface>(remoteDesktop, session.value().path(),
                                                    remoteDesktop + QStringLiteral(".Session"));
        session_->call(QStringLiteral("Start"));
        session_->call(QStringLiteral("NotifyKeyboardKeycode"), shiftKeycode, true);
        session_->call(QStringLiteral("NotifyKeyboardKeycode"), shiftKeycode, false);
    }

private:
    std::unique_ptr<QDBusInterface> session_;
};

// What wl-paste prints; the event loop runs meanwhile, so that this process can answer as the owner of
// the X clipboard.
[[nodiscard]] QByteArray wlPaste(const QStringList& arguments)
{
    QProcess paste;
    paste.start(QStringLiteral("wl-paste"), arguments);
    const bool ended = testing::waitFor([&] { return paste.state() == QProcess::NotRunning; }, 20s);
    if (!ended) {
        paste.kill();
        paste.waitForFinished(5000);
        ADD_FAILURE() << "wl-paste did not end";
        return {};
    }
    return paste.readAllStandardOutput();
}

TEST(XWaylandClipboard, ACardsCopyPastesIntoAWaylandProgram)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "the program runs on XWayland";
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Screenshot 2024-05-01 at 10.00.00.png"));
    QImage still(48, 32, QImage::Format_RGB32);
    still.fill(QColor(200, 40, 90));
    ASSERT_TRUE(still.save(path));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && still.save(&buffer, "PNG"));
    const RemoteKeyboard keyboard;

    CaptureClipboard::copy(path, png);

    // The desktop takes the new X selection over a moment later.
    QByteArray types;
    EXPECT_TRUE(testing::waitFor(
        [&] {
            types = wlPaste({QStringLiteral("--list-types")});
            return types.contains("image/png");
        },
        20s))
        << types.toStdString();
    EXPECT_TRUE(types.contains("text/uri-list")) << types.toStdString();
    EXPECT_TRUE(types.contains("x-special/gnome-copied-files")) << types.toStdString();
    EXPECT_EQ(wlPaste({QStringLiteral("--type"), QStringLiteral("image/png")}), png) << "the very bytes";
    EXPECT_EQ(
        wlPaste({QStringLiteral("--no-newline"), QStringLiteral("--type"), QStringLiteral("text/uri-list")})
            .trimmed(),
        QUrl::fromLocalFile(path).toEncoded());
}

} // namespace
} // namespace quillet

int main(int argc, char** argv)
{
    // The X11 platform on the desktop's XWayland, as the program runs on GNOME.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
