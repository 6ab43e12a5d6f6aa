#include "Quillet/thumbnails/ThumbnailCard.hpp"
#include "Quillet/thumbnails/ThumbnailPanel.hpp"
#include "Quillet/thumbnails/ThumbnailStackView.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"

#include "tests/support/WaitFor.hpp"

#include <QEnterEvent>
#include <QLinearGradient>
#include <QPainter>

#include <gtest/gtest.h>

namespace quillet {
namespace {

constexpr qreal renderRatio = 2.0;

// Something that looks like a desktop capture: a gradient with a light window on it.
[[nodiscard]] QImage sampleCapture(QSize size, QColor top, QColor bottom)
{
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(image.rect(), gradient);
    painter.setBrush(QColor(245, 245, 245));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(
        QRectF(size.width() * 0.15, size.height() * 0.2, size.width() * 0.5, size.height() * 0.55),
        size.width() * 0.01, size.width() * 0.01);
    return image;
}

[[nodiscard]] QImage render(QWidget& widget)
{
    QImage image(widget.size() * renderRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(renderRatio);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

[[nodiscard]] QColor pixelAt(const QImage& image, QPointF point)
{
    return image.pixelColor((point * renderRatio).toPoint());
}

class ThumbnailStackRendering : public ::testing::Test {
protected:
    Thumbnails thumbnails;

    void SetUp() override
    {
        thumbnails.setOnEdit([](const ThumbnailItem&) {});
        thumbnails.add(QUrl::fromLocalFile("/captures/Screenshot 2026-12-07 at 09.41.12.webp"),
                       sampleCapture({2880, 1800}, QColor(40, 90, 200), QColor(120, 40, 160)), 2.0, false);
        thumbnails.add(QUrl::fromLocalFile("/captures/Recording 2026-12-07 at 09.42.03.mp4"),
                       sampleCapture({1920, 1080}, QColor(20, 140, 90), QColor(10, 60, 50)), 1.0, true);
        // A tall capture leaves the card's background visible at its sides.
        thumbnails.add(QUrl::fromLocalFile("/captures/Screenshot 2026-12-07 at 09.43.30.webp"),
                       sampleCapture({600, 1200}, QColor(230, 120, 40), QColor(200, 60, 60)), 2.0, false);
        ASSERT_TRUE(testing::waitFor([&] { return !thumbnails.panel()->stackView().isAnimating(); }));
    }

    [[nodiscard]] ThumbnailCard& card(std::size_t index) const
    {
        return *thumbnails.panel()->stackView().cards().at(index);
    }
};

TEST_F(ThumbnailStackRendering, CardsCastShadowsOnATransparentPanel)
{
    ThumbnailPanel& panel = *thumbnails.panel();
    ASSERT_TRUE(panel.isTranslucent()) << "offscreen windows composite";
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&card(0), &enter);

    const QImage image = render(panel);
    const QString file = QString::fromStdString(::testing::TempDir()) + "thumbnail-stack.png";
    ASSERT_TRUE(image.save(file));
    RecordProperty("image", file.toStdString());

    EXPECT_EQ(image.size(), QSize(252, 3 * 138 + 2 * 10 + 32) * renderRatio);
    EXPECT_EQ(pixelAt(image, {2, 2}).alpha(), 0) << "the margin is clear";

    const QRect last = card(2).geometry();
    const QColor shadow = pixelAt(image, QPointF(last.center().x(), last.bottom() + 4));
    EXPECT_GT(shadow.alpha(), 10) << "a shadow below the newest card";
    EXPECT_LT(shadow.alpha(), 90);
    EXPECT_EQ(shadow.red(), 0);

    // The tall capture is fitted in the middle; the card shows its dark background at the sides.
    EXPECT_EQ(pixelAt(image, QPointF(last.left() + 20, last.center().y())).rgb(), qRgb(31, 31, 31));

    // The hovered card is darkened by its control layer; the others are not.
    const QColor hovered =
        pixelAt(image, QPointF(card(0).geometry().left() + 40, card(0).geometry().top() + 60));
    const QColor plain =
        pixelAt(image, QPointF(card(1).geometry().left() + 40, card(1).geometry().top() + 60));
    EXPECT_LT(hovered.value(), 160);
    EXPECT_GT(plain.alpha(), 250);

    // The unhovered recording wears the video badge at its bottom-left: dark circle, white glyph.
    const QRect video = card(1).geometry();
    int whitePixels = 0;
    for (int y = video.bottom() - 30; y < video.bottom() - 6; ++y) {
        for (int x = video.left() + 6; x < video.left() + 31; ++x) {
            whitePixels += pixelAt(image, QPointF(x, y)).lightness() > 230 ? 1 : 0;
        }
    }
    EXPECT_GT(whitePixels, 10);
}

TEST_F(ThumbnailStackRendering, WithoutACompositorTheWindowIsCutToTheCards)
{
    ThumbnailStackView& stack = thumbnails.panel()->stackView();
    const QRegion cards = stack.cardsRegion();
    for (const auto* card : stack.cards()) {
        const QRect bounds = card->geometry();
        EXPECT_TRUE(cards.contains(bounds.center()));
        EXPECT_FALSE(cards.contains(bounds.topLeft())) << "rounded corners are cut";
        EXPECT_FALSE(cards.contains(bounds.bottomLeft() + QPoint(0, 5))) << "gaps are cut";
    }
    EXPECT_FALSE(cards.contains(QPoint(4, stack.height() - 4))) << "margins are cut";
}

} // namespace
} // namespace quillet
