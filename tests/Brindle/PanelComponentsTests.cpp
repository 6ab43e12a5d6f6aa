#include "Brindle/menu/AppBrand.hpp"
#include "Brindle/menu/MenuSwitch.hpp"
#include "Brindle/shell/PanelPlacement.hpp"
#include "Brindle/shell/TrayIconImage.hpp"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace brindle {
namespace {

const QColor accent = QColor::fromRgb(175, 82, 222);
const QColor background = QColor::fromRgb(237, 237, 237);

[[nodiscard]] QImage rendered(MenuSwitch& toggle, qreal scale)
{
    QPalette palette;
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, Qt::black);
    toggle.setPalette(palette);
    QImage image(toggle.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(background);
    toggle.render(&image);
    return image;
}

[[nodiscard]] bool near(const QColor& a, const QColor& b, int tolerance = 12)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

TEST(MenuSwitch, OnIsAnAccentCapsuleWithTheKnobAtTheEndOffIsFaintWithTheKnobAtTheStartAtBothScales)
{
    AppBrand brand;
    brand.accent = accent;
    bool reported = false;
    MenuSwitch toggle(brand, MenuSwitch::Size::mini, [&](bool on) { reported = on; });
    EXPECT_EQ(toggle.size(), QSize(26, 15));
    for (const qreal scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        toggle.show(true);
        QImage on = rendered(toggle, scale);
        // Sampled in device pixels: the capsule's start, and the knob's middle near the end.
        const auto at = [&](const QImage& image, qreal x, qreal y) {
            return image.pixelColor(int(x * scale), int(y * scale));
        };
        EXPECT_TRUE(near(at(on, 4, 7.5), accent)) << at(on, 4, 7.5).name().toStdString();
        EXPECT_TRUE(near(at(on, 19, 7.5), Qt::white));
        toggle.show(false);
        QImage off = rendered(toggle, scale);
        EXPECT_TRUE(near(at(off, 7, 7.5), Qt::white));
        // Black at 0.15 over the light background.
        EXPECT_TRUE(near(at(off, 22, 7.5), QColor::fromRgb(201, 201, 201)))
            << at(off, 22, 7.5).name().toStdString();
    }
    EXPECT_FALSE(reported) << "showing a value reports nothing";
    toggle.click();
    EXPECT_TRUE(reported);
}

TEST(PanelPlacement, OpensTowardsTheScreenMiddleBesideTheAnchorAndStaysInTheWorkArea)
{
    const QRect screen(0, 0, 1280, 800);
    const QRect work(0, 24, 1280, 752); // a panel above and below
    const QSize panel(342, 600);
    struct Case {
        const char* name;
        QRect anchor;
        QSize panel;
        QPoint expected;
    };
    const Case cases[] = {
        {"tray bottom right: above, pushed left", QRect(1257, 777, 22, 22), panel, QPoint(938, 173)},
        {"tray top left: below, pushed right", QRect(2, 1, 22, 22), panel, QPoint(0, 27)},
        {"pointer in the middle of the top bar", QRect(640, 10, 1, 1), panel, QPoint(469, 24)},
        {"taller than the work area: its top stays in", QRect(1257, 777, 22, 22), QSize(342, 900),
         QPoint(938, 24)},
    };
    for (const Case& each : cases) {
        EXPECT_EQ(PanelPlacement::origin(each.anchor, each.panel, screen, work), each.expected) << each.name;
    }
}

TEST(TrayIconImage, TheBadgeIsADotSetOffByATransparentRingAndAnUnknownSymbolDrawsNothing)
{
    const QColor glyph = QColor::fromRgb(153, 115, 255);
    const QColor dot = QColor::fromRgb(255, 149, 0);
    const QImage plain = TrayIconImage::image("camera.viewfinder", glyph, dot, false, 44);
    const QImage badged = TrayIconImage::image("camera.viewfinder", glyph, dot, true, 44);
    ASSERT_FALSE(plain.isNull());
    const qreal side = 44 * TrayIconImage::dotFraction;
    EXPECT_TRUE(near(badged.pixelColor(int(44 - side / 2), int(side / 2)), dot));
    // Just outside the dot, towards the glyph: the ring is cleared.
    EXPECT_EQ(badged.pixelColor(int(44 - side - 1.5), int(side / 2)).alpha(), 0);
    EXPECT_NE(plain, badged);
    EXPECT_TRUE(TrayIconImage::image("no.such.symbol", glyph, dot, true, 44).isNull());
}

} // namespace
} // namespace brindle
