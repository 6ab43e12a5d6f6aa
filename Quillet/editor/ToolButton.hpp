#pragma once

#include "core/EditorTool.hpp"

#include <QAbstractButton>

namespace quillet {

// One tool of the toolbar: the tool's symbol on a purple gradient when selected, on a faint shade
// while hovered. Its tooltip is the tool's title and key.
class ToolButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int width = 34;
    static constexpr int height = 28;

    explicit ToolButton(EditorTool tool, QWidget* parent = nullptr);

    [[nodiscard]] EditorTool tool() const { return tool_; }
    [[nodiscard]] QSize sizeHint() const override { return {width, height}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    EditorTool tool_;
    bool hovering_ = false;
};

} // namespace quillet
