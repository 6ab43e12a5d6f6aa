#include "Brindle/Symbol.hpp"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QRawFont>

#include <algorithm>
#include <array>

namespace brindle {
namespace {

// Debian's fonts-material-design-icons-iconfont; fontconfig usually knows it too, the explicit
// load covers sessions whose font cache is stale.
constexpr auto fontFile =
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";
constexpr auto installedFamily = "Material Icons";

// Material's glyph box holds the drawing in its middle 20 of 24 units, where a system symbol
// fills roughly the cap height and a bit; this factor makes the two look the same size next to text.
constexpr qreal boxPerPoint = 1.3;

// Pen widths, as fractions of the glyph box, that thicken the single-weight outlines.
constexpr qreal mediumStroke = 0.012;
constexpr qreal semiboldStroke = 0.024;
constexpr qreal boldStroke = 0.04;

constexpr int outlinePixels = 512;

// Codepoints from the package's scss/_variables.scss codepoint map.
constexpr std::array catalogue{
    Symbol::Entry{"1.circle", 0xe400},                      // looks_one
    Symbol::Entry{"arrow.counterclockwise", 0xe042},        // replay
    Symbol::Entry{"arrow.down.circle.fill", 0xf181},        // arrow_circle_down
    Symbol::Entry{"arrow.left.arrow.right", 0xe8d4},        // swap_horiz
    Symbol::Entry{"arrow.up.right", 0xf1e1},                // north_east
    Symbol::Entry{"arrow.uturn.backward", 0xe166},          // undo
    Symbol::Entry{"camera", 0xe412},                        // photo_camera
    Symbol::Entry{"camera.viewfinder", 0xe3b4},             // center_focus_strong
    Symbol::Entry{"character.cursor.ibeam", 0xe165},        // text_format
    Symbol::Entry{"checkerboard.rectangle", 0xe3ec},        // grid_on
    Symbol::Entry{"chevron.up.chevron.down", 0xe5d7},       // unfold_more
    Symbol::Entry{"cursorarrow.click.2", 0xe762},           // ads_click
    Symbol::Entry{"doc.on.clipboard", 0xe14f},              // content_paste
    Symbol::Entry{"doc.text", 0xe873},                      // description
    Symbol::Entry{"exclamationmark.triangle.fill", 0xe002}, // warning
    Symbol::Entry{"folder", 0xe2c8},                        // folder_open
    Symbol::Entry{"folder.fill", 0xe2c7},                   // folder
    Symbol::Entry{"hand.raised.fill", 0xe764},              // back_hand
    Symbol::Entry{"highlighter", 0xe22b},                   // border_color
    Symbol::Entry{"keyboard", 0xe312},                      // keyboard
    Symbol::Entry{"lock.shield.fill", 0xe32a},              // security
    Symbol::Entry{"macwindow", 0xe069},                     // web_asset
    Symbol::Entry{"mic.fill", 0xe029},                      // mic
    Symbol::Entry{"mic.slash", 0xe02b},                     // mic_off
    Symbol::Entry{"network.slash", 0xf1ca},                 // public_off
    Symbol::Entry{"number", 0xe9ef},                        // tag
    Symbol::Entry{"pencil.tip.crop.circle", 0xe3c9},        // edit
    Symbol::Entry{"play.circle.fill", 0xe038},              // play_circle_filled
    Symbol::Entry{"power", 0xe8ac},                         // power_settings_new
    Symbol::Entry{"record.circle", 0xe837},                 // radio_button_checked
    Symbol::Entry{"stop.circle.fill", 0xef71},              // stop_circle
    Symbol::Entry{"stop.fill", 0xe047},                     // stop
    Symbol::Entry{"textformat", 0xe262},                    // text_fields
    Symbol::Entry{"trash", 0xe92e},                         // delete_outline
    Symbol::Entry{"video.fill", 0xe04b},                    // videocam
    Symbol::Entry{"viewfinder", 0xe3c2},                    // crop_free
    Symbol::Entry{"waveform", 0xe1b8},                      // graphic_eq
    Symbol::Entry{"xmark", 0xe5cd},                         // close
};

[[nodiscard]] QString loadFontFamily()
{
    if (QFile::exists(QString::fromLatin1(fontFile))) {
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(fontFile));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) {
            return families.first();
        }
    }
    if (QFontDatabase::hasFamily(QString::fromLatin1(installedFamily))) {
        return QString::fromLatin1(installedFamily);
    }
    return {};
}

[[nodiscard]] qreal strokeFraction(Symbol::Weight weight)
{
    switch (weight) {
    case Symbol::Weight::regular:
        return 0.0;
    case Symbol::Weight::medium:
        return mediumStroke;
    case Symbol::Weight::semibold:
        return semiboldStroke;
    case Symbol::Weight::bold:
        return boldStroke;
    }
    return 0.0;
}

} // namespace

std::optional<char32_t> Symbol::codepoint(std::string_view name)
{
    const auto found = std::find_if(catalogue.begin(), catalogue.end(),
                                    [name](const Entry& entry) { return entry.name == name; });
    if (found == catalogue.end()) {
        return std::nullopt;
    }
    return found->codepoint;
}

std::span<const Symbol::Entry> Symbol::entries()
{
    return catalogue;
}

QString Symbol::fontFamily()
{
    static const QString family = loadFontFamily();
    return family;
}

qreal Symbol::boxSize(qreal pointSize)
{
    return pointSize * boxPerPoint;
}

QPainterPath Symbol::path(std::string_view name, qreal pointSize)
{
    const auto glyph = codepoint(name);
    const QString family = fontFamily();
    if (!glyph || family.isEmpty() || pointSize <= 0) {
        return {};
    }
    const qreal box = boxSize(pointSize);
    QFont font(family);
    // A large raw font keeps the outline exact; it is scaled down to the box afterwards.
    font.setPixelSize(outlinePixels);
    const QRawFont raw = QRawFont::fromFont(font);
    const QList<quint32> indexes = raw.glyphIndexesForString(QString::fromUcs4(&*glyph, 1));
    if (indexes.isEmpty() || indexes.first() == 0) {
        return {};
    }
    const QPainterPath outline = raw.pathForGlyph(indexes.first());
    const qreal em = raw.ascent() + raw.descent();
    const qreal advance = raw.advancesForGlyphIndexes(indexes).value(0).x();
    const qreal scale = box / em;
    QTransform transform;
    transform.scale(scale, scale);
    transform.translate((em - advance) / 2, raw.ascent());
    return transform.map(outline);
}

bool Symbol::draw(QPainter& painter, std::string_view name, const QRectF& box, qreal pointSize, Weight weight,
                  const QColor& color)
{
    const QPainterPath outline = path(name, pointSize);
    if (outline.isEmpty()) {
        return false;
    }
    const qreal side = boxSize(pointSize);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center() - QPointF(side / 2, side / 2));
    painter.setBrush(color);
    const qreal stroke = strokeFraction(weight) * side;
    if (stroke > 0) {
        painter.setPen(QPen(color, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    } else {
        painter.setPen(Qt::NoPen);
    }
    painter.drawPath(outline);
    painter.restore();
    return true;
}

QImage Symbol::image(std::string_view name, qreal pointSize, Weight weight, const QColor& color,
                     qreal devicePixelRatio)
{
    const qreal side = boxSize(pointSize);
    const int pixels = std::max(1, qCeil(side * devicePixelRatio));
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    const bool drawn = draw(painter, name, QRectF(0, 0, side, side), pointSize, weight, color);
    painter.end();
    return drawn ? result : QImage();
}

} // namespace brindle
