#pragma once

#include <QAbstractButton>

#include <functional>

namespace brindle {

// A small bordered push button with a text, for the one action of a card.
class BorderedButton : public QAbstractButton {
    Q_OBJECT

public:
    BorderedButton(const QString& text, std::function<void()> action, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace brindle
