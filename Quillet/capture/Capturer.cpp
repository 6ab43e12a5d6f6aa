#include "Quillet/capture/Capturer.hpp"

#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/common/ScreenGeometry.hpp"
#include "Quillet/library/Library.hpp"
#include "core/RawBitmapFile.hpp"
#include "core/ScreenCaptureArguments.hpp"

#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {
namespace {

constexpr double metersPerInch = 0.0254;
constexpr double pointsPerInch = 72;
// The tool hands its still over uncompressed: compressing and decompressing cost more than moving
// the pixels through a private file.
const QString toolFormat = QStringLiteral("raw");

// A file's bytes mapped into memory, unmapped with the bitmap that shows them.
struct MappedFile {
    void* start;
    std::size_t size;
};

// Closes the descriptor when it goes.
struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

bool readFully(int fd, std::uint8_t* target, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, target, size, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        target += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

void unmapPixels(void* mapping)
{
    const auto* file = static_cast<MappedFile*>(mapping);
    ::munmap(file->start, file->size);
    delete file;
}

// The pixels where the file holds them, mapped privately (a later change to the bitmap copies the
// page it touches, never the file): no copy of a 4K still on the way to its card. A null image when
// the file cannot be mapped.
QImage mappedPixels(int fd, const RawBitmapFile::Header& size, std::size_t fileSize)
{
    void* start = ::mmap(nullptr, fileSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (start == MAP_FAILED) {
        return {};
    }
    auto* file = new MappedFile{start, fileSize};
    QImage image(static_cast<uchar*>(start) + RawBitmapFile::headerSize, static_cast<int>(size.width),
                 static_cast<int>(size.height), static_cast<qsizetype>(size.bytesPerRow()),
                 QImage::Format_ARGB32_Premultiplied, unmapPixels, file);
    if (image.isNull()) {
        unmapPixels(file);
        return {};
    }
    image.setDotsPerMeterX(static_cast<int>(size.dotsPerMeter));
    image.setDotsPerMeterY(static_cast<int>(size.dotsPerMeter));
    return image;
}

Capturer::Result unreadable(const QString& reason)
{
    return Capturer::Result::failure(QStringLiteral("could not read the capture: %1").arg(reason));
}

// A pick the user cancelled, or a second request while a capture runs.
Capturer::Result nothing()
{
    return std::optional<CapturedImage>();
}

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
    const QStringList format{QStringLiteral("-t"), toolFormat};
    switch (mode) {
    case Capturer::Mode::screen: {
        const Rect frame = ScreenGeometry::frame(ScreenGeometry::screenUnderPointer());
        return format + toQt(ScreenCaptureArguments::screen(ScreenGeometry::region(frame), path));
    }
    case Capturer::Mode::interactive:
        return format + toQt(ScreenCaptureArguments::interactive(path));
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
    // The tool may still write its file until it is gone; its end, a kill, reports to nobody.
    for (QProcess* process : findChildren<QProcess*>()) {
        process->disconnect(this);
        delete process;
    }
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

std::optional<CapturedImage> Capturer::loadRaw(const QString& path)
{
    auto result = readRaw(path);
    if (!result.isSuccess()) {
        captureLog().error("%{public}s", result.error());
        return std::nullopt;
    }
    return result.value();
}

Capturer::Result Capturer::readRaw(const QString& path)
{
    const FileDescriptor file{::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW)};
    struct stat status {};
    if (file.fd < 0 && errno == ENOENT) {
        return nothing(); // a pick the user cancelled
    }
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0) {
        return unreadable(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!S_ISREG(status.st_mode)) {
        return unreadable(QStringLiteral("not a regular file"));
    }
    if (status.st_size == 0) {
        return nothing(); // the empty file made for the tool, which wrote nothing
    }
    std::array<std::uint8_t, RawBitmapFile::headerSize> start{};
    if (!readFully(file.fd, start.data(), start.size(), 0)) {
        return unreadable(QStringLiteral("shorter than its header"));
    }
    const auto header = RawBitmapFile::read(start, static_cast<std::uint64_t>(status.st_size));
    if (const auto* reason = std::get_if<std::string>(&header)) {
        return unreadable(QString::fromStdString(*reason));
    }
    const auto& size = std::get<RawBitmapFile::Header>(header);
    if (QImage mapped = mappedPixels(file.fd, size, static_cast<std::size_t>(status.st_size)); !mapped.isNull()) {
        return std::optional(CapturedImage{std::move(mapped), scaleFor(static_cast<int>(size.dotsPerMeter))});
    }
    // Allocated only now that the file is known to hold every pixel the header promises.
    QImage image(static_cast<int>(size.width), static_cast<int>(size.height),
                 QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() || image.bytesPerLine() != size.bytesPerRow()) {
        return unreadable(
            QStringLiteral("not enough memory for %1x%2 pixels").arg(size.width).arg(size.height));
    }
    if (!readFully(file.fd, image.bits(), static_cast<std::size_t>(image.sizeInBytes()),
                   RawBitmapFile::headerSize)) {
        return unreadable(QStringLiteral("the file ended early"));
    }
    image.setDotsPerMeterX(static_cast<int>(size.dotsPerMeter));
    image.setDotsPerMeterY(static_cast<int>(size.dotsPerMeter));
    return std::optional(CapturedImage{std::move(image), scaleFor(static_cast<int>(size.dotsPerMeter))});
}

void Capturer::capture(Mode mode, Completion completion)
{
    if (isRunning_) {
        completion(nothing());
        return;
    }
    const auto temporary = Library::temporaryFile(toolFormat);
    if (!temporary.isSuccess()) {
        completion(Result::failure(
            QStringLiteral("could not make a file for the capture: %1").arg(temporary.error())));
        return;
    }
    isRunning_ = true;
    const QString path = temporary.value();
    toolOutput_ = path;
    // The program's own cards and panel must not appear in the picture.
    hiddenWindows_ = std::make_unique<WindowsHiddenForGrab>();
    auto start = [this, mode, path, completion = std::move(completion)]() mutable {
        tool_.run(argumentsFor(mode, path), waitingFor(mode), this,
                  [this, path, completion = std::move(completion)](std::optional<QString> failure) {
                      toolOutput_.clear();
                      hiddenWindows_.reset();
                      if (failure) {
                          QFile::remove(path);
                          finish(completion, Result::failure(*failure));
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
            auto result = readRaw(path);
            QFile::remove(path);
            return result;
        },
        [this, completion = std::move(completion)](Result result) { finish(completion, std::move(result)); });
}

void Capturer::finish(const Completion& completion, Result result)
{
    isRunning_ = false;
    completion(std::move(result));
}

} // namespace quillet
