#include "Brindle/Symbol.hpp"

#include <QFont>
#include <QPainter>
#include <QRawFont>

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace brindle {
namespace {

// Every symbol name the application's views ask for.
constexpr std::string_view namesInUse[] = {"1.circle",
                                           "arrow.counterclockwise",
                                           "arrow.down.circle.fill",
                                           "arrow.left.arrow.right",
                                           "arrow.up.right",
                                           "arrow.uturn.backward",
                                           "camera",
                                           "camera.viewfinder",
                                           "character.cursor.ibeam",
                                           "checkerboard.rectangle",
                                           "chevron.up.chevron.down",
                                           "cursorarrow.click.2",
                                           "doc.text",
                                           "exclamationmark.triangle.fill",
                                           "folder",
                                           "folder.fill",
                                           "hand.raised.fill",
                                           "highlighter",
                                           "keyboard",
                                           "lock.shield.fill",
                                           "macwindow",
                                           "mic.fill",
                                           "mic.slash",
                                           "network.slash",
                                           "number",
                                           "pencil.tip.crop.circle",
                                           "play.circle.fill",
                                           "power",
                                           "record.circle",
                                           "stop.circle.fill",
                                           "stop.fill",
                                           "textformat",
                                           "trash",
                                           "video.fill",
                                           "viewfinder",
                                           "waveform",
                                           "xmark"};

[[nodiscard]] int coveredPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 127 ? 1 : 0;
        }
    }
    return count;
}

TEST(Symbol, EveryNameInUseHasAGlyphTheFontCanDraw)
{
    ASSERT_FALSE(Symbol::fontFamily().isEmpty()) << "Material Icons font not installed";
    QFont font(Symbol::fontFamily());
    font.setPixelSize(64);
    const QRawFont raw = QRawFont::fromFont(font);
    for (const auto name : namesInUse) {
        SCOPED_TRACE(std::string(name));
        const auto glyph = Symbol::codepoint(name);
        ASSERT_TRUE(glyph.has_value());
        EXPECT_TRUE(raw.supportsCharacter(static_cast<uint>(*glyph)));
        EXPECT_GT(coveredPixels(Symbol::image(name, 20, Symbol::Weight::regular, Qt::white)), 20);
    }
}

TEST(Symbol, NamesAreUniqueAndDistinctNamesDrawDistinctGlyphs)
{
    std::set<std::string_view> names;
    std::set<char32_t> glyphs;
    for (const auto& entry : Symbol::entries()) {
        EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
        EXPECT_TRUE(glyphs.insert(entry.codepoint).second) << entry.name;
    }
}

TEST(Symbol, AnUnknownNameDrawsNothing)
{
    EXPECT_FALSE(Symbol::codepoint("no.such.symbol").has_value());
    EXPECT_TRUE(Symbol::path("no.such.symbol", 12).isEmpty());
    EXPECT_TRUE(Symbol::image("no.such.symbol", 12, Symbol::Weight::bold, Qt::white).isNull());
    QImage canvas(20, 20, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    EXPECT_FALSE(Symbol::draw(painter, "", QRectF(0, 0, 20, 20), 12, Symbol::Weight::regular, Qt::white));
    painter.end();
    EXPECT_EQ(coveredPixels(canvas), 0);
}

TEST(Symbol, IsDrawnCentredInTheRequestedColourAndSize)
{
    const QImage image = Symbol::image("xmark", 20, Symbol::Weight::regular, QColor(255, 0, 0), 2.0);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), qCeil(Symbol::boxSize(20) * 2));
    EXPECT_DOUBLE_EQ(image.devicePixelRatio(), 2.0);
    // The cross's centre is covered, its corners are not.
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    EXPECT_EQ(qAlpha(centre), 255);
    EXPECT_EQ(qRed(centre), 255);
    EXPECT_EQ(qGreen(centre), 0);
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(image.pixel(image.width() - 2, image.height() - 2)), 0);
}

TEST(Symbol, HeavierWeightsCoverMorePixels)
{
    int previous = 0;
    for (const auto weight :
         {Symbol::Weight::regular, Symbol::Weight::medium, Symbol::Weight::semibold, Symbol::Weight::bold}) {
        const int covered = coveredPixels(Symbol::image("trash", 24, weight, Qt::black));
        EXPECT_GT(covered, previous);
        previous = covered;
    }
}

} // namespace
} // namespace brindle
