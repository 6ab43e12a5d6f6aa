#pragma once

#include "Brindle/MemoryFootprint.hpp"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

namespace quillet {

// `--measure-memory FILE`: drives the capture, thumbnail and editor code over synthetic captures and
// reports the process's memory after each step. Main thread; needs the application object.
class MemoryProbe {
public:
    struct Setup {
        QSize captureSize;
        int captures = 5;
        // The capture of step `seed` (1, 2, …); a null image skips the step.
        std::function<QImage(int seed)> makeCapture;
        std::function<brindle::MemoryFootprint::Reading()> readMemory = &brindle::MemoryFootprint::read;
    };

    // Five 5120 × 2880 synthetic captures; the report goes to `path` (a failed write is ignored).
    static void run(const QString& path);

    // The report's text for any setup; scratch files live in a folder of their own, removed at the end.
    [[nodiscard]] static QString report(const Setup& setup);
};

} // namespace quillet
