#pragma once

namespace quillet {

// The desktop's standard named colours; the platform layer picks the actual shade.
enum class SystemColor { red, gray, orange, green };

} // namespace quillet
