#include "Quillet/editor/EditorWindow.hpp"

#include "Quillet/editor/EditorCanvasView.hpp"
#include "Quillet/editor/EditorToolbar.hpp"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace quillet {

EditorWindow::EditorWindow(EditorToolbar* toolbar, EditorCanvasView* canvas) : QWidget(nullptr, Qt::Window)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(toolbar);
    column->addWidget(canvas, 1);
    setMinimumSize(minimumWidth, minimumHeight);
    setFocusProxy(canvas);
}

void EditorWindow::keyPressEvent(QKeyEvent* event)
{
    if (onKeyPress_ && onKeyPress_(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void EditorWindow::closeEvent(QCloseEvent* event)
{
    if (canClose_ && !canClose_()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

} // namespace quillet
