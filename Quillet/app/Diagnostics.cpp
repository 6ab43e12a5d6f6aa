#include "Quillet/app/Diagnostics.hpp"

#include "Brindle/AppInfo.hpp"
#include "Brindle/PropertyListXml.hpp"
#include "Brindle/UserDefaults.hpp"
#include "Quillet/capture/CapturedImage.hpp"
#include "Quillet/capture/PortalCapturer.hpp"
#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/DesktopPortals.hpp"
#include "Quillet/common/ScreenGeometry.hpp"
#include "Quillet/diagnostics/PipeWireServer.hpp"
#include "Quillet/diagnostics/SessionDiagnosis.hpp"
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

// Read without the preference store, which would set an unreadable file aside: the report changes nothing.
bool restoreTokenStored()
{
    QFile file(brindle::UserDefaults::standardFilePath(QStringLiteral("quillet")));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const auto read = brindle::PropertyListXml::read(file.read(brindle::UserDefaults::maximumFileBytes));
    if (!read.values) {
        return false;
    }
    const auto entry = read.values->find(PortalCapturer::restoreTokenKey);
    const std::string* token = entry != read.values->end() ? entry->second.get<std::string>() : nullptr;
    return token != nullptr && !token->empty();
}

SessionFacts sessionFacts(const DesktopSession& session)
{
    SessionFacts facts;
    facts.session = session;
    if (!session.isWayland()) {
        return facts;
    }
    facts.offer = DesktopPortals::offer(Diagnostics::portalAnswerLimit);
    facts.restoreTokenStored = restoreTokenStored();
    if (const auto server = PipeWireServer::query(Diagnostics::pipeWireLimit)) {
        facts.pipeWire = server->version;
    }
    return facts;
}

QString displayText(const DesktopSession& session)
{
    const QString x11 = qEnvironmentVariable("DISPLAY", QStringLiteral("-"));
    if (!session.isWayland()) {
        return QStringLiteral("%1 (%2)").arg(x11, QGuiApplication::platformName());
    }
    return QStringLiteral("%1, XWayland %2 (%3)")
        .arg(qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("-")), x11,
             QGuiApplication::platformName());
}

QStringList toQt(const std::vector<std::string>& arguments)
{
    QStringList result;
    for (const auto& argument : arguments) {
        result << QString::fromStdString(argument);
    }
    return result;
}

// X11 lets every client read the screen.
void describeX11(DiagnosticsReport& report)
{
    const auto desktop = X11Desktop::read();
    const auto* x11 = std::get_if<X11Desktop>(&desktop);
    report.canCapture = x11 != nullptr;
    if (x11) {
        report.shareableContent = DiagnosticsReport::ShareableContent{x11->monitors, x11->clientWindows};
    } else {
        report.shareableContent = std::get<X11Desktop::Unreachable>(desktop).reason;
    }
    report.facts.emplace_back(QStringLiteral("window manager"), x11 ? x11->windowManager : QString());
    report.facts.emplace_back(QStringLiteral("compositor"), x11 ? yesNo(x11->hasCompositor) : QString());
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
    const DesktopSession session = DesktopSession::detect(SessionEnvironment::ofProcess());
    report.facts = {
        {QStringLiteral("version"), brindle::AppInfo::version()},
        {QStringLiteral("session"), qEnvironmentVariable("XDG_SESSION_TYPE")},
        {QStringLiteral("desktop"), qEnvironmentVariable("XDG_CURRENT_DESKTOP")},
    };
    const SessionFacts facts = sessionFacts(session);
    for (auto& line : facts.lines()) {
        report.facts.push_back(std::move(line));
    }
    report.facts.emplace_back(QStringLiteral("display"), displayText(session));
    if (session.isWayland()) {
        // What XWayland would say describes only the X11 clients, not the desktop.
        facts.describeCapture(report);
    } else {
        describeX11(report);
    }
    report.facts.emplace_back(QStringLiteral("tray host"), yesNo(QSystemTrayIcon::isSystemTrayAvailable()));
    report.facts.emplace_back(QStringLiteral("sound server"), soundServerText());
    report.facts.emplace_back(QStringLiteral("libraries"), QStringLiteral("Qt %1, libwebp %2, FFmpeg %3")
                                                               .arg(QString::fromLatin1(qVersion()),
                                                                    webPVersion(), MediaLibrary::version()));
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
    if (!report->captureNotTried.isEmpty()) {
        (void)AtomicFileWriter::replace(path, report->text().toUtf8());
        done();
        return;
    }
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
