#include "core/RunMode.hpp"

#include "kit-core/CommandLineOption.hpp"

#include <array>
#include <string_view>
#include <utility>

namespace quillet {

RunMode RunMode::select(const std::vector<std::string>& arguments)
{
    constexpr std::array optionsInOrder{
        std::pair{"--snapshot", Kind::menuSnapshot},
        std::pair{"--snapshot-editor", Kind::editorSnapshot},
        std::pair{"--measure-memory", Kind::memoryProbe},
        std::pair{"--diagnose", Kind::diagnostics},
    };
    for (const auto& [option, kind] : optionsInOrder) {
        if (auto path = brindle::CommandLineOption::value(option, arguments)) {
            return {kind, std::move(*path)};
        }
    }
    return {};
}

} // namespace quillet
