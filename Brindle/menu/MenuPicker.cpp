#include "Brindle/menu/MenuPicker.hpp"

#include "Brindle/Symbol.hpp"
#include "Brindle/SystemFont.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>

#include <cmath>

namespace brindle {
namespace {

constexpr qreal textPoints = 11;
constexpr qreal chevronPoints = 8;
constexpr int spacing = 6;
constexpr int sidePadding = 8;
constexpr int buttonHeight = 20;
constexpr qreal radius = 5;
constexpr qreal fillOpacity = 0.08;

} // namespace

MenuPicker::MenuPicker(QList<Option> options, std::function<void(const QVariant&)> chosen, QWidget* parent)
    : QAbstractButton(parent), options_(std::move(options)), chosen_(std::move(chosen))
{
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, &MenuPicker::popUp);
}

void MenuPicker::setOptions(QList<Option> options)
{
    options_ = std::move(options);
    current_ = 0;
    updateGeometry();
    update();
}

void MenuPicker::select(const QVariant& value)
{
    current_ = 0;
    for (qsizetype index = 0; index < options_.size(); ++index) {
        if (options_[index].value == value) {
            current_ = index;
        }
    }
    updateGeometry();
    update();
}

QString MenuPicker::currentLabel() const
{
    return options_.isEmpty() ? QString() : options_[current_].label;
}

void MenuPicker::choose(const QVariant& value)
{
    select(value);
    chosen_(value);
}

QSize MenuPicker::sizeHint() const
{
    const QFontMetricsF metrics(SystemFont::font(textPoints, QFont::Normal, this));
    const qreal text = metrics.horizontalAdvance(currentLabel());
    const qreal width = 2 * sidePadding + text + spacing + Symbol::boxSize(chevronPoints);
    return {static_cast<int>(std::ceil(width)), buttonHeight};
}

void MenuPicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Tone::primary(palette(), isDown() ? 2 * fillOpacity : fillOpacity));
    painter.drawRoundedRect(box, radius, radius);
    painter.setFont(SystemFont::font(textPoints, QFont::Normal, this));
    painter.setPen(Tone::primary(palette()));
    const qreal chevron = Symbol::boxSize(chevronPoints);
    painter.drawText(box.adjusted(sidePadding, 0, -(sidePadding + spacing + chevron), 0),
                     Qt::AlignLeft | Qt::AlignVCenter, currentLabel());
    const QRectF chevronBox(box.right() - sidePadding - chevron, box.center().y() - chevron / 2, chevron,
                            chevron);
    Symbol::draw(painter, "chevron.up.chevron.down", chevronBox, chevronPoints, Symbol::Weight::bold,
                 Tone::primary(palette(), Tone::secondary));
}

void MenuPicker::popUp()
{
    QMenu menu(this);
    for (const Option& option : options_) {
        QAction* entry = menu.addAction(option.label);
        entry->setCheckable(true);
        entry->setChecked(option.label == currentLabel());
        entry->setData(option.value);
    }
    const QAction* picked = menu.exec(mapToGlobal(QPoint(0, buttonHeight)));
    if (picked) {
        choose(picked->data());
    }
}

} // namespace brindle
