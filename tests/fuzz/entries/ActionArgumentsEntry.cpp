#include "core/ActionRequest.hpp"

#include "tests/fuzz/FuzzEntries.hpp"

#include <algorithm>
#include <string>
#include <vector>

namespace quillet::fuzz {

void actionArguments(Bytes data)
{
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    std::vector<std::string> arguments{"quillet"};
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        arguments.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    const ActionRequest request = ActionRequest::parse(arguments);
    // Either an action or a reason, never both; an action's name always reads back as that action.
    require(!(request.action && !request.error.empty()));
    if (request.action) {
        require(actionNamed(actionName(*request.action)) == request.action);
    }
}

} // namespace quillet::fuzz
