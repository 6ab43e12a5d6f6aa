#include "Brindle/menu/UpdateReminderCard.hpp"

#include "Brindle/menu/AppBrand.hpp"
#include "Brindle/menu/KitText.hpp"
#include "Brindle/menu/PillButton.hpp"
#include "Brindle/menu/SymbolView.hpp"
#include "Brindle/menu/TextLine.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QHBoxLayout>

namespace brindle {

UpdateReminderCard::UpdateReminderCard(const AppBrand& brand, std::function<void()> check,
                                       std::function<void()> dismiss, QWidget* parent)
    : Card(11, parent)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    auto* icon = new SymbolView("arrow.down.circle.fill", 17, Symbol::Weight::regular);
    icon->setGradientOf(brand.accent);
    icon->setBoxWidth(22);
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(new TextLine(KitText::updateTitle(), 12.5, QFont::DemiBold));
    auto* message = new TextLine(KitText::updateMessage(), 11, QFont::Normal, Tone::secondary);
    message->setMode(TextLine::Mode::wrap);
    texts->addWidget(message);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 2, 0, 0);
    buttons->setSpacing(6);
    buttons->addWidget(new PillButton(brand, KitText::check(), true, std::move(check)));
    buttons->addWidget(new PillButton(brand, KitText::notNow(), false, std::move(dismiss)));
    buttons->addStretch(1);
    texts->addLayout(buttons);
    row->addLayout(texts, 1);
    content().addLayout(row);
}

} // namespace brindle
