#pragma once

#include "Brindle/menu/AppBrand.hpp"

#include <QWidget>

namespace brindle {

// The application's glyph: its symbol in white on a rounded square filled with the brand's gradient,
// casting a soft shadow in the accent colour.
class AppGlyph : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal shadowRadius = 4;
    static constexpr qreal shadowOffset = 2;

    AppGlyph(const AppBrand& brand, qreal size, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;
    // Draws the glyph with its top-left corner at `origin`.
    static void paint(QPainter& painter, const AppBrand& brand, const QPointF& origin, qreal size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AppBrand brand_;
    qreal size_;
};

} // namespace brindle
