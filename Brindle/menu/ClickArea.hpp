#pragma once

#include <QAbstractButton>
#include <QHBoxLayout>

#include <functional>

namespace brindle {

// A plain button whose label is a row of other widgets: the whole rectangle answers the click. It
// may light up under the pointer (a rounded highlight) and draw a border while it is marked.
class ClickArea : public QAbstractButton {
    Q_OBJECT

public:
    explicit ClickArea(std::function<void()> action, QWidget* parent = nullptr);

    [[nodiscard]] QHBoxLayout& row() const { return *row_; }
    // Adds a widget to the label; it takes no mouse input of its own.
    void addToLabel(QWidget* widget, int stretch = 0, Qt::Alignment alignment = {});

    // The hover highlight (primary at `opacity`) with this corner radius; none by default.
    void setHoverHighlight(qreal cornerRadius, qreal opacity);
    // An inner border of `width` in `colour`; a transparent colour removes it.
    void setBorder(qreal cornerRadius, qreal width, const QColor& colour);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QHBoxLayout* row_;
    bool isHovered_ = false;
    qreal hoverRadius_ = 0;
    qreal hoverOpacity_ = 0;
    qreal borderRadius_ = 0;
    qreal borderWidth_ = 0;
    QColor borderColour_ = Qt::transparent;
};

} // namespace brindle
