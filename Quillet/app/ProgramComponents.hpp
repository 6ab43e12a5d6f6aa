#pragma once

#include "Quillet/app/AppState.hpp"

namespace quillet::ProgramComponents {

// The program's real components and platform functions in every place `components` leaves empty.
// A preview, and a state given no update centre, get the preview update centre.
[[nodiscard]] AppState::Components completed(AppState::Components components, bool isPreview);

// The components of the tray program as this build has them.
[[nodiscard]] AppState::Components program(brindle::PreferenceStore& preferences);

// The components of a preview: nothing registered, shown or recorded.
[[nodiscard]] AppState::Components preview();

} // namespace quillet::ProgramComponents
