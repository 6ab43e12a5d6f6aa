#pragma once

#include <QString>
#include <QStringList>

namespace quillet {

// The "--snapshot-editor DIR" mode: renders the annotation editor's sample content into image files
// in an existing directory, so the drawing can be inspected from a script. Every failed step skips
// its file and is returned as an error; a missing directory writes nothing.
class EditorSnapshot {
public:
    static constexpr const char* exportFileName = "editor-export.png";
    static constexpr const char* webPRoundTripFileName = "editor-export-webp.png";
    // "editor-window-light.png", "editor-window-dark.png": the whole editor window at twice its size.
    [[nodiscard]] static QString windowFileName(const QString& appearance);

    // Needs the application object; runs on the main thread.
    static QStringList render(const QString& directory);
};

} // namespace quillet
