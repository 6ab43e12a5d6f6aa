#include "core/Pixels.hpp"

#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillet::Pixels {
namespace {

constexpr std::size_t alphaIndex = 3;
constexpr std::size_t wordBytes = sizeof(std::uint64_t);

// The alpha bytes of two consecutive pixels, whatever the machine's byte order.
constexpr std::uint64_t alphaMask =
    std::bit_cast<std::uint64_t>(std::array<std::uint8_t, wordBytes>{0, 0, 0, 0xFF, 0, 0, 0, 0xFF});

// Words OR-ed together between two checks: a fixed count lets the compiler vectorise the inner loop,
// and 2 KiB keeps the scan stopping soon after the first visible pixel.
constexpr std::size_t wordsPerBlock = 256;

// Un-premultiplying splits c × 255 / a into a whole part and a fraction so that 16-bit lanes suffice:
// with q = 255 div a and r = 255 mod a, c × 255 div a = c × q + (c × ⌈r × 2^16 / a⌉) >> 16 exactly for
// every c and a below 256 (the rounding error c / 2^16 stays below the smallest step 1 / a). Lane 3 is
// alpha, and alphas 0 and 255 scale by exactly 1, so neither needs a branch.
struct alignas(16) Unpremultiplier {
    std::array<std::uint16_t, bytesPerPixel> whole;
    std::array<std::uint16_t, bytesPerPixel> fraction;
};

using UnpremultiplierTable = std::array<Unpremultiplier, 256>;

constexpr UnpremultiplierTable makeUnpremultipliers()
{
    UnpremultiplierTable table{};
    for (unsigned alpha = 0; alpha < 256; ++alpha) {
        table[alpha] = {{1, 1, 1, 1}, {0, 0, 0, 0}};
        if (alpha == 0 || alpha == 255) {
            continue;
        }
        const auto whole = static_cast<std::uint16_t>(255 / alpha);
        const auto fraction = static_cast<std::uint16_t>(((255 % alpha) * 65536 + alpha - 1) / alpha);
        table[alpha] = {{whole, whole, whole, 1}, {fraction, fraction, fraction, 0}};
    }
    return table;
}

constexpr UnpremultiplierTable unpremultipliers = makeUnpremultipliers();
constexpr unsigned maximumComponent = 255;

[[nodiscard]] std::uint64_t loadWord(const std::uint8_t* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, wordBytes);
    return word;
}

// `byteCount` is a whole number of pixels starting at a pixel boundary.
[[nodiscard]] bool hasVisibleAlpha(const std::uint8_t* run, std::size_t byteCount)
{
    const std::size_t wordCount = byteCount / wordBytes;
    std::size_t word = 0;
    for (; word + wordsPerBlock <= wordCount; word += wordsPerBlock) {
        std::uint64_t seen = 0;
        for (std::size_t k = 0; k < wordsPerBlock; ++k) {
            seen |= loadWord(run + (word + k) * wordBytes);
        }
        if ((seen & alphaMask) != 0) {
            return true;
        }
    }
    std::uint64_t seen = 0;
    for (; word < wordCount; ++word) {
        seen |= loadWord(run + word * wordBytes);
    }
    if ((seen & alphaMask) != 0) {
        return true;
    }
    const bool hasOddPixel = byteCount % wordBytes != 0;
    return hasOddPixel && run[byteCount - bytesPerPixel + alphaIndex] != 0;
}

void unpremultiplyPixel(std::uint8_t* pixel)
{
    const Unpremultiplier& scale = unpremultipliers[pixel[alphaIndex]];
    for (std::size_t k = 0; k < alphaIndex; ++k) {
        const unsigned colour = pixel[k];
        const unsigned straight = colour * scale.whole[k] + ((colour * scale.fraction[k]) >> 16);
        pixel[k] = static_cast<std::uint8_t>(straight < maximumComponent ? straight : maximumComponent);
    }
}

#if defined(__SSE2__)
constexpr std::size_t pixelsPerVector = sizeof(__m128i) / bytesPerPixel;

// Four pixels as two vectors of 16-bit lanes, each lane scaled by its pixel's alpha.
void unpremultiplyFourPixels(std::uint8_t* pixels)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    __m128i scales[pixelsPerVector];
    for (std::size_t i = 0; i < pixelsPerVector; ++i) {
        const Unpremultiplier& scale = unpremultipliers[pixels[i * bytesPerPixel + alphaIndex]];
        scales[i] = _mm_load_si128(reinterpret_cast<const __m128i*>(&scale));
    }
    const auto scaled = [&](__m128i lanes, __m128i first, __m128i second) {
        const __m128i whole = _mm_unpacklo_epi64(first, second);
        const __m128i fraction = _mm_unpackhi_epi64(first, second);
        const __m128i straight =
            _mm_add_epi16(_mm_mullo_epi16(lanes, whole), _mm_mulhi_epu16(lanes, fraction));
        // min(straight, 255) for unsigned lanes, with SSE2 only.
        return _mm_sub_epi16(straight, _mm_subs_epu16(straight, _mm_set1_epi16(maximumComponent)));
    };
    const __m128i low = scaled(_mm_unpacklo_epi8(bytes, zero), scales[0], scales[1]);
    const __m128i high = scaled(_mm_unpackhi_epi8(bytes, zero), scales[2], scales[3]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), _mm_packus_epi16(low, high));
}
#endif

void unpremultiplyRun(std::uint8_t* run, std::size_t pixelCount)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + pixelsPerVector <= pixelCount; i += pixelsPerVector) {
        unpremultiplyFourPixels(run + i * bytesPerPixel);
    }
#endif
    for (; i < pixelCount; ++i) {
        unpremultiplyPixel(run + i * bytesPerPixel);
    }
}

// Calls `visit(rowStart, rowBytes)` for each row, or once for all rows when they have no padding.
template <typename Byte, typename Visit>
bool forEachRun(Byte* buffer, std::int64_t width, std::int64_t height, std::int64_t bytesPerRow, Visit visit)
{
    const auto rowBytes = static_cast<std::size_t>(width * bytesPerPixel);
    if (bytesPerRow == width * bytesPerPixel) {
        return visit(buffer, rowBytes * static_cast<std::size_t>(height));
    }
    for (std::int64_t row = 0; row < height; ++row) {
        if (visit(buffer + row * bytesPerRow, rowBytes)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool isFullyTransparent(std::span<const std::uint8_t> buffer, std::int64_t width, std::int64_t height,
                        std::int64_t bytesPerRow)
{
    if (buffer.data() == nullptr || !isUsable(buffer.size(), width, height, bytesPerRow)) {
        return false;
    }
    return !forEachRun(buffer.data(), width, height, bytesPerRow, hasVisibleAlpha);
}

void unpremultiply(std::span<std::uint8_t> buffer, std::int64_t width, std::int64_t height,
                   std::int64_t bytesPerRow)
{
    if (buffer.data() == nullptr || !isUsable(buffer.size(), width, height, bytesPerRow)) {
        return;
    }
    forEachRun(buffer.data(), width, height, bytesPerRow, [](std::uint8_t* run, std::size_t byteCount) {
        unpremultiplyRun(run, byteCount / bytesPerPixel);
        return false;
    });
}

} // namespace quillet::Pixels
