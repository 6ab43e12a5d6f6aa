#include "Quillet/thumbnails/CaptureClipboard.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QUrl>

namespace quillet {

std::unique_ptr<QMimeData> CaptureClipboard::contents(const QString& path, const QByteArray& png)
{
    auto data = std::make_unique<QMimeData>();
    const QUrl url = QUrl::fromLocalFile(path);
    if (!png.isEmpty()) {
        data->setData(QStringLiteral("image/png"), png);
    }
    data->setUrls({url});
    // GNOME's file managers read this rather than the plain list; "copy" keeps the capture where it is.
    data->setData(QStringLiteral("x-special/gnome-copied-files"),
                  QByteArrayLiteral("copy\n") + url.toEncoded());
    return data;
}

void CaptureClipboard::copy(const QString& path, const QByteArray& png)
{
    QGuiApplication::clipboard()->setMimeData(contents(path, png).release(), QClipboard::Clipboard);
}

void CaptureClipboard::copyPath(const QString& path)
{
    QGuiApplication::clipboard()->setText(path, QClipboard::Clipboard);
}

} // namespace quillet
