#include "core/EditorTool.hpp"

namespace quillet {

std::string_view key(EditorTool tool)
{
    switch (tool) {
    case EditorTool::arrow:
        return "a";
    case EditorTool::number:
        return "n";
    case EditorTool::text:
        return "t";
    case EditorTool::highlight:
        return "h";
    case EditorTool::redact:
        return "r";
    }
    return {};
}

std::string_view symbol(EditorTool tool)
{
    switch (tool) {
    case EditorTool::arrow:
        return "arrow.up.right";
    case EditorTool::number:
        return "1.circle";
    case EditorTool::text:
        return "textformat";
    case EditorTool::highlight:
        return "highlighter";
    case EditorTool::redact:
        return "checkerboard.rectangle";
    }
    return {};
}

bool usesColor(EditorTool tool)
{
    switch (tool) {
    case EditorTool::arrow:
    case EditorTool::number:
    case EditorTool::text:
        return true;
    case EditorTool::highlight:
    case EditorTool::redact:
        return false;
    }
    return false;
}

std::string_view title(EditorTool tool)
{
    switch (tool) {
    case EditorTool::arrow:
        return "Arrow";
    case EditorTool::number:
        return "Numbers";
    case EditorTool::text:
        return "Text";
    case EditorTool::highlight:
        return "Highlight";
    case EditorTool::redact:
        return "Redact";
    }
    return {};
}

std::optional<EditorTool> editorToolForKey(std::string_view text)
{
    // Every key is one ASCII letter, and no other character lower-cases to one of them.
    if (text.size() != 1) {
        return std::nullopt;
    }
    char c = text.front();
    if (c >= 'A' && c <= 'Z') {
        c = static_cast<char>(c - 'A' + 'a');
    }
    for (const EditorTool tool : allEditorTools) {
        if (key(tool).front() == c) {
            return tool;
        }
    }
    return std::nullopt;
}

} // namespace quillet
