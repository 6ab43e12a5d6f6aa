#include "Quillet/common/AlphaBlur.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace quillet {

namespace {

// One box pass: each output is the rounded mean of the `left + 1 + right` inputs around it.
struct BoxPass {
    int left = 0;
    int right = 0;

    [[nodiscard]] int size() const { return left + 1 + right; }
};

// Three box passes whose combination approximates a Gaussian of the given deviation. An even box
// size cannot be centred, so two passes lean opposite ways and the third is one wider.
[[nodiscard]] std::array<BoxPass, 3> passesFor(double sigma)
{
    const int d = static_cast<int>(std::floor(sigma * 3.0 * std::sqrt(2.0 * std::numbers::pi) / 4.0 + 0.5));
    if (d <= 1) {
        return {};
    }
    if (d % 2 == 1) {
        const BoxPass centred{d / 2, d / 2};
        return {centred, centred, centred};
    }
    return {BoxPass{d / 2, d / 2 - 1}, BoxPass{d / 2 - 1, d / 2}, BoxPass{d / 2, d / 2}};
}

// Blurs `count` samples spaced `step` bytes apart, using `scratch` for the untouched inputs.
void boxLine(std::uint8_t* line, int count, int step, BoxPass pass, std::vector<std::uint8_t>& scratch)
{
    for (int i = 0; i < count; ++i) {
        scratch[static_cast<std::size_t>(i)] = line[static_cast<std::ptrdiff_t>(i) * step];
    }
    const int size = pass.size();
    const auto at = [&](int i) {
        return (i < 0 || i >= count) ? 0 : int{scratch[static_cast<std::size_t>(i)]};
    };
    int sum = 0;
    for (int i = -pass.left; i <= pass.right; ++i) {
        sum += at(i);
    }
    for (int i = 0; i < count; ++i) {
        line[static_cast<std::ptrdiff_t>(i) * step] = static_cast<std::uint8_t>((sum + size / 2) / size);
        sum += at(i + pass.right + 1) - at(i - pass.left);
    }
}

} // namespace

int AlphaBlur::margin(double sigma)
{
    int extent = 0;
    for (const BoxPass& pass : passesFor(sigma)) {
        extent += std::max(pass.left, pass.right);
    }
    return extent;
}

void AlphaBlur::blur(std::span<std::uint8_t> channel, int width, int height, int stride, double sigma)
{
    if (width < 1 || height < 1 || stride < width ||
        channel.size() < static_cast<std::size_t>(stride) * static_cast<std::size_t>(height)) {
        return;
    }
    const std::array<BoxPass, 3> passes = passesFor(sigma);
    if (passes[0].size() <= 1) {
        return;
    }
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(std::max(width, height)));
    for (const BoxPass& pass : passes) {
        for (int y = 0; y < height; ++y) {
            boxLine(channel.data() + static_cast<std::ptrdiff_t>(y) * stride, width, 1, pass, scratch);
        }
    }
    for (const BoxPass& pass : passes) {
        for (int x = 0; x < width; ++x) {
            boxLine(channel.data() + x, height, stride, pass, scratch);
        }
    }
}

} // namespace quillet
