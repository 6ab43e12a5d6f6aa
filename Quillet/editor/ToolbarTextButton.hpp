#pragma once

#include <QAbstractButton>

namespace quillet {

// A labelled toolbar button at the large control size: Cancel in the default style, Save in the
// prominent style tinted purple with a semibold label.
class ToolbarTextButton : public QAbstractButton {
    Q_OBJECT

public:
    enum class Style { standard, prominent };

    static constexpr int minimumWidth = 56;
    static constexpr int height = 30;

    ToolbarTextButton(const QString& label, Style style, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Style style_;
};

} // namespace quillet
