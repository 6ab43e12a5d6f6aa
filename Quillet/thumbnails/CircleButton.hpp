#pragma once

#include <QAbstractButton>

#include <functional>
#include <string>

namespace quillet {

// A small round button on a card: a white symbol on a dark translucent circle, with its purpose as
// tooltip.
class CircleButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int diameter = 24;
    static constexpr double symbolPointSize = 11;

    CircleButton(std::string symbol, const QString& help, std::function<void()> action,
                 QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override { return {diameter, diameter}; }
    [[nodiscard]] const std::string& symbol() const { return symbol_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    [[nodiscard]] bool hitButton(const QPoint& position) const override;

private:
    std::string symbol_;
};

} // namespace quillet
