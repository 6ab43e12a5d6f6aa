#include "Brindle/menu/SettingRow.hpp"

#include "Brindle/menu/ActionIcon.hpp"
#include "Brindle/menu/TextLine.hpp"

#include <QHBoxLayout>

namespace brindle {
namespace {

constexpr int spacing = 10;
constexpr int sidePadding = 10;
constexpr qreal iconSize = 20;

} // namespace

SettingRow::SettingRow(const AppBrand& brand, const std::string& symbol, const QString& title,
                       QWidget* accessory, QWidget* parent)
    : QWidget(parent), accessory_(accessory)
{
    setFixedHeight(rowHeight);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(sidePadding, 0, sidePadding, 0);
    row->setSpacing(spacing);
    row->addWidget(new ActionIcon(brand, symbol, iconSize));
    row->addWidget(new TextLine(title, 12));
    row->addStretch(1);
    row->addWidget(accessory);
}

} // namespace brindle
