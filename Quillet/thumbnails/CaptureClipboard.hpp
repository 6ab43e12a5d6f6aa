#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QString>

#include <memory>

namespace quillet {

// What a copied capture leaves on the clipboard, so that each kind of program pastes what it expects:
// an image editor or chat box the pixels as PNG, a file manager the file itself (as a copy, never a
// move). Main thread only; the PNG is made beforehand, off it.
struct CaptureClipboard {
    // `png` empty: the file alone (a recording, or a still whose pixels could not be read).
    [[nodiscard]] static std::unique_ptr<QMimeData> contents(const QString& path, const QByteArray& png);
    static void copy(const QString& path, const QByteArray& png);
    static void copyPath(const QString& path);
};

} // namespace quillet
