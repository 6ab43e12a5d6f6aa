#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quillet::TextLanguage {

// The language data text recognition reads with by default, and the one used whenever the user's own
// is not installed.
inline constexpr std::string_view fallback = "eng";

// The name of the recognition data for a POSIX locale ("de_DE.UTF-8", "pt_BR", "sr_RS@latin", "C"),
// as Debian's tesseract-ocr-<name> packages call it; empty for a locale without such data.
[[nodiscard]] std::string forLocale(std::string_view locale);

// The data to read with: the locale's own where `isInstalled` finds it, `fallback` otherwise.
[[nodiscard]] std::string chosen(std::string_view locale,
                                 const std::function<bool(std::string_view)>& isInstalled);

} // namespace quillet::TextLanguage
