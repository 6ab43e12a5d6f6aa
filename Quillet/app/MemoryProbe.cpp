#include "Quillet/app/MemoryProbe.hpp"

#include "Brindle/SystemFont.hpp"
#include "Quillet/diagnostics/MemoryReport.hpp"
#include "Quillet/diagnostics/SyntheticCapture.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "Quillet/editor/EditorWindow.hpp"
#include "Quillet/editor/EditorWindowController.hpp"
#include "Quillet/library/AtomicFileWriter.hpp"
#include "Quillet/library/WebPEncoder.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"
#include "core/AnnotationColor.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QTimer>
#include <QUuid>

#include <chrono>
#include <malloc.h>
#include <optional>
#include <utility>
#include <vector>

namespace quillet {
namespace {

constexpr double editorPixelsPerPoint = 2;
constexpr qint64 bytesPerPixel = 4;
constexpr qint64 bytesPerKB = 1024;
constexpr qint64 bytesPerMB = 1024 * 1024;
const Rect redactedArea(200, 200, 1200, 300);
constexpr Point arrowFrom{2000, 1500};
constexpr Point arrowTo{2600, 1100};
// A save of a 5K capture takes a few seconds; one that never ends must not hang the probe.
constexpr std::chrono::milliseconds saveLimit{120'000};

// Removes the scratch folder however the run ends.
class ScratchFolder {
public:
    ScratchFolder()
        : dir_(QDir::temp().filePath(QStringLiteral("memory-probe-") +
                                     QUuid::createUuid().toString(QUuid::WithoutBraces)))
    {
        (void)QDir().mkpath(dir_.path());
    }
    ~ScratchFolder() { (void)dir_.removeRecursively(); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QDir dir_;
};

// Big bitmaps just freed go back to the system rather than stay in the allocator's free lists, so
// that a reading after a step shows what is still held.
void returnFreedMemory()
{
    (void)malloc_trim(0);
}

[[nodiscard]] qint64 pixelBytes(const std::vector<QImage>& images)
{
    qint64 total = 0;
    for (const QImage& image : images) {
        total += qint64{image.width()} * image.height() * bytesPerPixel;
    }
    return total;
}

// Lets the window paint and the objects it let go of be deleted.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One round in the editor: open its window on the capture, redact and point at something, save the
// annotated image over the file as the editor's own Save does, close.
void editAndSave(const QImage& capture, const QString& file)
{
    brindle::InMemoryPreferenceStore preferences;
    EditorWindowController editor(
        file, capture, editorPixelsPerPoint, [](const QImage&) {}, preferences);
    editor.show();
    settle();
    const AnnotationColor color = allAnnotationColors.front();
    editor.model().add(Mark(Annotation::redact(redactedArea), color));
    editor.model().add(Mark(Annotation::arrow(arrowFrom, arrowTo), color));
    QEventLoop saving;
    QObject::connect(&editor, &EditorWindowController::saveFinished, &saving, &QEventLoop::quit);
    QTimer::singleShot(saveLimit, &saving, &QEventLoop::quit);
    editor.save();
    if (editor.model().isSaving()) {
        saving.exec();
    }
    editor.window().close();
    settle();
}

// The tray program has its fonts loaded by the time it shows its icon; this one-shot mode loads them
// before its first reading too, so that "start" is a running program's and the steps measure only
// what captures, thumbnails and the editor leave behind.
void loadFonts()
{
    QImage line(1, 1, QImage::Format_RGBA8888_Premultiplied);
    QPainter painter(&line);
    painter.setFont(brindle::SystemFont::font(SyntheticCapture::textPoints, QFont::Normal, &line));
    painter.drawText(QPointF(0, 0), QStringLiteral("Capture 0 \u00b7 line 0"));
}

} // namespace

QString MemoryProbe::report(const Setup& setup)
{
    MemoryReport report(setup.captureSize, setup.captures);
    const ScratchFolder scratch;
    const auto record = [&](const QString& label) {
        returnFreedMemory();
        report.record(label, setup.readMemory());
    };
    record(QStringLiteral("start"));

    std::vector<std::pair<int, QString>> written;
    std::vector<QImage> thumbnails;
    for (int seed = 1; seed <= setup.captures; ++seed) {
        {
            const QImage capture = setup.makeCapture(seed);
            const std::optional<QByteArray> bytes =
                capture.isNull() ? std::nullopt : WebPEncoder::encode(capture);
            if (bytes) {
                const QString file = scratch.filePath(QStringLiteral("capture-%1.webp").arg(seed));
                if (AtomicFileWriter::createNew(file, *bytes).status == AtomicFileWriter::Status::written) {
                    written.emplace_back(seed, file);
                }
                thumbnails.push_back(Thumbnails::thumbnail(capture));
            }
        }
        record(QStringLiteral("capture %1: encoded, thumbnail kept").arg(seed));
    }
    const qint64 fullSize =
        qint64{setup.captureSize.width()} * setup.captureSize.height() * bytesPerPixel * setup.captures;
    report.note(QStringLiteral("  thumbnails hold %1 KB of pixels; at full size (1.0) they held %2 MB")
                    .arg(pixelBytes(thumbnails) / bytesPerKB)
                    .arg(fullSize / bytesPerMB));

    for (const auto& [seed, file] : written) {
        {
            const QImage capture = setup.makeCapture(seed);
            if (!capture.isNull()) {
                editAndSave(capture, file);
            }
        }
        record(QStringLiteral("editor %1: opened, redacted, saved, closed").arg(seed));
    }

    thumbnails.clear();
    record(QStringLiteral("thumbnails dismissed"));
    return report.text();
}

void MemoryProbe::run(const QString& path)
{
    loadFonts();
    const Setup setup{QSize(SyntheticCapture::width, SyntheticCapture::height), 5, &SyntheticCapture::make};
    const QString text = report(setup);
    // Nothing to tell anyone when the report itself cannot be written.
    (void)AtomicFileWriter::replace(path, text.toUtf8());
}

} // namespace quillet
