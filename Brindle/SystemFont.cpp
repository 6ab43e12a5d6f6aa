#include "Brindle/SystemFont.hpp"

#include <QPaintDevice>

namespace brindle {
namespace {

constexpr qreal typographicPointsPerInch = 72.0;
constexpr qreal defaultLogicalDpi = 96.0;

} // namespace

QString SystemFont::family()
{
    return QStringLiteral("Inter");
}

QFont SystemFont::font(qreal points, QFont::Weight weight, const QPaintDevice* device)
{
    const qreal dpi = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : defaultLogicalDpi;
    QFont font(family());
    font.setWeight(weight);
    font.setPointSizeF(points * typographicPointsPerInch / dpi);
    return font;
}

} // namespace brindle
