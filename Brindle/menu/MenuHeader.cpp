#include "Brindle/menu/MenuHeader.hpp"

#include "Brindle/menu/AppGlyph.hpp"
#include "Brindle/menu/MenuSwitch.hpp"
#include "Brindle/menu/TextLine.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace brindle {
namespace {

constexpr int spacing = 12;
constexpr qreal glyphSize = 40;
constexpr int dotSize = 7;

} // namespace

class MenuHeader::Dot : public QWidget {
public:
    Dot() { setFixedSize(dotSize, dotSize); }
    void setColour(const QColor& colour)
    {
        colour_ = colour;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour_);
        painter.drawEllipse(QRectF(rect()));
    }

private:
    QColor colour_ = Qt::gray;
};

MenuHeader::MenuHeader(const AppBrand& brand, std::function<void(bool)> switched, QWidget* parent)
    : QWidget(parent), dot_(new Dot), status_(new TextLine(QString(), 11.5, QFont::Normal, Tone::secondary)),
      switch_(new MenuSwitch(brand, MenuSwitch::Size::small, std::move(switched)))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    // The glyph widget keeps room for its shadow around the square; the header is exactly as tall.
    auto* glyph = new AppGlyph(brand, glyphSize);
    row->addWidget(glyph);
    setFixedHeight(glyph->sizeHint().height());

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(new TextLine(brand.name, 15, QFont::DemiBold));
    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(5);
    statusRow->addWidget(dot_);
    status_->setMode(TextLine::Mode::oneLine);
    statusRow->addWidget(status_, 1);
    texts->addLayout(statusRow);
    row->addLayout(texts, 1);
    row->addWidget(switch_);
}

void MenuHeader::show(const QString& status, const QColor& statusColour, bool isOn, const QString& switchHelp)
{
    status_->setText(status);
    dot_->setColour(statusColour);
    switch_->show(isOn);
    switch_->setToolTip(switchHelp);
}

QString MenuHeader::statusText() const
{
    return status_->text();
}

} // namespace brindle
