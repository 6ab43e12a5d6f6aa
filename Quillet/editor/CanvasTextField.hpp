#pragma once

#include <QLineEdit>

namespace quillet {

// The inline field that takes the typing of a text mark. It shows nothing itself: the canvas draws
// the live text with the renderer, and its caret, so what the user types looks exactly like the
// mark it becomes. (Qt draws a line edit's caret by inverting pixels, which cannot take the mark's
// colour, so the field's own caret is zero pixels wide.)
class CanvasTextField : public QLineEdit {
    Q_OBJECT

public:
    explicit CanvasTextField(QWidget* parent = nullptr);
    ~CanvasTextField() override;

signals:
    // Escape: the typing is dropped.
    void cancelled();
    // Focus went to another widget of the window (not to another window): the typing is kept.
    void focusLeft();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace quillet
