#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <string_view>

class QPainter;

namespace quillet::SelectionPills {

// The rounded labels of the area selector: the size of the selection, the hint, and the two option
// switches (with a symbol). All sizes are points.
inline const QColor highlight(175, 82, 222); // the desktop's purple
inline const QColor plain(0, 0, 0, 178);     // black at 70 %

[[nodiscard]] QFont font();
// The text's size plus the pill's padding (the width of a pill with a symbol).
[[nodiscard]] QSizeF size(const QString& text);
// Draws a pill centred on `centre` and returns where it went. `symbol` names a system symbol, or is
// empty for a text pill; a symbol that cannot be drawn leaves the text alone in the pill.
QRectF draw(QPainter& painter, const QString& text, QPointF centre, bool highlighted,
            std::string_view symbol);

// The option texts.
[[nodiscard]] QString hint();
[[nodiscard]] QString sizeLabel(int width, int height);
[[nodiscard]] QString microphoneText(bool isBlocked, bool isOn, const QString& name);
[[nodiscard]] QString clicksText(bool isOn);
// The clicks pill where no click reaches the program (Wayland).
[[nodiscard]] QString clicksUnavailable();
[[nodiscard]] QString noMicrophone();

} // namespace quillet::SelectionPills
