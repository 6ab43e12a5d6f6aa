#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace quillet {

// What `--diagnose` found, and the text of its report: six lines in a fixed order (program, its
// identifier, whether captures are possible, signer, what can be captured, a real test capture),
// then one line per fact about this desktop that a bug report needs. The first six stay in place so
// that scripts reading them keep working when facts are added.
struct DiagnosticsReport {
    struct ShareableContent {
        int displays = 0;
        int windows = 0;
    };
    // The portals through which the desktop lets the program capture, under Wayland.
    struct PortalContent {
        QStringList portals;
    };
    struct TestCapture {
        int width = 0;
        int height = 0;
        qint64 bytes = 0;
        bool isBlank = false;
    };

    QString programPath;
    QString identifier; // empty reads as "-"
    // Nothing when only trying would tell.
    std::optional<bool> canCapture = false;
    QString canCaptureHow; // said after the answer when not empty
    QString team;          // the build's signer; empty (a source build is unsigned) reads as "-"
    // What the display server offers for capture, or why it could not be asked.
    std::variant<ShareableContent, PortalContent, QString> shareableContent = QString();
    std::optional<TestCapture> capture; // nothing when the capture tool gave no image
    QString captureNotTried;            // why no test capture was taken, when none was
    // Label and value of each further fact, in order.
    std::vector<std::pair<QString, QString>> facts;

    [[nodiscard]] QStringList lines() const;
    // The lines joined by line feeds, without one after the last.
    [[nodiscard]] QString text() const;
};

} // namespace quillet
