#include "Quillet/app/EditorSnapshot.hpp"

#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/EditorImageDecoder.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "Quillet/editor/EditorSample.hpp"
#include "Quillet/editor/EditorWindow.hpp"
#include "Quillet/editor/EditorWindowController.hpp"
#include "Quillet/library/WebPEncoder.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <optional>

namespace quillet {

namespace {

void writeWebPRoundTrip(const QImage& exported, const QDir& directory)
{
    const std::optional<QByteArray> encoded = WebPEncoder::encode(exported);
    if (!encoded) {
        return;
    }
    // What the saved file looks like when it is opened again.
    const std::optional<QImage> decoded = EditorImageDecoder::decode(*encoded);
    if (!decoded) {
        return;
    }
    (void)decoded->save(directory.filePath(EditorSnapshot::webPRoundTripFileName), "PNG");
}

struct Appearance {
    const char* name;
    QColor window;
    QColor text;
};

// The editor window as the desktop would show it in a light and in a dark theme.
const Appearance appearances[] = {
    {"light", QColor(0xec, 0xec, 0xec), QColor(0x1d, 0x1d, 0x1f)},
    {"dark", QColor(0x2c, 0x2c, 0x2e), QColor(0xf5, 0xf5, 0xf7)},
};

constexpr QSize windowContentSize(1000, 700);
constexpr double windowPixelRatio = 2.0;

[[nodiscard]] QPalette paletteOf(const Appearance& appearance)
{
    QPalette palette;
    palette.setColor(QPalette::Window, appearance.window);
    palette.setColor(QPalette::WindowText, appearance.text);
    palette.setColor(QPalette::Button, appearance.window);
    palette.setColor(QPalette::ButtonText, appearance.text);
    palette.setColor(QPalette::Text, appearance.text);
    return palette;
}

void writeWindow(const QImage& screenshot, brindle::PreferenceStore& preferences, const QDir& folder,
                 const Appearance& appearance)
{
    // The save action is never used: the sample file is never written.
    EditorWindowController controller(folder.filePath(QStringLiteral("sample.webp")), screenshot,
                                      EditorSample::pixelsPerPoint, nullptr, preferences);
    controller.setWriter([](const QString&, const QByteArray&) { return std::optional<QString>(); });
    EditorModel& model = controller.model();
    for (const Mark& mark : EditorSample::marks()) {
        model.add(mark);
        model.setSelection(std::nullopt);
    }
    model.setTool(EditorTool::number);
    model.setSelection(std::nullopt);

    EditorWindow& window = controller.window();
    window.setPalette(paletteOf(appearance));
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.resize(windowContentSize);
    window.show();
    QImage image(windowContentSize * windowPixelRatio, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return;
    }
    image.setDevicePixelRatio(windowPixelRatio);
    image.fill(appearance.window);
    window.render(&image);
    window.hide();
    (void)image.save(folder.filePath(EditorSnapshot::windowFileName(appearance.name)), "PNG");
}

} // namespace

QString EditorSnapshot::windowFileName(const QString& appearance)
{
    return QStringLiteral("editor-window-") + appearance + QStringLiteral(".png");
}

void EditorSnapshot::render(const QString& directory)
{
    const QDir folder(directory);
    const QImage screenshot = EditorSample::screenshot();
    if (screenshot.isNull()) {
        return;
    }
    // A picture of the defaults: the user's settings neither shape it nor are touched by it.
    brindle::InMemoryPreferenceStore preferences;
    EditorModel model(screenshot, EditorSample::pixelsPerPoint, preferences);
    for (const Mark& mark : EditorSample::marks()) {
        model.add(mark);
        model.setSelection(std::nullopt);
    }

    const std::optional<QImage> exported = model.renderer()->exportImage(model.history().marks());
    if (exported) {
        (void)exported->save(folder.filePath(exportFileName), "PNG");
        writeWebPRoundTrip(*exported, folder);
    }
    if (!folder.exists()) {
        return;
    }
    for (const Appearance& appearance : appearances) {
        writeWindow(screenshot, preferences, folder, appearance);
    }
}

} // namespace quillet
