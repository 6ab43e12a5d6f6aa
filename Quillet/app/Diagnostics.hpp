#pragma once

#include "Quillet/capture/ScreenCaptureTool.hpp"
#include "Quillet/diagnostics/DiagnosticsReport.hpp"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class QObject;

namespace quillet {

// `--diagnose FILE`: a short report on this copy of the program and the desktop it runs on, with a
// real capture through the capture tool on X11; under Wayland, what the portal route gives instead,
// without a capture that could make the desktop ask. Main thread; needs the application object.
class Diagnostics {
public:
    static constexpr std::chrono::seconds soundServerLimit{2};
    // The portal service may be started on demand by the question.
    static constexpr std::chrono::seconds portalAnswerLimit{3};
    static constexpr std::chrono::seconds pipeWireLimit{2};

    // Gathers the report, writes it to `path` (a failed write is ignored) and then calls `done`,
    // on the main thread, whatever happened.
    static void run(const QString& path, std::function<void()> done,
                    ScreenCaptureTool tool = ScreenCaptureTool());

    // Everything but the test capture.
    [[nodiscard]] static DiagnosticsReport describe();

    // Captures the screen under the pointer silently into a scratch file, reads it and removes it.
    // `done` gets nothing when the tool fails, outlives its time limit or writes no image; it is not called
    // once `context` is gone.
    static void testCapture(QObject* context, const ScreenCaptureTool& tool,
                            std::function<void(std::optional<DiagnosticsReport::TestCapture>)> done);
};

} // namespace quillet
