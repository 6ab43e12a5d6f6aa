#pragma once

#include "Brindle/menu/AppBrand.hpp"
#include "Quillet/shell/MenuModel.hpp"

#include <QWidget>

#include <functional>

class QLineEdit;

namespace brindle {
class ClickArea;
class MenuPicker;
class MenuSwitch;
class TextLine;
} // namespace brindle

namespace quillet {

// The settings of the panel: where captures go, how they are named, the recording options and
// opening at login. Each control writes to the model at once.
class SettingsCard : public QWidget {
    Q_OBJECT

public:
    struct Options {
        bool isSnapshot = false;
        std::function<void()> closePanel;
    };

    SettingsCard(MenuModel& model, const brindle::AppBrand& brand, Options options,
                 QWidget* parent = nullptr);

    void refresh();

    [[nodiscard]] QLineEdit& prefixField() const { return *prefix_; }
    [[nodiscard]] QLineEdit& numberField() const { return *number_; }
    [[nodiscard]] brindle::ClickArea& changeFolderButton() const { return *change_; }
    [[nodiscard]] brindle::TextLine& nextFileCaption() const { return *nextFile_; }
    [[nodiscard]] QWidget& numberRows() const { return *numberRows_; }
    [[nodiscard]] QWidget& microphoneRow() const { return *microphoneRow_; }
    [[nodiscard]] brindle::MenuSwitch& microphoneSwitch() const { return *microphoneSwitch_; }
    [[nodiscard]] brindle::MenuPicker& microphonePicker() const { return *microphones_; }

private:
    [[nodiscard]] QWidget* folderAccessory();
    [[nodiscard]] QWidget* namingRows();
    [[nodiscard]] QWidget* numberAccessory();
    void commitNumber();
    void limitPrefix(const QString& typed);

    MenuModel& model_;
    brindle::AppBrand brand_;
    Options options_;
    brindle::TextLine* folderName_ = nullptr;
    brindle::ClickArea* change_ = nullptr;
    brindle::MenuPicker* naming_ = nullptr;
    brindle::TextLine* namingText_ = nullptr;
    QWidget* numberRows_ = nullptr;
    QLineEdit* prefix_ = nullptr;
    brindle::TextLine* prefixText_ = nullptr;
    QWidget* startOver_ = nullptr;
    QLineEdit* number_ = nullptr;
    brindle::TextLine* numberText_ = nullptr;
    brindle::TextLine* nextFile_ = nullptr;
    brindle::MenuSwitch* microphoneSwitch_ = nullptr;
    QWidget* microphoneRow_ = nullptr;
    brindle::MenuPicker* microphones_ = nullptr;
    brindle::MenuSwitch* clicksSwitch_ = nullptr;
    brindle::MenuSwitch* copySwitch_ = nullptr;
};

} // namespace quillet
