#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace quillet::screencapture {

// Hands out rows of B,G,R,x pixels a strip at a time, so a picture can be encoded while it is
// still being read. Each encoding thread has its own reader.
class RowReader {
public:
    // The most rows that one call asks for.
    static constexpr long maximumStripRows = 64;

    virtual ~RowReader() = default;

    // Rows [first, first + count) one after the other, `bytesPerRow()` apart; valid until the next
    // call. nullptr when they cannot be read.
    [[nodiscard]] virtual const std::uint8_t* rows(long first, long count) = 0;
    [[nodiscard]] virtual std::size_t bytesPerRow() const = 0;
};

using RowReaderFactory = std::function<std::unique_ptr<RowReader>()>;

} // namespace quillet::screencapture
