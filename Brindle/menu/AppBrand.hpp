#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <string>

namespace brindle {

// The application's identity as the kit's components draw it: its name and glyph, the glyph's
// top-to-bottom gradient and the accent that tints switches, icon tiles and prominent buttons.
struct AppBrand {
    QString name;
    std::string symbol;
    QList<QColor> gradient;
    QColor accent;
    // The glyph's symbol size as a fraction of the glyph's size.
    double symbolScale = 0.5;
};

} // namespace brindle
