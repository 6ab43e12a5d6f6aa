#pragma once

#include "Quillet/common/TextRecognizer.hpp"

#include <QImage>
#include <QObject>
#include <QPoint>

#include <memory>

namespace quillet {

// The editor's copy keys: the image as it would be saved, marks included, and the text in it or in a
// part of it. The PNG is encoded and the text read off the main thread; nothing lands on the
// clipboard once `context` is gone. Main thread only.
struct EditorClipboard {
    static void copyImage(QObject* context, const QImage& rendered);
    // Says at `tipAt` (global) that it reads, then whether text was copied, none found, or why none can
    // be read. `text` null: reading text is unavailable.
    static void copyText(QObject* context, const QImage& area, std::shared_ptr<const TextRecognizer> text,
                         QPoint tipAt);
};

} // namespace quillet
