#include "core/DesktopKeyBindings.hpp"

#include "core/CaptureAction.hpp"
#include "core/SystemScreenshotShortcuts.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace quillet::DesktopKeyBindings {
namespace {

using brindle::Shortcut;

struct KeySymbol {
    std::string_view name;
    std::uint32_t keyCode;
    bool needsShift;
};

// Key names of the keys a desktop binding is compared on; letters and digits are handled apart.
// clang-format off
constexpr std::array<KeySymbol, 39> keySymbols{{
    {"exclam", 18, true}, {"at", 19, true}, {"numbersign", 20, true}, {"dollar", 21, true},
    {"percent", 23, true}, {"asciicircum", 22, true}, {"ampersand", 26, true}, {"asterisk", 28, true},
    {"parenleft", 25, true}, {"parenright", 29, true},
    {"F1", 122, false}, {"F2", 120, false}, {"F3", 99, false}, {"F4", 118, false}, {"F5", 96, false},
    {"F6", 97, false}, {"F7", 98, false}, {"F8", 100, false}, {"F9", 101, false}, {"F10", 109, false},
    {"F11", 103, false}, {"F12", 111, false},
    {"Left", 123, false}, {"Right", 124, false}, {"Down", 125, false}, {"Up", 126, false},
    {"space", 49, false}, {"Return", 36, false}, {"Tab", 48, false}, {"BackSpace", 51, false},
    {"Escape", 53, false}, {"minus", 27, false}, {"equal", 24, false}, {"bracketleft", 33, false},
    {"bracketright", 30, false}, {"semicolon", 41, false}, {"comma", 43, false}, {"period", 47, false},
    {"slash", 44, false},
}};
// clang-format on

[[nodiscard]] bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

[[nodiscard]] std::optional<std::uint32_t> modifierMask(std::string_view name)
{
    if (equalsIgnoringCase(name, "Shift")) {
        return Shortcut::shiftMask;
    }
    if (equalsIgnoringCase(name, "Control") || equalsIgnoringCase(name, "Ctrl") ||
        equalsIgnoringCase(name, "Primary")) {
        return Shortcut::controlMask;
    }
    if (equalsIgnoringCase(name, "Alt") || equalsIgnoringCase(name, "Mod1")) {
        return Shortcut::optionMask;
    }
    if (equalsIgnoringCase(name, "Super") || equalsIgnoringCase(name, "Mod4")) {
        return Shortcut::commandMask;
    }
    return std::nullopt;
}

// The key code of a single letter or digit, through the key labels ("A", "3").
[[nodiscard]] std::optional<std::uint32_t> letterOrDigit(char character)
{
    const char label = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
    if (!std::isalnum(static_cast<unsigned char>(label))) {
        return std::nullopt;
    }
    for (std::uint32_t code = 0; code < 128; ++code) {
        if (Shortcut::keyName(code) == std::string(1, label)) {
            return code;
        }
    }
    return std::nullopt;
}

[[nodiscard]] std::optional<KeySymbol> key(std::string_view name)
{
    if (name.size() == 1) {
        const auto code = letterOrDigit(name.front());
        return code ? std::optional<KeySymbol>(KeySymbol{name, *code, false}) : std::nullopt;
    }
    for (const auto& symbol : keySymbols) {
        if (equalsIgnoringCase(symbol.name, name)) {
            return symbol;
        }
    }
    return std::nullopt;
}

// Reads one quoted string starting at `position` (at its opening quote), undoing backslash escapes.
[[nodiscard]] std::optional<std::string> quoted(std::string_view text, std::size_t& position)
{
    const char quote = text[position];
    std::string result;
    for (++position; position < text.size(); ++position) {
        const char character = text[position];
        if (character == '\\' && position + 1 < text.size()) {
            result.push_back(text[++position]);
        } else if (character == quote) {
            ++position;
            return result;
        } else {
            result.push_back(character);
        }
    }
    return std::nullopt;
}

[[nodiscard]] std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

} // namespace

std::vector<std::string> accelerators(std::string_view printedValue)
{
    std::string_view value = trimmed(printedValue);
    if (value.starts_with("@as ")) {
        value = trimmed(value.substr(4));
    }
    const bool isList = value.starts_with('[') && value.ends_with(']');
    if (isList) {
        value = value.substr(1, value.size() - 2);
    }
    std::vector<std::string> result;
    std::size_t position = 0;
    while (position < value.size()) {
        const char character = value[position];
        if (character == ' ' || character == ',') {
            ++position;
            continue;
        }
        if (character != '\'' && character != '"') {
            return {};
        }
        auto text = quoted(value, position);
        if (!text) {
            return {};
        }
        result.push_back(std::move(*text));
        if (!isList) {
            break;
        }
    }
    return result;
}

std::optional<Shortcut> shortcut(std::string_view accelerator)
{
    std::uint32_t modifiers = 0;
    std::string_view rest = trimmed(accelerator);
    while (rest.starts_with('<')) {
        const auto end = rest.find('>');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const auto mask = modifierMask(rest.substr(1, end - 1));
        if (!mask) {
            return std::nullopt;
        }
        modifiers |= *mask;
        rest = rest.substr(end + 1);
    }
    const auto symbol = key(rest);
    if (!symbol) {
        return std::nullopt;
    }
    if (symbol->needsShift) {
        modifiers |= Shortcut::shiftMask;
    }
    return Shortcut{symbol->keyCode, modifiers};
}

std::vector<Shortcut> boundShortcuts(std::string_view listing)
{
    std::vector<Shortcut> result;
    while (!listing.empty()) {
        const auto lineEnd = listing.find('\n');
        const std::string_view line = listing.substr(0, lineEnd);
        listing = lineEnd == std::string_view::npos ? std::string_view() : listing.substr(lineEnd + 1);
        const auto schemaEnd = line.find(' ');
        const auto keyEnd = schemaEnd == std::string_view::npos ? schemaEnd : line.find(' ', schemaEnd + 1);
        if (keyEnd == std::string_view::npos) {
            continue;
        }
        for (const auto& accelerator : accelerators(line.substr(keyEnd + 1))) {
            if (const auto bound = shortcut(accelerator)) {
                result.push_back(*bound);
            }
        }
    }
    return result;
}

brindle::PropertyList::Dictionary symbolicHotKeys(const std::vector<Shortcut>& bound)
{
    // The screenshot entries are those of the capture actions' defaults, in the same order.
    static_assert(allCaptureActions.size() == SystemScreenshotShortcuts::identifiers.size());
    brindle::PropertyList::Dictionary table;
    for (std::size_t index = 0; index < allCaptureActions.size(); ++index) {
        const Shortcut combination = defaultShortcut(allCaptureActions[index]);
        const bool isBound = std::find(bound.begin(), bound.end(), combination) != bound.end();
        table.emplace(std::to_string(SystemScreenshotShortcuts::identifiers[index]),
                      brindle::PropertyList::Dictionary{{"enabled", isBound}});
    }
    return table;
}

} // namespace quillet::DesktopKeyBindings
