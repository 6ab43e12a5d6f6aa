#include "tools/screencapture/x11/XResources.hpp"

#include <algorithm>
#include <charconv>

namespace quillet::screencapture::XResources {
namespace {

constexpr double referenceDpi = 96;
constexpr std::string_view dpiKey = "Xft.dpi:";

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// A positive whole number of dots per inch, or 0.
int dpiValue(std::string_view line)
{
    const std::string_view text = trimmed(line.substr(dpiKey.size()));
    int value = 0;
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || next != text.data() + text.size() || value <= 0) {
        return 0;
    }
    return value;
}

} // namespace

double pixelsPerPoint(std::string_view resources)
{
    int dpi = 0;
    while (!resources.empty()) {
        const std::size_t end = resources.find('\n');
        const std::string_view line = resources.substr(0, end);
        resources.remove_prefix(end == std::string_view::npos ? resources.size() : end + 1);
        if (line.starts_with(dpiKey)) {
            if (const int value = dpiValue(line); value > 0) {
                dpi = value;
            }
        }
    }
    // The toolkit never scales down: a small Xft.dpi still gives one pixel per point.
    return std::max(1.0, dpi / referenceDpi);
}

} // namespace quillet::screencapture::XResources
