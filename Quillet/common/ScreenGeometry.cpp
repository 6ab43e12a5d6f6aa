#include "Quillet/common/ScreenGeometry.hpp"

#include "core/CaptureGeometry.hpp"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace quillet {
namespace {

// A point lies on a frame when it is inside it or on its lower or left edge, the way the mouse is
// tested against a screen: the top and right edges belong to the neighbour.
bool holds(const Rect& frame, Point point)
{
    return point.x >= frame.minX() && point.x < frame.maxX() && point.y > frame.minY() &&
           point.y <= frame.maxY();
}

QRect mainGeometry()
{
    const QScreen* main = ScreenGeometry::mainScreen();
    return main ? main->geometry() : QRect();
}

} // namespace

QScreen* ScreenGeometry::mainScreen()
{
    const QList<QScreen*> all = QGuiApplication::screens();
    for (QScreen* screen : all) {
        if (screen->geometry().topLeft() == QPoint(0, 0)) {
            return screen;
        }
    }
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        return primary;
    }
    return all.isEmpty() ? nullptr : all.front();
}

QList<QScreen*> ScreenGeometry::screens()
{
    QList<QScreen*> result = QGuiApplication::screens();
    QScreen* main = mainScreen();
    if (main != nullptr && result.removeOne(main)) {
        result.prepend(main);
    }
    return result;
}

Rect ScreenGeometry::frameIn(const QRect& geometry, const QRect& main)
{
    const double left = geometry.x() - main.x();
    const double bottom = main.height() - (geometry.y() + geometry.height() - main.y());
    return {left, bottom, static_cast<double>(geometry.width()), static_cast<double>(geometry.height())};
}

Point ScreenGeometry::pointIn(QPointF global, const QRect& main)
{
    return {global.x() - main.x(), main.height() - (global.y() - main.y())};
}

Rect ScreenGeometry::frame(const QScreen* screen)
{
    return screen ? frameIn(screen->geometry(), mainGeometry()) : Rect();
}

Point ScreenGeometry::pointerLocation()
{
    return pointIn(QCursor::pos(), mainGeometry());
}

QScreen* ScreenGeometry::screenUnderPointer()
{
    const Point pointer = pointerLocation();
    const QList<QScreen*> all = screens();
    for (QScreen* screen : all) {
        if (holds(frame(screen), pointer)) {
            return screen;
        }
    }
    return mainScreen();
}

std::string ScreenGeometry::region(const Rect& rect)
{
    const QScreen* main = mainScreen();
    const double mainHeight = main ? main->geometry().height() : rect.height();
    return CaptureGeometry::region(rect, mainHeight);
}

} // namespace quillet
