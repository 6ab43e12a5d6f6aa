#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace quillet {

// Reads the text in a picture, offline. `read` is slow (seconds for a large screen) and is called off
// the main thread; one object may be asked from several threads.
class TextRecognizer {
public:
    virtual ~TextRecognizer() = default;

    // Why no text can be read on this machine, in words for the user ("… needs tesseract-ocr-eng");
    // empty when it can. Quick enough for the main thread: it loads nothing.
    [[nodiscard]] virtual QString unavailableReason() const = 0;

    // The text of `image` in reading order, lines kept and paragraphs parted by an empty line,
    // without leading or trailing space; empty when it holds none. Absent when it could not be read.
    [[nodiscard]] virtual std::optional<QString> read(const QImage& image) const = 0;
};

} // namespace quillet
