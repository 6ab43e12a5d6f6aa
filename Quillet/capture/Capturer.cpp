#include "Quillet/capture/Capturer.hpp"

#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/ScreenGeometry.hpp"
#include "Quillet/library/Library.hpp"
#include "core/ScreenCaptureArguments.hpp"

#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTimer>

#include <cmath>

namespace quillet {
namespace {

constexpr double metersPerInch = 0.0254;
constexpr double pointsPerInch = 72;

QStringList toQt(const std::vector<std::string>& arguments)
{
    QStringList result;
    for (const auto& argument : arguments) {
        result << QString::fromStdString(argument);
    }
    return result;
}

QStringList argumentsFor(Capturer::Mode mode, const QString& output)
{
    const std::string path = output.toStdString();
    switch (mode) {
    case Capturer::Mode::screen: {
        const Rect frame = ScreenGeometry::frame(ScreenGeometry::screenUnderPointer());
        return toQt(ScreenCaptureArguments::screen(ScreenGeometry::region(frame), path));
    }
    case Capturer::Mode::interactive:
        return toQt(ScreenCaptureArguments::interactive(path));
    }
    return {};
}

ScreenCaptureTool::Waiting waitingFor(Capturer::Mode mode)
{
    switch (mode) {
    case Capturer::Mode::screen:
        return ScreenCaptureTool::Waiting::limited;
    case Capturer::Mode::interactive:
        return ScreenCaptureTool::Waiting::forUser;
    }
    return ScreenCaptureTool::Waiting::limited;
}

} // namespace

Capturer::Capturer(ScreenCaptureTool tool, QObject* parent) : QObject(parent), tool_(std::move(tool)) {}

Capturer::~Capturer()
{
    if (toolOutput_.isEmpty()) {
        return;
    }
    // The tool may still write its file until it is gone.
    qDeleteAll(findChildren<QProcess*>());
    QFile::remove(toolOutput_);
}

double Capturer::scaleFor(int dotsPerMeter)
{
    if (dotsPerMeter <= 0) {
        return 1;
    }
    const double dotsPerInch = dotsPerMeter * metersPerInch;
    return std::max(1.0, std::round(dotsPerInch / pointsPerInch));
}

std::optional<CapturedImage> Capturer::load(const QString& path)
{
    // The tool writes PNG and nothing else: no other reader gets to guess at its bytes.
    QImageReader reader(path, "png");
    reader.setDecideFormatFromContent(false);
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull()) {
        return std::nullopt;
    }
    const double scale = scaleFor(image.dotsPerMeterX());
    // In place where Qt can: a second full-size bitmap would cost as much as the conversion.
    image.convertTo(QImage::Format_RGBA8888_Premultiplied);
    return CapturedImage{std::move(image), scale};
}

void Capturer::capture(Mode mode, Completion completion)
{
    if (isRunning_) {
        completion(std::nullopt);
        return;
    }
    const auto temporary = Library::temporaryFile(QStringLiteral("png"));
    if (!temporary.isSuccess()) {
        captureLog().error("could not make a file for the capture: %{public}s", temporary.error());
        completion(std::nullopt);
        return;
    }
    isRunning_ = true;
    const QString path = temporary.value();
    toolOutput_ = path;
    // The program's own cards and panel must not appear in the picture.
    hiddenWindows_ = std::make_unique<WindowsHiddenForGrab>();
    auto start = [this, mode, path, completion = std::move(completion)]() mutable {
        tool_.run(argumentsFor(mode, path), waitingFor(mode), this,
                  [this, path, completion = std::move(completion)](bool ended) {
                      toolOutput_.clear();
                      hiddenWindows_.reset();
                      if (!ended) {
                          QFile::remove(path);
                          finish(completion, std::nullopt);
                          return;
                      }
                      loadInBackground(path, completion);
                  });
    };
    if (hiddenWindows_->hidAny()) {
        QTimer::singleShot(WindowsHiddenForGrab::settleTime, this, std::move(start));
    } else {
        start();
    }
}

void Capturer::loadInBackground(const QString& path, Completion completion)
{
    runInBackground(
        this,
        [path] {
            auto image = load(path);
            QFile::remove(path);
            return image;
        },
        [this, completion = std::move(completion)](std::optional<CapturedImage> image) {
            finish(completion, std::move(image));
        });
}

void Capturer::finish(const Completion& completion, std::optional<CapturedImage> image)
{
    isRunning_ = false;
    completion(std::move(image));
}

} // namespace quillet
