#pragma once

#include "Brindle/Symbol.hpp"

#include <QBrush>
#include <QWidget>

#include <optional>
#include <string>

namespace brindle {

// One symbol of the catalogue in a box of its own, filled with a colour, a gradient, or a tone of the
// palette's text colour.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    SymbolView(std::string symbol, qreal points, Symbol::Weight weight, QWidget* parent = nullptr);

    void setSymbol(std::string symbol);
    [[nodiscard]] const std::string& symbol() const { return symbol_; }
    void setColor(const QColor& colour);
    // A tone of the palette's text colour (see Tone).
    void setTone(qreal tone);
    // Fills the symbol with the automatic gradient of `colour`.
    void setGradientOf(const QColor& colour);
    // The box's width; by default the symbol's own box.
    void setBoxWidth(int width);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbol_;
    qreal points_;
    Symbol::Weight weight_;
    std::optional<QColor> colour_;
    bool gradient_ = false;
    qreal tone_ = 1.0;
    std::optional<int> boxWidth_;
};

} // namespace brindle
