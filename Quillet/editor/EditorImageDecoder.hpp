#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace quillet {

// The one decoder of the files the editor opens: WebP through libwebp (Qt has no WebP reader here),
// PNG through Qt's reader, nothing else. Any bytes may come in: a truncated, corrupt or hostile file
// yields nothing, never a crash. The result is premultiplied RGBA, the renderer's own layout, so no
// conversion follows. Safe on any thread.
struct EditorImageDecoder {
    [[nodiscard]] static std::optional<QImage> decode(const QByteArray& bytes);

    // Reads the file and decodes it; nothing when either fails. Does file I/O: not for the main thread.
    [[nodiscard]] static std::optional<QImage> read(const QString& path);
};

} // namespace quillet
