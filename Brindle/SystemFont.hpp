#pragma once

#include <QFont>

class QPaintDevice;

namespace brindle {

// The interface font (Inter) at sizes given in points as the views state them, where a point is
// one device-independent pixel, whatever dots-per-inch the display reports.
class SystemFont {
public:
    [[nodiscard]] static QString family();

    // `device` is what the text is drawn on; its logical resolution turns points into Qt's font
    // points. Without one, the usual 96 dots per inch.
    [[nodiscard]] static QFont font(qreal points, QFont::Weight weight = QFont::Normal,
                                    const QPaintDevice* device = nullptr);
};

} // namespace brindle
