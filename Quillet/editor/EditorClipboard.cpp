#include "Quillet/editor/EditorClipboard.hpp"

#include "Quillet/common/BackgroundTask.hpp"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QToolTip>

namespace quillet {
namespace {

constexpr int tipMilliseconds = 1500;

void tell(QPoint at, const QString& message, int milliseconds = tipMilliseconds)
{
    QToolTip::showText(at, message, nullptr, {}, milliseconds);
}

[[nodiscard]] QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        return {};
    }
    return bytes;
}

} // namespace

void EditorClipboard::copyImage(QObject* context, const QImage& rendered)
{
    runInBackground(
        context, [rendered] { return png(rendered); },
        [](const QByteArray& bytes) {
            if (bytes.isEmpty()) {
                QApplication::beep();
                return;
            }
            auto* data = new QMimeData;
            data->setData(QStringLiteral("image/png"), bytes);
            QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
        });
}

void EditorClipboard::copyText(QObject* context, const QImage& area,
                               std::shared_ptr<const TextRecognizer> text, QPoint tipAt)
{
    const QString unavailable =
        text ? text->unavailableReason() : QObject::tr("Text recognition is not available");
    if (!unavailable.isEmpty()) {
        QApplication::beep();
        tell(tipAt, unavailable);
        return;
    }
    // Until the outcome replaces it, however long the reading takes.
    tell(tipAt, QObject::tr("Reading text…"), -1);
    runInBackground(
        context, [area, text] { return text->read(area); },
        [tipAt](const std::optional<QString>& read) {
            if (!read) {
                QApplication::beep();
                tell(tipAt, QObject::tr("Text could not be read"));
                return;
            }
            if (read->isEmpty()) {
                tell(tipAt, QObject::tr("No text found"));
                return;
            }
            QGuiApplication::clipboard()->setText(*read, QClipboard::Clipboard);
            tell(tipAt, QObject::tr("Text copied"));
        });
}

} // namespace quillet
