#pragma once

#include "Brindle/menu/AppBrand.hpp"
#include "Quillet/shell/MenuModel.hpp"

#include <QWidget>

#include <array>
#include <functional>

class QTimer;

namespace brindle {
class ActionIcon;
class MenuHeader;
class TextLine;
class WarningCard;
} // namespace brindle

namespace quillet {

class SettingsCard;
class ShortcutField;

// The tray panel: status and master switch, the reminder and recording cards, the warnings, one row
// per capture action with its shortcut, every setting, the privacy note and the footer. It owns no
// state: it shows the model and hands every change to it.
class MenuView : public QWidget {
    Q_OBJECT

public:
    static constexpr int width = 340;
    static constexpr int padding = 14;
    static constexpr int spacing = 12;

    struct Options {
        // Drawn for a picture: nothing asks the system for live state.
        bool isSnapshot = false;
        // Hides the panel before an action that must not find it on screen.
        std::function<void()> closePanel = [] {};
    };

    // The application's brand.
    [[nodiscard]] static brindle::AppBrand brand();

    MenuView(MenuModel& model, Options options, QWidget* parent = nullptr);

    // Re-reads the whole model.
    void refresh();

    [[nodiscard]] brindle::MenuHeader& header() const { return *header_; }
    [[nodiscard]] ShortcutField& shortcutField(CaptureAction action) const;
    [[nodiscard]] SettingsCard& settings() const { return *settings_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct ActionRow {
        brindle::ActionIcon* icon = nullptr;
        brindle::TextLine* title = nullptr;
        brindle::TextLine* subtitle = nullptr;
        ShortcutField* field = nullptr;
    };

    [[nodiscard]] QWidget* makeRecordingCard();
    [[nodiscard]] QWidget* makeActionsCard();
    void refreshRecordingTime();

    MenuModel& model_;
    Options options_;
    brindle::AppBrand brand_;
    brindle::MenuHeader* header_;
    QWidget* updateCard_ = nullptr;
    QWidget* recordingCard_ = nullptr;
    brindle::TextLine* recordingTime_ = nullptr;
    QTimer* recordingClock_ = nullptr;
    QWidget* permissionCard_ = nullptr;
    QWidget* shortcutsCard_ = nullptr;
    std::array<ActionRow, 3> actions_{};
    SettingsCard* settings_ = nullptr;
};

} // namespace quillet
