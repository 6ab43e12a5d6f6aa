#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

// One entry per parser of outside input, taking arbitrary bytes. The fuzzers call them with what
// libFuzzer makes up; the test suite replays the kept corpus through the same functions. An entry
// returns normally for any input: a crash, a sanitizer report or a broken round trip (an abort) is a
// finding.
namespace quillet::fuzz {

using Bytes = std::span<const std::uint8_t>;
using Entry = void (*)(Bytes);

// A finding the sanitizers cannot see: the fuzzer reports an abort like a crash.
inline void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// The preference file: any text, and what it reads as must write and read back to the same text.
void propertyList(Bytes data);
// The capture tool's command line: the bytes split at NUL into arguments, and each as a region.
void captureArguments(Bytes data);
// The desktop's key-binding listing as its settings tool prints it.
void desktopKeyBindings(Bytes data);
// The capture tool's output file as the application reads it back.
void capturePng(Bytes data);
// The capture tool's uncompressed output as the application reads it: pixels that decode always
// fill the size the header promised.
void captureRaw(Bytes data);
// A file the editor opens: WebP or PNG.
void editorImage(Bytes data);
// The program's own command line as `--action` reads it: the bytes split at NUL into arguments.
void actionArguments(Bytes data);
// A file name in the recordings folder, as the recovery of leftover movies reads its start from it.
void movieName(Bytes data);

struct NamedEntry {
    std::string_view name; // also the corpus folder's name
    Entry entry;
};

inline constexpr NamedEntry entries[] = {
    {"property-list", &propertyList},
    {"capture-arguments", &captureArguments},
    {"desktop-key-bindings", &desktopKeyBindings},
    {"capture-png", &capturePng},
    {"capture-raw", &captureRaw},
    {"editor-image", &editorImage},
    {"action-arguments", &actionArguments},
    {"movie-name", &movieName},
};

} // namespace quillet::fuzz
