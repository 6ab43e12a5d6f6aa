#pragma once

#include <QImage>
#include <QWidget>

namespace quillet::screencapture {

class PickerSession;

// One full-screen, borderless window per screen that shows the frozen picture of that screen and
// what the session draws over it; it hands its input to the session.
class PickerWindow : public QWidget {
public:
    // `frozen` carries the screen's pixel ratio and must outlive the window.
    PickerWindow(QScreen* screen, PickerSession& session, QImage frozen);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void paintSelection(QPainter& painter, const QRectF& selection) const;
    void paintSizeLabel(QPainter& painter, const QString& text, QPointF anchor) const;

    PickerSession& session_;
    QImage frozen_;
};

} // namespace quillet::screencapture
