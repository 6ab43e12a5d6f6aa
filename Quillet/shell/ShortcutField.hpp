#pragma once

#include "Quillet/shell/MenuModel.hpp"

#include <QWidget>

namespace brindle {
class ClickArea;
class KeyCaps;
class SymbolView;
class TextLine;
} // namespace brindle

namespace quillet {

// The control at the right of an action row: shows the action's shortcut as key caps and, when
// clicked, waits for a new one (the model takes the typed keys). A shortcut another program holds
// gets an orange warning sign beside it. Where the desktop holds the keys, it shows the key the
// desktop reports, or the command to bind in the desktop's settings, and records nothing.
class ShortcutField : public QWidget {
    Q_OBJECT

public:
    ShortcutField(MenuModel& model, CaptureAction action, const QColor& accent, QWidget* parent = nullptr);

    // Re-reads the model.
    void refresh();
    [[nodiscard]] brindle::ClickArea& button() const { return *button_; }
    [[nodiscard]] bool isEditing() const;
    [[nodiscard]] bool showsTakenSign() const;
    // The keys or words the field shows, keys joined by "+".
    [[nodiscard]] QString shownText() const;

private:
    [[nodiscard]] bool isEditable() const;
    void showDesktopKey();

    MenuModel& model_;
    CaptureAction action_;
    QColor accent_;
    brindle::ClickArea* button_;
    brindle::TextLine* prompt_;
    brindle::KeyCaps* caps_;
    brindle::TextLine* none_;
    brindle::TextLine* elsewhere_;
    brindle::SymbolView* taken_;
};

} // namespace quillet
