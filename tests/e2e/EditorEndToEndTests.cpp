#include "Quillet/editor/EditorCanvasView.hpp"
#include "Quillet/editor/EditorImageDecoder.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "Quillet/editor/EditorWindow.hpp"
#include "Quillet/editor/EditorWindowController.hpp"
#include "Quillet/editor/EditorWindows.hpp"
#include "Quillet/library/WebPEncoder.hpp"
#include "Quillet/thumbnails/ThumbnailCard.hpp"
#include "Quillet/thumbnails/ThumbnailEditButton.hpp"
#include "Quillet/thumbnails/ThumbnailPanel.hpp"
#include "Quillet/thumbnails/ThumbnailStackView.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "tests/support/WaitFor.hpp"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

const QColor captureColor(214, 222, 230);

[[nodiscard]] QStringList pointerTo(QPoint p)
{
    return {"mousemove", QString::number(p.x()), QString::number(p.y()), "sleep", "0.15"};
}

// Runs xdotool in its own process: a drag or a click is seen by the program as a user's would be.
void xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start("xdotool", arguments);
    ASSERT_TRUE(testing::waitFor([&] { return process.state() == QProcess::NotRunning; }, 15s));
    ASSERT_EQ(process.exitCode(), 0);
}

TEST(EditorOnX, TheCardsEditButtonOpensTheEditorAndCtrlSSavesTheArrowIntoTheFileAndTheCard)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QImage capture(800, 500, QImage::Format_RGBA8888_Premultiplied);
    capture.fill(captureColor);
    const QString path = folder.filePath("Screenshot.webp");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(WebPEncoder::encode(capture).value());
    }
    const QImage before = EditorImageDecoder::read(path).value();

    brindle::InMemoryPreferenceStore preferences;
    EditorWindows editor(preferences);
    Thumbnails thumbnails;
    thumbnails.setOnEdit([&](const ThumbnailItem& item) {
        editor.open(item.url, item.scale,
                    [&, id = item.id](const QImage& saved) { thumbnails.replaceImage(id, saved); });
    });
    thumbnails.add(QUrl::fromLocalFile(path), capture, 1.0, false);
    ASSERT_TRUE(testing::waitFor([&] {
        return thumbnails.panel() && thumbnails.panel()->isVisible() &&
               !thumbnails.panel()->stackView().isAnimating();
    }));
    const std::uint64_t cardImage = thumbnails.items().front().image.cacheKey();

    // Hovering the card shows its Edit button; a click opens the editor on the file.
    ThumbnailCard& card = *thumbnails.panel()->stackView().cards().front();
    xdotool(pointerTo(card.mapToGlobal(card.rect().center())));
    auto* edit = card.findChild<ThumbnailEditButton*>();
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(testing::waitFor([&] { return edit->isVisible(); }));
    xdotool(pointerTo(edit->mapToGlobal(edit->rect().center())) + QStringList{"click", "1"});
    ASSERT_TRUE(testing::waitFor([&] { return editor.controllers().size() == 1; }));
    EditorWindowController& controller = *editor.controllers().front();
    ASSERT_TRUE(testing::waitFor([&] {
        return controller.window().windowHandle()->isExposed() && controller.window().isActiveWindow();
    }));

    // An arrow dragged from (600, 400) to (200, 100) in image pixels, then Ctrl+S.
    EditorCanvasView& canvas = controller.canvas();
    const auto onScreen = [&](Point image) {
        const Point view = canvas.fit().viewPoint(image);
        return canvas.mapToGlobal(QPointF(view.x, view.y)).toPoint();
    };
    xdotool(pointerTo(onScreen({600, 400})) + QStringList{"mousedown", "1", "sleep", "0.1"} +
            pointerTo(onScreen({400, 250})) + pointerTo(onScreen({200, 100})) + QStringList{"mouseup", "1"});
    ASSERT_TRUE(testing::waitFor([&] { return controller.model().history().marks().size() == 1u; }));
    xdotool({"key", "ctrl+s"});
    ASSERT_TRUE(testing::waitFor([&] { return editor.controllers().empty(); }));

    QProcess webpinfo;
    webpinfo.start("webpinfo", {path});
    ASSERT_TRUE(webpinfo.waitForFinished(10000));
    EXPECT_EQ(webpinfo.exitCode(), 0) << webpinfo.readAllStandardOutput().toStdString();
    const QImage after = EditorImageDecoder::read(path).value();
    ASSERT_EQ(after.size(), before.size());
    // The arrow (a screen point is an image pixel here) and nothing else changed: its shadow and
    // rounded outline stay within a few pixels of the line between its ends.
    const auto nearArrow = [](QPoint p) {
        const double t = std::clamp(
            ((p.x() - 600.0) * -400 + (p.y() - 400.0) * -300) / (400.0 * 400 + 300 * 300), 0.0, 1.0);
        return std::hypot(p.x() - (600 - 400 * t), p.y() - (400 - 300 * t)) < 30;
    };
    int changed = 0;
    int changedAway = 0;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            const QColor a = after.pixelColor(x, y);
            const QColor b = before.pixelColor(x, y);
            if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue()) >
                12) {
                ++changed;
                changedAway += nearArrow({x, y}) ? 0 : 1;
            }
        }
    }
    EXPECT_GT(changed, 2000);
    EXPECT_EQ(changedAway, 0);
    const QColor middle = after.pixelColor(400, 250);
    EXPECT_GT(middle.red(), 230);
    EXPECT_LT(middle.green(), 80) << "the arrow's pink";
    EXPECT_NE(thumbnails.items().front().image.cacheKey(), cardImage) << "the card shows the saved image";
    const QImage& shown = thumbnails.items().front().image;
    EXPECT_LT(shown.pixelColor(shown.width() / 2, shown.height() / 2).green(), 120);
}

} // namespace
} // namespace quillet
