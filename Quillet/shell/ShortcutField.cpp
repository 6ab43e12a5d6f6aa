#include "Quillet/shell/ShortcutField.hpp"

#include "Brindle/menu/ClickArea.hpp"
#include "Brindle/menu/KeyCaps.hpp"
#include "Brindle/menu/SymbolView.hpp"
#include "Brindle/menu/TextLine.hpp"
#include "Brindle/menu/Tone.hpp"
#include "Quillet/shell/PanelText.hpp"

#include <QHBoxLayout>

namespace quillet {
namespace {

constexpr qreal cornerRadius = 6;
constexpr qreal borderWidth = 1.5;
constexpr int labelPadding = 3;
constexpr int fieldHeight = 22;
const QColor orange = QColor::fromRgb(255, 149, 0);

} // namespace

ShortcutField::ShortcutField(MenuModel& model, CaptureAction action, const QColor& accent, QWidget* parent)
    : QWidget(parent), model_(model), action_(action), accent_(accent),
      button_(new brindle::ClickArea([this] {
          if (isEditing()) {
              model_.endEditingShortcut();
          } else if (isEditable()) {
              model_.beginEditingShortcut(action_);
          }
      })),
      prompt_(new brindle::TextLine(PanelText::typeShortcut(), 10.5, QFont::Medium)),
      caps_(new brindle::KeyCaps({})),
      none_(new brindle::TextLine(PanelText::none(), 10.5, QFont::Normal, brindle::Tone::tertiary)),
      elsewhere_(new brindle::TextLine({}, 9.5, QFont::Normal, brindle::Tone::secondary)),
      taken_(new brindle::SymbolView("exclamationmark.triangle.fill", 9, brindle::Symbol::Weight::regular))
{
    prompt_->setColor(accent_);
    prompt_->setMinimumWidth(70);
    none_->setMinimumWidth(50);
    button_->setMinimumHeight(fieldHeight);
    button_->row().setContentsMargins(labelPadding, 0, labelPadding, 0);
    button_->addToLabel(prompt_, 0, Qt::AlignCenter);
    button_->addToLabel(caps_, 0, Qt::AlignCenter);
    button_->addToLabel(none_, 0, Qt::AlignCenter);
    button_->addToLabel(elsewhere_, 0, Qt::AlignCenter);
    taken_->setColor(orange);
    taken_->setToolTip(PanelText::takenHelp());

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(button_);
    row->addWidget(taken_);
    refresh();
}

bool ShortcutField::isEditing() const
{
    return model_.editingShortcut() == action_;
}

bool ShortcutField::showsTakenSign() const
{
    return !taken_->isHidden();
}

bool ShortcutField::isEditable() const
{
    return model_.shortcutRoute() == ShortcutRoute::x11HotKeys;
}

QString ShortcutField::shownText() const
{
    if (!caps_->isHidden()) {
        return caps_->keys().join(QLatin1Char('+'));
    }
    for (const brindle::TextLine* line : {prompt_, none_, elsewhere_}) {
        if (!line->isHidden()) {
            return line->text();
        }
    }
    return {};
}

void ShortcutField::refresh()
{
    if (!isEditable()) {
        showDesktopKey();
        return;
    }
    const bool editing = isEditing();
    const auto shortcut = model_.shortcut(action_);
    prompt_->setVisible(editing);
    caps_->setVisible(!editing && shortcut.has_value());
    none_->setVisible(!editing && !shortcut.has_value());
    elsewhere_->hide();
    if (shortcut) {
        caps_->setKeys(PanelText::keyNames(shortcut->symbols()));
    }
    button_->setCursor(Qt::PointingHandCursor);
    button_->setBorder(cornerRadius, borderWidth, editing ? accent_ : QColor(Qt::transparent));
    button_->setToolTip(editing ? PanelText::editingHelp() : PanelText::fieldHelp());
    taken_->setVisible(model_.failedShortcuts().contains(action_));
}

// The desktop owns the key: the field tells what it is, or how to bind one, and records nothing
// (a key recorded here would never reach the program).
void ShortcutField::showDesktopKey()
{
    const bool bindsCommand = model_.shortcutRoute() == ShortcutRoute::desktopBinding;
    const QString trigger = bindsCommand ? QString() : model_.desktopTrigger(action_);
    prompt_->hide();
    none_->hide();
    taken_->hide();
    caps_->setVisible(!trigger.isEmpty());
    elsewhere_->setVisible(trigger.isEmpty());
    if (!trigger.isEmpty()) {
        caps_->setKeys(PanelText::desktopKeyNames(trigger));
    }
    elsewhere_->setText(bindsCommand ? PanelText::desktopCommand(action_) : PanelText::desktopHoldsKey());
    button_->unsetCursor();
    button_->setBorder(cornerRadius, borderWidth, QColor(Qt::transparent));
    button_->setToolTip(bindsCommand ? PanelText::bindCommandHelp() : PanelText::desktopKeyHelp());
}

} // namespace quillet
