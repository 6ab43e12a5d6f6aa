#pragma once

#include <QString>

namespace brindle {

// The C library's words for an errno value, in the user's locale, as logs and messages quote them.
// Safe to call from any thread, unlike strerror().
[[nodiscard]] QString systemErrorText(int error);

} // namespace brindle
