#pragma once

#include "core/ShortcutMap.hpp"
#include "kit-core/Preference.hpp"

#include <cstdint>
#include <optional>
#include <string>

// The application's preferences that are not owned by a single component. Keys and defaults are part
// of the stored settings' format: never change them.
namespace quillet::Prefs {

// The user's shortcut per capture action, always written whole; missing actions use their default.
inline const brindle::Preference<ShortcutMap::Stored> shortcuts{"shortcuts", {}};

// Whether the global shortcuts are active.
inline const brindle::Preference<bool> enabled{"enabled", true};
inline const brindle::Preference<bool> recordMicrophone{"recordMicrophone", false};
inline const brindle::Preference<bool> showClicks{"showClicks", true};
// Whether each new still or recording is put on the clipboard once its file is complete.
inline const brindle::Preference<bool> copyNewCaptures{"copyNewCaptures", false};
// Absent: no microphone chosen yet.
inline const brindle::Preference<std::optional<std::string>> microphoneID{"microphoneID", std::nullopt};
// The name prefix of numbered file names.
inline const brindle::Preference<std::string> filePrefix{"filePrefix", ""};
// The next number of numbered file names; never stored below 1.
inline const brindle::Preference<std::int64_t> nextNumber{"nextNumber", 1};
// The capture folder's path; absent: ~/Screenshots.
inline const brindle::Preference<std::optional<std::string>> folder{"folder", std::nullopt};

} // namespace quillet::Prefs
