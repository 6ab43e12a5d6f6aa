#include "Brindle/menu/TextLine.hpp"

#include "Brindle/SystemFont.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace brindle {
namespace {

constexpr int wrapFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// The interface font's digits are proportional; each is centred in a cell as wide as the widest.
[[nodiscard]] qreal digitCell(const QFontMetricsF& metrics)
{
    qreal cell = 0;
    for (char digit = '0'; digit <= '9'; ++digit) {
        cell = std::max(cell, metrics.horizontalAdvance(QLatin1Char(digit)));
    }
    return cell;
}

} // namespace

TextLine::TextLine(const QString& text, qreal points, QFont::Weight weight, qreal tone, QWidget* parent)
    : QWidget(parent), text_(text), points_(points), weight_(weight), tone_(tone)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TextLine::setText(const QString& text)
{
    if (text == text_) {
        return;
    }
    text_ = text;
    updateGeometry();
    update();
}

void TextLine::setTone(qreal tone)
{
    tone_ = tone;
    update();
}

void TextLine::setColor(const QColor& colour)
{
    colour_ = colour;
    update();
}

void TextLine::setMode(Mode mode)
{
    mode_ = mode;
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(mode == Mode::wrap);
    policy.setHorizontalPolicy(mode == Mode::oneLine ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    // A fixed height would hold a wrapped text to the one line of its size hint.
    policy.setVerticalPolicy(mode == Mode::wrap ? QSizePolicy::Preferred : QSizePolicy::Fixed);
    setSizePolicy(policy);
    updateGeometry();
}

void TextLine::setFixedDigits(bool on)
{
    fixedDigits_ = on;
    updateGeometry();
    update();
}

QFont TextLine::textFont() const
{
    return SystemFont::font(points_, weight_, this);
}

QColor TextLine::foreground() const
{
    if (colour_) {
        QColor colour = *colour_;
        colour.setAlphaF(static_cast<float>(colour.alphaF() * tone_));
        return colour;
    }
    return Tone::primary(palette(), tone_);
}

QSize TextLine::sizeHint() const
{
    const QFontMetricsF metrics(textFont());
    qreal width = metrics.horizontalAdvance(text_);
    if (fixedDigits_) {
        const qreal cell = digitCell(metrics);
        width = 0;
        for (const QChar character : text_) {
            width += character.isDigit() ? cell : metrics.horizontalAdvance(character);
        }
    }
    return {static_cast<int>(std::ceil(width)) + 1, static_cast<int>(std::ceil(metrics.height()))};
}

QSize TextLine::minimumSizeHint() const
{
    if (mode_ == Mode::oneLine) {
        return sizeHint();
    }
    return {0, sizeHint().height()};
}

int TextLine::heightForWidth(int width) const
{
    const QFontMetricsF metrics(textFont());
    const QRectF bounds = metrics.boundingRect(QRectF(0, 0, width, 100000), wrapFlags, text_);
    return static_cast<int>(std::ceil(bounds.height()));
}

bool TextLine::isCutOff() const
{
    if (mode_ == Mode::wrap) {
        return heightForWidth(width()) > height();
    }
    return sizeHint().width() - 1 > width();
}

void TextLine::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(textFont());
    painter.setPen(foreground());
    if (fixedDigits_) {
        paintFixedDigits(painter);
        return;
    }
    switch (mode_) {
    case Mode::wrap:
        painter.drawText(QRectF(rect()), wrapFlags, text_);
        return;
    case Mode::elideEnd:
    case Mode::elideMiddle:
    case Mode::oneLine: {
        const QFontMetricsF metrics(painter.font());
        const Qt::TextElideMode elide = mode_ == Mode::elideMiddle ? Qt::ElideMiddle : Qt::ElideRight;
        painter.drawText(QRectF(rect()), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(text_, elide, width()));
        return;
    }
    }
}

void TextLine::paintFixedDigits(QPainter& painter) const
{
    const QFontMetricsF metrics(painter.font());
    const qreal cell = digitCell(metrics);
    qreal x = 0;
    for (const QChar character : text_) {
        const qreal advance = character.isDigit() ? cell : metrics.horizontalAdvance(character);
        const qreal inset = (advance - metrics.horizontalAdvance(character)) / 2;
        painter.drawText(QRectF(x + inset, 0, advance, height()), Qt::AlignLeft | Qt::AlignVCenter,
                         QString(character));
        x += advance;
    }
}

} // namespace brindle
