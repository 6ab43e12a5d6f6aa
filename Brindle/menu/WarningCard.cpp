#include "Brindle/menu/WarningCard.hpp"

#include "Brindle/menu/BorderedButton.hpp"
#include "Brindle/menu/KitText.hpp"
#include "Brindle/menu/SymbolView.hpp"
#include "Brindle/menu/TextLine.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QHBoxLayout>

namespace brindle {
namespace {

constexpr int padding = 11;
constexpr int spacing = 10;
constexpr int textSpacing = 6;
constexpr qreal symbolPoints = 15;
constexpr int symbolWidth = 22;
const QColor orange = QColor::fromRgb(255, 149, 0);

} // namespace

WarningCard::WarningCard(const std::string& symbol, const QString& title, const QString& message,
                         const std::optional<QString>& button, std::function<void()> action, QWidget* parent)
    : Card(padding, parent)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(spacing);
    auto* icon = new SymbolView(symbol, symbolPoints, Symbol::Weight::regular);
    icon->setColor(orange);
    icon->setBoxWidth(symbolWidth);
    row->addWidget(icon, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(textSpacing);
    auto* heading = new TextLine(title, 12.5, QFont::DemiBold);
    heading->setMode(TextLine::Mode::wrap);
    texts->addWidget(heading);
    auto* body = new TextLine(message, 11, QFont::Normal, Tone::secondary);
    body->setMode(TextLine::Mode::wrap);
    texts->addWidget(body);
    auto* press = new BorderedButton(button.value_or(KitText::openSettings()), std::move(action));
    texts->addWidget(press, 0, Qt::AlignLeft);
    row->addLayout(texts, 1);
    content().addLayout(row);
}

} // namespace brindle
