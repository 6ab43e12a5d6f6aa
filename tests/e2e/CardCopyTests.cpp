#include "Quillet/app/Cards.hpp"
#include "Quillet/editor/EditorImageDecoder.hpp"
#include "Quillet/library/WebPEncoder.hpp"
#include "Quillet/thumbnails/ThumbnailCard.hpp"
#include "Quillet/thumbnails/ThumbnailPanel.hpp"
#include "Quillet/thumbnails/ThumbnailStack.hpp"
#include "Quillet/thumbnails/ThumbnailStackView.hpp"

#include "tests/support/OtherXClient.hpp"
#include "tests/support/WaitFor.hpp"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

// The C key of the test server's keyboard.
constexpr std::uint8_t cKeyCode = 54;

// Colours that change across the picture, so that a shifted or scaled copy cannot pass.
[[nodiscard]] QImage gradient()
{
    QImage image(640, 400, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixelColor(x, y, QColor(x % 256, y % 256, (x + y) % 256));
        }
    }
    return image;
}

[[nodiscard]] bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What another X client reads from the clipboard as `type`. The clipboard is served by this process's
// event loop, so the reader runs beside it instead of blocking it.
[[nodiscard]] QByteArray pasted(const QString& type)
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", type});
    if (!testing::waitFor([&] { return xclip.state() == QProcess::NotRunning; }, 10s)) {
        xclip.kill();
        xclip.waitForFinished(1000);
        return {};
    }
    return xclip.exitCode() == 0 ? xclip.readAllStandardOutput() : QByteArray();
}

[[nodiscard]] QStringList actionTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        if (!action->isSeparator()) {
            texts << action->text();
        }
    }
    return texts;
}

// Right-clicks the card as a user does and picks `choice` from the menu that opens.
void pick(const ThumbnailCard& card, const QString& choice, QStringList* offered = nullptr)
{
    const QPoint centre = card.mapToGlobal(card.rect().center()) + QPoint(0, 30);
    ASSERT_EQ(QProcess::execute("xdotool", {"mousemove", QString::number(centre.x()), QString::number(centre.y()),
                                            "click", "3"}),
              0);
    QMenu* menu = nullptr;
    ASSERT_TRUE(testing::waitFor([&] {
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu != nullptr && menu->isVisible();
    }));
    if (offered != nullptr) {
        *offered = actionTexts(*menu);
    }
    for (QAction* action : menu->actions()) {
        if (action->text() == choice) {
            action->trigger();
        }
    }
    menu->close();
}

TEST(CardCopyOnX, CopyPutsThePixelsAndTheFileOnTheClipboardForEveryKindOfProgram)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString still = folder.filePath(QStringLiteral("Screenshot 1.webp"));
    const QString movie = folder.filePath(QStringLiteral("Recording 1.mp4"));
    const std::optional<QByteArray> webp = WebPEncoder::encode(gradient());
    ASSERT_TRUE(webp && writeBytes(still, *webp) && writeBytes(movie, QByteArrayLiteral("....ftypisom")));

    auto display = std::make_unique<ThumbnailStack>();
    Thumbnails& stack = display->stack();
    Cards cards(std::move(display), nullptr);
    cards.add(still, gradient(), 1, false);
    ASSERT_TRUE(testing::waitFor([&] {
        return stack.panel() != nullptr && stack.panel()->isVisible() && !stack.panel()->stackView().isAnimating();
    }));
    const ThumbnailCard& card = *stack.panel()->stackView().cards().at(0);

    QStringList offered;
    pick(card, QStringLiteral("Copy"), &offered);
    EXPECT_EQ(offered, (QStringList{"Copy", "Copy Path", "Show in Folder", "Open", "Move to Trash"}))
        << "no Edit without an editor";
    ASSERT_TRUE(testing::waitFor([&] { return card.isShowingCopied(); }));
    const QByteArray fileUrl = QUrl::fromLocalFile(still).toEncoded();
    const QImage pastedImage = QImage::fromData(pasted(QStringLiteral("image/png")), "PNG");
    const std::optional<QImage> fileImage = EditorImageDecoder::read(still);
    ASSERT_TRUE(fileImage);
    EXPECT_EQ(pastedImage.convertToFormat(QImage::Format_RGB32), fileImage->convertToFormat(QImage::Format_RGB32))
        << "an image editor gets the file's own pixels";
    EXPECT_EQ(pasted(QStringLiteral("text/uri-list")).trimmed(), fileUrl);
    EXPECT_EQ(pasted(QStringLiteral("x-special/gnome-copied-files")), "copy\n" + fileUrl);
    EXPECT_TRUE(testing::waitFor([&] { return !card.isShowingCopied(); }, 5s)) << "the confirmation goes by itself";

    pick(card, QStringLiteral("Copy Path"));
    EXPECT_TRUE(testing::waitFor([&] { return pasted(QStringLiteral("UTF8_STRING")) == still.toUtf8(); }));

    // Ctrl+C with the pointer on the card, although the panel never has the keyboard focus.
    const QPoint onCard = card.mapToGlobal(card.rect().center()) + QPoint(0, 30);
    ASSERT_EQ(QProcess::execute("xdotool", {"mousemove", QString::number(onCard.x()), QString::number(onCard.y())}),
              0);
    ASSERT_TRUE(testing::waitFor([&] { return card.isHovering(); }));
    testing::OtherXClient otherProgram;
    ASSERT_TRUE(otherProgram.isConnected());
    EXPECT_EQ(otherProgram.grabbable(cKeyCode, {XCB_MOD_MASK_CONTROL}), 0) << "held while on the card";
    ASSERT_EQ(QProcess::execute("xdotool", {"key", "ctrl+c"}), 0);
    EXPECT_TRUE(testing::waitFor([&] { return pasted(QStringLiteral("text/uri-list")).trimmed() == fileUrl; }));
    ASSERT_EQ(QProcess::execute("xdotool", {"mousemove", "10", "10"}), 0);
    ASSERT_TRUE(testing::waitFor([&] { return !card.isHovering(); }));
    EXPECT_EQ(otherProgram.grabbable(cKeyCode, {XCB_MOD_MASK_CONTROL}), 1)
        << "off the cards, Ctrl+C is the focused program's again";

    // A recording is copied as its file only.
    cards.add(movie, gradient(), 1, true);
    stack.copy(stack.items().back());
    const QByteArray movieUrl = QUrl::fromLocalFile(movie).toEncoded();
    ASSERT_TRUE(
        testing::waitFor([&] { return pasted(QStringLiteral("text/uri-list")).trimmed() == movieUrl; }));
    const QList<QByteArray> targets = pasted(QStringLiteral("TARGETS")).split('\n');
    EXPECT_FALSE(targets.contains("image/png"));
    EXPECT_TRUE(targets.contains("x-special/gnome-copied-files"));

    // A file gone since its card appeared is not offered as a dangling address.
    ASSERT_TRUE(QFile::remove(still));
    stack.copy(stack.items().front());
    testing::runEventLoop(500ms);
    EXPECT_EQ(pasted(QStringLiteral("text/uri-list")).trimmed(), movieUrl);
}

} // namespace
} // namespace quillet
