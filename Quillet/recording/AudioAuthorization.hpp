#pragma once

namespace quillet {

// Whether the program may record sound. Linux desktops have no such permission, so the program
// always answers `authorized`; the other answers exist for platforms (and sandboxes) that ask.
enum class AudioAuthorization { notDetermined, restricted, denied, authorized };

} // namespace quillet
