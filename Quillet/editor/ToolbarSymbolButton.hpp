#pragma once

#include <QAbstractButton>

#include <string>

namespace quillet {

// A borderless toolbar button showing a symbol (arrow direction, delete, undo), in the secondary
// colour, or the tertiary one while disabled. The whole 30 x 28 frame is clickable.
class ToolbarSymbolButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int width = 30;
    static constexpr int height = 28;

    ToolbarSymbolButton(std::string symbol, const QString& accessibleName, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override { return {width, height}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbol_;
};

} // namespace quillet
