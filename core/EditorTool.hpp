#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quillet {

// The editor's tools, in toolbar order.
enum class EditorTool { arrow, number, text, highlight, redact };

inline constexpr std::array allEditorTools{EditorTool::arrow, EditorTool::number, EditorTool::text,
                                           EditorTool::highlight, EditorTool::redact};

// The one-letter keyboard shortcut that selects the tool.
[[nodiscard]] std::string_view key(EditorTool tool);
// The symbol image name of the toolbar button.
[[nodiscard]] std::string_view symbol(EditorTool tool);
// Boxes are drawn without the mark colour, so the colour swatches do not apply to them.
[[nodiscard]] bool usesColor(EditorTool tool);
[[nodiscard]] std::string_view title(EditorTool tool);
// Case-insensitive: "A" selects the arrow; anything but a single tool key selects nothing.
[[nodiscard]] std::optional<EditorTool> editorToolForKey(std::string_view text);

} // namespace quillet
