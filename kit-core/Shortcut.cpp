#include "kit-core/Shortcut.hpp"

#include <array>
#include <limits>
#include <string_view>

namespace brindle {
namespace {

struct KeyLabel {
    std::uint32_t keyCode;
    std::string_view label;
};

constexpr std::array<KeyLabel, 68> keyLabels{{
    {0, "A"},   {11, "B"},  {8, "C"},   {2, "D"},    {14, "E"},     {3, "F"},     {5, "G"},     {4, "H"},
    {34, "I"},  {38, "J"},  {40, "K"},  {37, "L"},   {46, "M"},     {45, "N"},    {31, "O"},    {35, "P"},
    {12, "Q"},  {15, "R"},  {1, "S"},   {17, "T"},   {32, "U"},     {9, "V"},     {13, "W"},    {7, "X"},
    {16, "Y"},  {6, "Z"},   {29, "0"},  {18, "1"},   {19, "2"},     {20, "3"},    {21, "4"},    {23, "5"},
    {22, "6"},  {26, "7"},  {28, "8"},  {25, "9"},   {122, "F1"},   {120, "F2"},  {99, "F3"},   {118, "F4"},
    {96, "F5"}, {97, "F6"}, {98, "F7"}, {100, "F8"}, {101, "F9"},   {109, "F10"}, {103, "F11"}, {111, "F12"},
    {123, "←"}, {124, "→"}, {125, "↓"}, {126, "↑"},  {49, "Space"}, {36, "↩"},    {48, "⇥"},    {51, "⌫"},
    {53, "⎋"},  {27, "-"},  {24, "="},  {33, "["},   {30, "]"},     {41, ";"},    {39, "'"},    {43, ","},
    {47, "."},  {44, "/"},  {42, "\\"}, {50, "`"},
}};

constexpr std::string_view keyCodeKey = "keyCode";
constexpr std::string_view modifiersKey = "modifiers";

std::optional<std::uint32_t> storedUInt32(const PropertyList::Dictionary& dictionary, std::string_view key)
{
    const auto entry = dictionary.find(key);
    if (entry == dictionary.end()) {
        return std::nullopt;
    }
    const auto* value = entry->second.get<std::int64_t>();
    if (!value || *value < 0 || *value > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*value);
}

} // namespace

std::string Shortcut::keyName(std::uint32_t keyCode)
{
    for (const auto& [code, label] : keyLabels) {
        if (code == keyCode) {
            return std::string(label);
        }
    }
    return "#" + std::to_string(keyCode);
}

std::vector<std::string> Shortcut::symbols() const
{
    std::vector<std::string> result;
    if (modifiers & controlMask) {
        result.emplace_back("⌃");
    }
    if (modifiers & optionMask) {
        result.emplace_back("⌥");
    }
    if (modifiers & shiftMask) {
        result.emplace_back("⇧");
    }
    if (modifiers & commandMask) {
        result.emplace_back("⌘");
    }
    result.push_back(keyName(keyCode));
    return result;
}

std::string Shortcut::displayString() const
{
    std::string result;
    for (const auto& symbol : symbols()) {
        result += symbol;
    }
    return result;
}

std::optional<PropertyList> PreferenceValueTraits<Shortcut>::propertyListValue(const Shortcut& shortcut)
{
    PropertyList::Dictionary stored;
    stored.emplace(keyCodeKey, shortcut.keyCode);
    stored.emplace(modifiersKey, shortcut.modifiers);
    return PropertyList(std::move(stored));
}

std::optional<Shortcut> PreferenceValueTraits<Shortcut>::fromPropertyList(const PropertyList& stored)
{
    const auto* dictionary = stored.get<PropertyList::Dictionary>();
    if (!dictionary) {
        return std::nullopt;
    }
    const auto keyCode = storedUInt32(*dictionary, keyCodeKey);
    const auto modifiers = storedUInt32(*dictionary, modifiersKey);
    if (!keyCode || !modifiers) {
        return std::nullopt;
    }
    return Shortcut{*keyCode, *modifiers};
}

} // namespace brindle
