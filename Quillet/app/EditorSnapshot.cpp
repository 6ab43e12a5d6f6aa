#include "Quillet/app/EditorSnapshot.hpp"

#include "Quillet/app/SnapshotFiles.hpp"

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

void writeWebPRoundTrip(const QImage& exported, SnapshotFiles& files)
{
    const std::optional<QByteArray> encoded = WebPEncoder::encode(exported);
    // What the saved file looks like when it is opened again.
    const std::optional<QImage> decoded = encoded ? EditorImageDecoder::decode(*encoded) : std::nullopt;
    files.write(QString::fromLatin1(EditorSnapshot::webPRoundTripFileName), decoded.value_or(QImage()));
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

void writeWindow(const QImage& screenshot, brindle::PreferenceStore& preferences, SnapshotFiles& files,
                 const Appearance& appearance)
{
    // The save action is never used: the sample file is never written.
    EditorWindowController controller(files.pathOf(QStringLiteral("sample.webp")), screenshot,
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
        files.write(EditorSnapshot::windowFileName(appearance.name), image);
        return;
    }
    image.setDevicePixelRatio(windowPixelRatio);
    image.fill(appearance.window);
    window.render(&image);
    window.hide();
    files.write(EditorSnapshot::windowFileName(appearance.name), image);
}

} // namespace

QString EditorSnapshot::windowFileName(const QString& appearance)
{
    return QStringLiteral("editor-window-") + appearance + QStringLiteral(".png");
}

QStringList EditorSnapshot::render(const QString& directory)
{
    SnapshotFiles files(directory);
    if (!files.folderExists()) {
        return files.errors();
    }
    const QImage screenshot = EditorSample::screenshot();
    if (screenshot.isNull()) {
        return {QStringLiteral("couldn't make the sample screenshot")};
    }
    // A picture of the defaults: the user's settings neither shape it nor are touched by it.
    brindle::InMemoryPreferenceStore preferences;
    EditorModel model(screenshot, EditorSample::pixelsPerPoint, preferences);
    for (const Mark& mark : EditorSample::marks()) {
        model.add(mark);
        model.setSelection(std::nullopt);
    }

    const std::optional<QImage> exported = model.renderer()->exportImage(model.history().marks());
    files.write(QString::fromLatin1(exportFileName), exported.value_or(QImage()));
    if (exported) {
        writeWebPRoundTrip(*exported, files);
    }
    for (const Appearance& appearance : appearances) {
        writeWindow(screenshot, preferences, files, appearance);
    }
    return files.errors();
}

} // namespace quillet
