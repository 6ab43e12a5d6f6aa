#include "kit-core/KeyPosition.hpp"

#include <algorithm>
#include <iterator>

namespace brindle::KeyPosition {
namespace {

// Virtual key codes of an ANSI keyboard and the XKB names of the same physical keys.
// clang-format off
constexpr Entry table[] = {
    // Letters
    {0, "AC01"}, {1, "AC02"}, {2, "AC03"}, {3, "AC04"}, {4, "AC06"}, {5, "AC05"}, {6, "AB01"},
    {7, "AB02"}, {8, "AB03"}, {9, "AB04"}, {11, "AB05"}, {12, "AD01"}, {13, "AD02"}, {14, "AD03"},
    {15, "AD04"}, {16, "AD06"}, {17, "AD05"}, {31, "AD09"}, {32, "AD07"}, {34, "AD08"}, {35, "AD10"},
    {37, "AC09"}, {38, "AC07"}, {40, "AC08"}, {45, "AB06"}, {46, "AB07"},
    // Digits
    {18, "AE01"}, {19, "AE02"}, {20, "AE03"}, {21, "AE04"}, {22, "AE06"}, {23, "AE05"}, {25, "AE09"},
    {26, "AE07"}, {28, "AE08"}, {29, "AE10"},
    // Punctuation
    {24, "AE12"}, {27, "AE11"}, {30, "AD12"}, {33, "AD11"}, {39, "AC11"}, {41, "AC10"}, {42, "BKSL"},
    {43, "AB08"}, {44, "AB10"}, {47, "AB09"}, {50, "TLDE"}, {10, "LSGT"},
    // Editing and whitespace
    {36, "RTRN"}, {48, "TAB"}, {49, "SPCE"}, {51, "BKSP"}, {53, "ESC"}, {117, "DELE"}, {114, "INS"},
    // Navigation
    {115, "HOME"}, {119, "END"}, {116, "PGUP"}, {121, "PGDN"}, {123, "LEFT"}, {124, "RGHT"}, {125, "DOWN"},
    {126, "UP"},
    // Function keys
    {122, "FK01"}, {120, "FK02"}, {99, "FK03"}, {118, "FK04"}, {96, "FK05"}, {97, "FK06"}, {98, "FK07"},
    {100, "FK08"}, {101, "FK09"}, {109, "FK10"}, {103, "FK11"}, {111, "FK12"}, {105, "FK13"}, {107, "FK14"},
    {113, "FK15"}, {106, "FK16"}, {64, "FK17"}, {79, "FK18"}, {80, "FK19"}, {90, "FK20"},
    // Keypad
    {82, "KP0"}, {83, "KP1"}, {84, "KP2"}, {85, "KP3"}, {86, "KP4"}, {87, "KP5"}, {88, "KP6"},
    {89, "KP7"}, {91, "KP8"}, {92, "KP9"}, {65, "KPDL"}, {67, "KPMU"}, {69, "KPAD"}, {75, "KPDV"},
    {76, "KPEN"}, {78, "KPSU"}, {81, "KPEQ"}, {71, "NMLK"},
    // Media
    {72, "VOL+"}, {73, "VOL-"}, {74, "MUTE"},
    // Yen and Ro of Japanese keyboards
    {93, "AE13"}, {94, "AB11"}
};
// clang-format on

} // namespace

std::span<const Entry> all()
{
    return table;
}

std::optional<std::string_view> xkbName(std::uint32_t keyCode)
{
    const auto entry = std::find_if(std::begin(table), std::end(table),
                                    [keyCode](const Entry& e) { return e.keyCode == keyCode; });
    if (entry == std::end(table)) {
        return std::nullopt;
    }
    return entry->xkbName;
}

std::optional<std::uint32_t> keyCode(std::string_view xkbName)
{
    const auto entry = std::find_if(std::begin(table), std::end(table),
                                    [xkbName](const Entry& e) { return e.xkbName == xkbName; });
    if (entry == std::end(table)) {
        return std::nullopt;
    }
    return entry->keyCode;
}

} // namespace brindle::KeyPosition
