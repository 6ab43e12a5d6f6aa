#pragma once

// A deterministic picture that compresses like a real desktop: a gradient wallpaper, windows with
// title bars, lines of text, flat controls and one photo-like noisy area. Header-only, shared by the
// benchmarks that encode or capture a screen. Needs a QGuiApplication for the text.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

namespace quillet::bench {

inline void paintScreenLike(QPainter& painter, int width, int height)
{
    QLinearGradient wallpaper(0, 0, width, height);
    wallpaper.setColorAt(0, QColor(32, 58, 96));
    wallpaper.setColorAt(1, QColor(142, 84, 120));
    painter.fillRect(0, 0, width, height, wallpaper);

    QRandomGenerator random(20240131);
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(std::max(11, height / 150));
    painter.setFont(font);
    const int windows = 6;
    for (int w = 0; w < windows; ++w) {
        const int left = width * w / (windows + 2);
        const int top = height * w / (windows + 4);
        const int windowWidth = width / 2;
        const int windowHeight = height / 2;
        painter.fillRect(left, top, windowWidth, windowHeight, QColor(250, 250, 250));
        painter.fillRect(left, top, windowWidth, height / 40, QColor(225, 225, 228));
        painter.setPen(QColor(200, 200, 205));
        painter.drawRect(left, top, windowWidth - 1, windowHeight - 1);
        painter.setPen(QColor(30, 30, 30));
        const int lineHeight = font.pixelSize() * 3 / 2;
        for (int line = 0; line * lineHeight < windowHeight / 2; ++line) {
            QString text;
            const int words = 6 + static_cast<int>(random.bounded(10));
            for (int word = 0; word < words; ++word) {
                const int letters = 2 + static_cast<int>(random.bounded(8));
                for (int letter = 0; letter < letters; ++letter) {
                    text += QChar(u'a' + static_cast<char16_t>(random.bounded(26)));
                }
                text += QLatin1Char(' ');
            }
            painter.drawText(left + 20, top + height / 40 + (line + 1) * lineHeight, text);
        }
        for (int button = 0; button < 4; ++button) {
            painter.fillRect(left + 20 + button * 110, top + windowHeight - 60, 90, 28, QColor(60, 120, 230));
        }
    }
    // A photo-like area: smooth colour with grain, the hardest part to compress.
    const QRect photo(width * 5 / 8, height * 5 / 8, width / 4, height / 4);
    QImage grain(photo.size(), QImage::Format_RGB32);
    for (int y = 0; y < grain.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(grain.scanLine(y));
        for (int x = 0; x < grain.width(); ++x) {
            const int noise = static_cast<int>(random.bounded(24));
            row[x] = qRgb((x * 255 / grain.width() + noise) % 256, (y * 255 / grain.height() + noise) % 256,
                          (128 + noise) % 256);
        }
    }
    painter.drawImage(photo.topLeft(), grain);
}

// The picture as the capture path hands it on: premultiplied RGBA.
inline QImage screenLikeImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    QPainter painter(&image);
    paintScreenLike(painter, width, height);
    return image;
}

} // namespace quillet::bench
