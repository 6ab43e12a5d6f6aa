#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/RowReader.hpp"

namespace quillet::screencapture {

// Rows of a bitmap that is already in memory.
class BitmapRowReader : public RowReader {
public:
    explicit BitmapRowReader(const Bitmap& bitmap) : bitmap_(bitmap) {}

    [[nodiscard]] const std::uint8_t* rows(long first, long) override { return bitmap_.row(first); }
    [[nodiscard]] std::size_t bytesPerRow() const override { return bitmap_.bytesPerRow; }

private:
    const Bitmap& bitmap_;
};

} // namespace quillet::screencapture
