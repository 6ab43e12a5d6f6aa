#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace brindle {

// Renders a panel to PNG files off screen, once in the light and once in the dark appearance, at
// twice its size in points.
struct Snapshot {
    static constexpr qreal scale = 2.0;

    struct Appearance {
        QString name;
        QPalette palette;
    };

    // "light" and "dark", in that order.
    [[nodiscard]] static QList<Appearance> appearances();
    // The language of the texts in use: the translation loaded, "en" when none is.
    [[nodiscard]] static QString language();

    // Writes menu-<language>[-<variant>]-<appearance>.png into `directory` (which is not created), each
    // from a fresh widget made by `content` in that appearance's palette. Failures skip the file.
    static void renderMenu(const QString& directory, const std::optional<QString>& variant,
                           const std::function<QWidget*(const QPalette&)>& content);

    // Lays `widget` out off screen and renders it over `palette`'s window colour; false when nothing
    // could be written.
    static bool write(QWidget& widget, const QString& path);
    [[nodiscard]] static QImage render(QWidget& widget);
};

} // namespace brindle
