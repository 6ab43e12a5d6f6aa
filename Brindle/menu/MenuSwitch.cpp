#include "Brindle/menu/MenuSwitch.hpp"

#include "Brindle/menu/AppBrand.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QPainter>
#include <QSignalBlocker>

namespace brindle {
namespace {

constexpr QSize miniSize{26, 15};
constexpr QSize smallSize{32, 18};
constexpr qreal knobInset = 1.5;
constexpr qreal offOpacity = 0.15;
constexpr qreal shadowOpacity = 0.2;
constexpr qreal shadowOffset = 0.5;

} // namespace

MenuSwitch::MenuSwitch(const AppBrand& brand, Size size, std::function<void(bool)> changed, QWidget* parent)
    : QAbstractButton(parent), accent_(brand.accent), size_(size)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    connect(this, &QAbstractButton::toggled, this, [changed = std::move(changed)](bool on) { changed(on); });
}

void MenuSwitch::show(bool on)
{
    const QSignalBlocker quiet(this);
    setChecked(on);
    update();
}

QSize MenuSwitch::sizeHint() const
{
    switch (size_) {
    case Size::mini:
        return miniSize;
    case Size::small:
        return smallSize;
    }
    return smallSize;
}

void MenuSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule(QPointF(0, 0), QSizeF(sizeHint()));
    const qreal radius = capsule.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? accent_ : Tone::primary(palette(), offOpacity));
    painter.drawRoundedRect(capsule, radius, radius);

    const qreal knob = capsule.height() - 2 * knobInset;
    const qreal x = isChecked() ? capsule.right() - knobInset - knob : capsule.left() + knobInset;
    const QRectF knobBox(x, knobInset, knob, knob);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, shadowOpacity));
    painter.drawEllipse(knobBox.translated(0, shadowOffset).adjusted(-0.5, -0.5, 0.5, 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knobBox);
}

} // namespace brindle
