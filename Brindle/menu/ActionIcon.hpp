#pragma once

#include <QWidget>

#include <string>

namespace brindle {

struct AppBrand;

// A white symbol on a rounded tile filled with the gradient of the brand's accent.
class ActionIcon : public QWidget {
    Q_OBJECT

public:
    ActionIcon(const AppBrand& brand, std::string symbol, qreal size, QWidget* parent = nullptr);

    void setSymbol(std::string symbol);
    [[nodiscard]] const std::string& symbol() const { return symbol_; }
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor accent_;
    std::string symbol_;
    qreal size_;
};

} // namespace brindle
