#pragma once

#include <QAbstractButton>
#include <QList>
#include <QVariant>

#include <functional>

namespace brindle {

// A compact pop-up choice: the chosen entry's label with an up-down chevron; a click lists every
// entry and reports the one picked.
class MenuPicker : public QAbstractButton {
    Q_OBJECT

public:
    struct Option {
        QString label;
        QVariant value;
    };

    MenuPicker(QList<Option> options, std::function<void(const QVariant&)> chosen, QWidget* parent = nullptr);

    void setOptions(QList<Option> options);
    // Shows the entry with this value (or the first when none has it) without reporting anything.
    void select(const QVariant& value);
    [[nodiscard]] QString currentLabel() const;
    [[nodiscard]] const QList<Option>& options() const { return options_; }
    // Picks an entry as the user would.
    void choose(const QVariant& value);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void popUp();

    QList<Option> options_;
    std::function<void(const QVariant&)> chosen_;
    qsizetype current_ = 0;
};

} // namespace brindle
