#pragma once

#include "Quillet/recording/media/MediaEntryPoints.hpp"

namespace quillet {

// The media module, loaded on the first call (from any thread) and kept until the process ends. Each
// function is null when the module could not be loaded; `problem` then says why.
struct MediaLibrary {
    [[nodiscard]] static MediaEntryPoints::Remux remux();
    [[nodiscard]] static MediaEntryPoints::FirstFrame firstFrame();
    [[nodiscard]] static QString problem();
    // FFmpeg's version, or what kept the module from loading.
    [[nodiscard]] static QString version();
};

} // namespace quillet
