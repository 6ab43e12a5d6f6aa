#include "Brindle/menu/PrivacyCard.hpp"

#include "Brindle/menu/KitText.hpp"
#include "Brindle/menu/SymbolView.hpp"
#include "Brindle/menu/TextLine.hpp"

#include <QHBoxLayout>

namespace brindle {
namespace {

constexpr int padding = 11;
const QColor green = QColor::fromRgb(52, 199, 89);
constexpr qreal itemTone = 0.85;

[[nodiscard]] QLayout* item(const std::string& symbol, const QString& text)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(7);
    auto* icon = new SymbolView(symbol, 10, Symbol::Weight::medium);
    icon->setColor(green);
    icon->setBoxWidth(15);
    row->addWidget(icon);
    row->addWidget(new TextLine(text, 11, QFont::Normal, itemTone), 1);
    return row;
}

} // namespace

PrivacyCard::PrivacyCard(const std::vector<std::pair<std::string, QString>>& items, QWidget* parent)
    : Card(padding, parent)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    auto* shield = new SymbolView("lock.shield.fill", 18, Symbol::Weight::regular);
    shield->setGradientOf(green);
    row->addWidget(shield, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(5);
    texts->addWidget(new TextLine(KitText::privateByDesign(), 12.5, QFont::DemiBold));
    for (const auto& [symbol, text] : items) {
        texts->addLayout(item(symbol, text));
    }
    row->addLayout(texts, 1);
    content().addLayout(row);
}

} // namespace brindle
