#include "Brindle/MemoryFootprint.hpp"

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>

namespace brindle {
namespace {

constexpr std::uint64_t bytesPerKiB = 1024;

// The value of a "Name:   1234 kB" line, in bytes, or 0 when the line is missing or malformed.
std::uint64_t kibField(std::string_view status, std::string_view name)
{
    std::size_t lineStart = 0;
    while (lineStart < status.size()) {
        std::size_t lineEnd = status.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) {
            lineEnd = status.size();
        }
        const std::string_view line = status.substr(lineStart, lineEnd - lineStart);
        if (line.size() > name.size() && line.substr(0, name.size()) == name && line[name.size()] == ':') {
            std::string_view rest = line.substr(name.size() + 1);
            const std::size_t digits = rest.find_first_not_of(" \t");
            if (digits == std::string_view::npos) {
                return 0;
            }
            rest.remove_prefix(digits);
            std::uint64_t kib = 0;
            const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), kib);
            return error == std::errc{} ? kib * bytesPerKiB : 0;
        }
        lineStart = lineEnd + 1;
    }
    return 0;
}

} // namespace

MemoryFootprint::Reading MemoryFootprint::parse(std::string_view procStatus)
{
    return Reading{
        kibField(procStatus, "RssAnon") + kibField(procStatus, "RssShmem") + kibField(procStatus, "VmSwap"),
        kibField(procStatus, "VmHWM"),
    };
}

MemoryFootprint::Reading MemoryFootprint::read()
{
    std::ifstream file("/proc/self/status");
    if (!file) {
        return {};
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parse(text.str());
}

} // namespace brindle
