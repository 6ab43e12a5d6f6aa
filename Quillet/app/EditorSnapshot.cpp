#include "Quillet/app/EditorSnapshot.hpp"

#include "Brindle/UserDefaults.hpp"
#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "Quillet/editor/EditorSample.hpp"
#include "Quillet/library/WebPEncoder.hpp"

#include <QByteArray>
#include <QDir>
#include <QImage>

#include <optional>
#include <webp/decode.h>

namespace quillet {

namespace {

// What a saved WebP file looks like when it is opened again.
[[nodiscard]] std::optional<QImage> decodeWebP(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const auto size = static_cast<std::size_t>(bytes.size());
    int width = 0;
    int height = 0;
    if (WebPGetInfo(data, size, &width, &height) == 0) {
        return std::nullopt;
    }
    QImage image(width, height, QImage::Format_RGBA8888);
    if (image.isNull()) {
        return std::nullopt;
    }
    const auto bufferSize = static_cast<std::size_t>(image.sizeInBytes());
    if (WebPDecodeRGBAInto(data, size, image.bits(), bufferSize, static_cast<int>(image.bytesPerLine())) ==
        nullptr) {
        return std::nullopt;
    }
    return image;
}

void writeWebPRoundTrip(const QImage& exported, const QDir& directory)
{
    const std::optional<QByteArray> encoded = WebPEncoder::encode(exported);
    if (!encoded) {
        return;
    }
    const std::optional<QImage> decoded = decodeWebP(*encoded);
    if (!decoded) {
        return;
    }
    (void)decoded->save(directory.filePath(EditorSnapshot::webPRoundTripFileName), "PNG");
}

} // namespace

void EditorSnapshot::render(const QString& directory)
{
    const QDir folder(directory);
    const QImage screenshot = EditorSample::screenshot();
    if (screenshot.isNull()) {
        return;
    }
    brindle::UserDefaults preferences(brindle::UserDefaults::standardFilePath(QStringLiteral("quillet")));
    EditorModel model(screenshot, EditorSample::pixelsPerPoint, preferences);
    for (const Mark& mark : EditorSample::marks()) {
        model.add(mark);
        model.setSelection(std::nullopt);
    }

    const std::optional<QImage> exported = model.renderer()->exportImage(model.history().marks());
    if (!exported) {
        return;
    }
    (void)exported->save(folder.filePath(exportFileName), "PNG");
    writeWebPRoundTrip(*exported, folder);
}

} // namespace quillet
