#pragma once

#include <QColor>
#include <QImage>
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

    // Hands `writeImage` menu-<language>[-<variant>]-<appearance>.png, one for each appearance, each
    // rendered from a fresh widget made by `content` in that appearance's palette. Returns one line
    // per text the picture shows cut off ("<file>: <text> is cut off"), which no panel should have.
    using ImageWriter = std::function<void(const QString& fileName, const QImage& image)>;
    [[nodiscard]] static QStringList renderMenu(const std::optional<QString>& variant,
                                                const std::function<QWidget*(const QPalette&)>& content,
                                                const ImageWriter& writeImage);

    // The texts shown in `root` that do not fit their room.
    [[nodiscard]] static QStringList cutOffTexts(const QWidget& root);

    // Lays `widget` out off screen and renders it over `palette`'s window colour; null when no image
    // of its size can be had.
    [[nodiscard]] static QImage render(QWidget& widget);
};

} // namespace brindle
