#include "Quillet/editor/Swatch.hpp"

#include <QImage>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

namespace quillet {
namespace {

constexpr int pixelRatio = 2;
// How far, in grey levels of 255, the circle's edge must stand from the bar to be seen at a glance.
constexpr int visibleEdge = 45;

// The largest grey difference from the bar along the circle's left edge, a point deep, halfway down.
[[nodiscard]] int edgeContrast(AnnotationColor color, const QColor& bar, const QColor& text)
{
    QWidget toolbar;
    QPalette palette;
    palette.setColor(QPalette::Window, bar);
    palette.setColor(QPalette::WindowText, text);
    toolbar.setPalette(palette);
    Swatch swatch(color, &toolbar);
    toolbar.resize(swatch.size());
    QImage image(toolbar.size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(bar);
    toolbar.render(&image);
    const int middle = image.height() / 2;
    int contrast = 0;
    for (int x = Swatch::padding * pixelRatio; x < (Swatch::padding + 1) * pixelRatio; ++x) {
        contrast = std::max(contrast, std::abs(qGray(image.pixel(x, middle)) - qGray(bar.rgb())));
    }
    return contrast;
}

// Every colour reads against the bar in both appearances; black on the dark bar only through its edge.
TEST(Swatch, EveryColourHasAnEdgeThatShowsOnTheLightAndTheDarkBar)
{
    struct Appearance {
        const char* name;
        QColor bar;
        QColor text;
    };
    const Appearance appearances[] = {
        {"light", QColor(0xec, 0xec, 0xec), QColor(0x1d, 0x1d, 0x1f)},
        {"dark", QColor(0x2c, 0x2c, 0x2e), QColor(0xf5, 0xf5, 0xf7)},
    };
    for (const Appearance& appearance : appearances) {
        for (const AnnotationColor color : allAnnotationColors) {
            EXPECT_GE(edgeContrast(color, appearance.bar, appearance.text), visibleEdge)
                << rawValue(color) << " on the " << appearance.name << " bar";
        }
    }
}

} // namespace
} // namespace quillet
