#include "Brindle/shell/Snapshot.hpp"

#include "Brindle/menu/TextLine.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLayout>
#include <QWidget>

#include <memory>

namespace brindle {
namespace {

[[nodiscard]] QPalette appearancePalette(qreal background, const QColor& text)
{
    QPalette palette;
    const QColor window = QColor::fromRgbF(static_cast<float>(background), static_cast<float>(background),
                                           static_cast<float>(background));
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::Base, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Button, window);
    return palette;
}

} // namespace

QList<Snapshot::Appearance> Snapshot::appearances()
{
    return {{QStringLiteral("light"), appearancePalette(0.93, QColor::fromRgbF(0, 0, 0, 0.88f))},
            {QStringLiteral("dark"), appearancePalette(0.16, QColor::fromRgbF(1, 1, 1, 0.9f))}};
}

QString Snapshot::language()
{
    // The program's own texts are its English keys unless a translation was installed.
    const QString translated = QCoreApplication::translate("Snapshot", "en", "language of this translation");
    return translated.isEmpty() ? QStringLiteral("en") : translated;
}

QStringList Snapshot::renderMenu(const std::optional<QString>& variant,
                                 const std::function<QWidget*(const QPalette&)>& content,
                                 const ImageWriter& writeImage)
{
    QStringList cutOff;
    for (const Appearance& appearance : appearances()) {
        QStringList parts{QStringLiteral("menu"), language()};
        if (variant) {
            parts.append(*variant);
        }
        parts.append(appearance.name);
        const std::unique_ptr<QWidget> widget(content(appearance.palette));
        if (!widget) {
            continue;
        }
        widget->setPalette(appearance.palette);
        const QString fileName = parts.join(QLatin1Char('-')) + QStringLiteral(".png");
        writeImage(fileName, render(*widget));
        for (const QString& text : cutOffTexts(*widget)) {
            cutOff.append(fileName + QStringLiteral(": \"") + text + QStringLiteral("\" is cut off"));
        }
    }
    return cutOff;
}

QStringList Snapshot::cutOffTexts(const QWidget& root)
{
    QStringList texts;
    for (const TextLine* line : root.findChildren<TextLine*>()) {
        if (line->isVisibleTo(&root) && line->isCutOff()) {
            texts.append(line->text());
        }
    }
    return texts;
}

QImage Snapshot::render(QWidget& widget)
{
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    if (widget.layout()) {
        widget.layout()->activate();
    }
    widget.adjustSize();
    // Wrapped texts take their height from the width, as the panel's window sizes itself.
    if (widget.hasHeightForWidth()) {
        widget.resize(widget.width(), widget.heightForWidth(widget.width()));
        widget.layout()->activate();
    }
    const QSize size = widget.size();
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};
    }
    image.setDevicePixelRatio(scale);
    image.fill(widget.palette().color(QPalette::Window));
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace brindle
