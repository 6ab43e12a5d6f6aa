#pragma once

#include "core/AnnotationColor.hpp"

#include <QAbstractButton>

namespace quillet {

// One mark colour of the toolbar: a filled circle with an outline that keeps it apart from the bar,
// ringed when selected. Dimmed (but still clickable) while the tool draws without colour.
class Swatch : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int diameter = 16;
    static constexpr int padding = 3;

    explicit Swatch(AnnotationColor color, QWidget* parent = nullptr);

    [[nodiscard]] AnnotationColor color() const { return color_; }
    void setDimmed(bool dimmed);
    [[nodiscard]] QSize sizeHint() const override { return {diameter + 2 * padding, diameter + 2 * padding}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AnnotationColor color_;
    bool dimmed_ = false;
};

} // namespace quillet
