#include "Quillet/editor/EditorImageDecoder.hpp"

#include "tests/fuzz/FuzzEntries.hpp"

#include <QByteArray>

namespace quillet::fuzz {

void editorImage(Bytes data)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                                     static_cast<qsizetype>(data.size()));
    const std::optional<QImage> image = EditorImageDecoder::decode(bytes);
    // Whatever decodes must be a whole picture the canvas can draw.
    require(!image || (!image->isNull() && image->width() > 0 && image->height() > 0));
}

} // namespace quillet::fuzz
