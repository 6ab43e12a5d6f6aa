#pragma once

#include <QWidget>

#include <functional>

class QKeyEvent;

namespace quillet {

class EditorCanvasView;
class EditorToolbar;

// The editor's top-level window: the toolbar above the canvas. Key presses nobody below took are
// offered to `onKeyPress` first; `canClose` may refuse closing (while a save runs).
class EditorWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int minimumWidth = 700;
    static constexpr int minimumHeight = 420;

    // The window takes both widgets as its children.
    EditorWindow(EditorToolbar* toolbar, EditorCanvasView* canvas);

    void setOnKeyPress(std::function<bool(QKeyEvent*)> handler) { onKeyPress_ = std::move(handler); }
    void setCanClose(std::function<bool()> canClose) { canClose_ = std::move(canClose); }

signals:
    // The window has closed; it is not deleted.
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool(QKeyEvent*)> onKeyPress_;
    std::function<bool()> canClose_;
};

} // namespace quillet
