#include "Quillet/app/Diagnostics.hpp"

#include "Brindle/AppInfo.hpp"
#include "Quillet/capture/CapturedImage.hpp"
#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/ScreenGeometry.hpp"
#include "Quillet/diagnostics/SoundServer.hpp"
#include "Quillet/diagnostics/X11Desktop.hpp"
#include "Quillet/library/AtomicFileWriter.hpp"
#include "Quillet/library/Library.hpp"
#include "Quillet/recording/MediaLibrary.hpp"
#include "core/ScreenCaptureArguments.hpp"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>
#include <webp/encode.h>

namespace quillet {
namespace {

using TestCapture = DiagnosticsReport::TestCapture;

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QString webPVersion()
{
    const int version = WebPGetEncoderVersion();
    return QStringLiteral("%1.%2.%3")
        .arg((version >> 16) & 0xFF)
        .arg((version >> 8) & 0xFF)
        .arg(version & 0xFF);
}

QString soundServerText()
{
    const auto server = SoundServer::query(Diagnostics::soundServerLimit);
    if (!server) {
        return QStringLiteral("not reachable");
    }
    return QStringLiteral("%1 %2, default source %3")
        .arg(server->name, server->version,
             server->defaultSource.isEmpty() ? QStringLiteral("none") : server->defaultSource);
}

QStringList toQt(const std::vector<std::string>& arguments)
{
    QStringList result;
    for (const auto& argument : arguments) {
        result << QString::fromStdString(argument);
    }
    return result;
}

std::optional<TestCapture> readCapture(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QImage image = reader.read();
    if (image.isNull()) {
        return std::nullopt;
    }
    const bool isBlank =
        CapturedImage{image.convertToFormat(QImage::Format_RGBA8888_Premultiplied), 1}.isBlank();
    return TestCapture{image.width(), image.height(), QFileInfo(path).size(), isBlank};
}

// One run of the capture tool into a scratch file; the tool ends with this object at the latest.
class CaptureTest : public QObject {
public:
    using Done = std::function<void(std::optional<TestCapture>)>;

    CaptureTest(QObject* context, QString path, Done done)
        : QObject(context), path_(std::move(path)), done_(std::move(done))
    {
    }

    void finish(bool ended)
    {
        if (!done_) {
            return;
        }
        Done done = std::exchange(done_, nullptr);
        deleteLater();
        if (!ended) {
            QFile::remove(path_);
            done(std::nullopt);
            return;
        }
        runInBackground(
            parent(),
            [path = path_] {
                auto capture = readCapture(path);
                QFile::remove(path);
                return capture;
            },
            std::move(done));
    }

private:
    QString path_;
    Done done_;
};

} // namespace

DiagnosticsReport Diagnostics::describe()
{
    DiagnosticsReport report;
    report.programPath = QCoreApplication::applicationFilePath();
    report.identifier = QString::fromUtf8(brindle::AppInfo::bundleIdentifier.data(),
                                          static_cast<qsizetype>(brindle::AppInfo::bundleIdentifier.size()));
    const QString session = qEnvironmentVariable("XDG_SESSION_TYPE");
    const auto desktop = X11Desktop::read();
    const auto* x11 = std::get_if<X11Desktop>(&desktop);
    // X11 lets every client read the screen; a Wayland session gives an X11 client only its own
    // windows, and this build has no other way to capture.
    report.canCapture = x11 != nullptr && session != QStringLiteral("wayland");
    if (x11) {
        report.shareableContent = DiagnosticsReport::ShareableContent{x11->monitors, x11->clientWindows};
    } else {
        report.shareableContent = std::get<X11Desktop::Unreachable>(desktop).reason;
    }
    report.facts = {
        {QStringLiteral("version"), brindle::AppInfo::version()},
        {QStringLiteral("session"), session},
        {QStringLiteral("desktop"), qEnvironmentVariable("XDG_CURRENT_DESKTOP")},
        {QStringLiteral("display"),
         QStringLiteral("%1 (%2)").arg(qEnvironmentVariable("DISPLAY", QStringLiteral("-")),
                                       QGuiApplication::platformName())},
        {QStringLiteral("window manager"), x11 ? x11->windowManager : QString()},
        {QStringLiteral("compositor"), x11 ? yesNo(x11->hasCompositor) : QString()},
        {QStringLiteral("tray host"), yesNo(QSystemTrayIcon::isSystemTrayAvailable())},
        {QStringLiteral("sound server"), soundServerText()},
        {QStringLiteral("libraries"),
         QStringLiteral("Qt %1, libwebp %2, FFmpeg %3")
             .arg(QString::fromLatin1(qVersion()), webPVersion(), MediaLibrary::version())},
    };
    return report;
}

void Diagnostics::testCapture(QObject* context, const ScreenCaptureTool& tool,
                              std::function<void(std::optional<TestCapture>)> done)
{
    QScreen* screen = ScreenGeometry::screenUnderPointer();
    const auto scratch = Library::temporaryFile(QStringLiteral("png"));
    if (!screen || !scratch.isSuccess()) {
        done(std::nullopt);
        return;
    }
    const QString path = scratch.value();
    QStringList arguments{QStringLiteral("-x")};
    arguments << toQt(ScreenCaptureArguments::screen(ScreenGeometry::region(ScreenGeometry::frame(screen)),
                                                     path.toStdString()));
    auto* test = new CaptureTest(context, path, std::move(done));
    tool.run(arguments, ScreenCaptureTool::Waiting::limited, test, [test](std::optional<QString> failure) {
        if (failure) {
            captureLog().error("%{public}s", *failure);
        }
        test->finish(!failure);
    });
}

void Diagnostics::run(const QString& path, std::function<void()> done, ScreenCaptureTool tool)
{
    auto report = std::make_shared<DiagnosticsReport>(describe());
    auto* context = new QObject(QCoreApplication::instance());
    testCapture(context, tool,
                [context, report, path, done = std::move(done)](std::optional<TestCapture> capture) {
                    report->capture = capture;
                    // Nothing to tell anyone when the report itself cannot be written.
                    (void)AtomicFileWriter::replace(path, report->text().toUtf8());
                    context->deleteLater();
                    done();
                });
}

} // namespace quillet
