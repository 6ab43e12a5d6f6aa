#pragma once

#include <array>
#include <cstddef>

struct spa_pod;
struct spa_pod_builder;

// What the recording asks of a screen cast stream, as PipeWire parameters built into `builder`.
namespace quillet::screencapture::CastStreamParams {

// Room for either set.
constexpr std::size_t podBytes = 1024;

// Raw video in one of the four 32-bit orders, with no modifier, so the compositor hands shared
// memory (readable without a GPU), at most 30 pictures a second.
[[nodiscard]] const spa_pod* formatsWanted(spa_pod_builder& builder);

// Buffers in memory the tool can map, with the header, pointer and crop metadata.
[[nodiscard]] std::array<const spa_pod*, 4> buffersWanted(spa_pod_builder& builder);

} // namespace quillet::screencapture::CastStreamParams
