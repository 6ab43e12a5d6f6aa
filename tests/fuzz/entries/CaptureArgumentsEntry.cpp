#include "tools/screencapture/cli/ArgumentParser.hpp"

#include "tests/fuzz/FuzzEntries.hpp"

#include <algorithm>
#include <string>
#include <vector>

namespace quillet::fuzz {

void captureArguments(Bytes data)
{
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        arguments.emplace_back(text.substr(start, end - start));
        (void)screencapture::ArgumentParser::region(arguments.back());
        start = end + 1;
    }
    (void)screencapture::ArgumentParser::parse(arguments);
}

} // namespace quillet::fuzz
