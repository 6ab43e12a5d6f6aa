#pragma once

#include <string>
#include <vector>

namespace quillet {

// The mode the process runs in, chosen from its whole argument list (program path included).
struct RunMode {
    enum class Kind {
        menuSnapshot,   // "--snapshot PATH": render the menu panel to an image file
        editorSnapshot, // "--snapshot-editor PATH": render the editor to an image file
        memoryProbe,    // "--measure-memory PATH": measure memory and write the report
        diagnostics,    // "--diagnose PATH": run the diagnostics and write the report
        menuBar,        // none of these: the tray application
    };

    Kind kind = Kind::menuBar;
    std::string path; // the output path of a one-shot mode; empty for the menu bar

    // The options are tried in the order of Kind, each in the whole list; the first one with a value
    // wins wherever it stands. An option without a following argument counts as absent.
    [[nodiscard]] static RunMode select(const std::vector<std::string>& arguments);

    friend bool operator==(const RunMode&, const RunMode&) = default;
};

} // namespace quillet
