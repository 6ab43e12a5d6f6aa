#pragma once

#include <QString>

namespace brindle {

// The kit's own texts, looked up in its string table ("Brindle"), worded for the Linux desktop.
struct KitText {
    [[nodiscard]] static QString openSettings();
    [[nodiscard]] static QString openAtLogin();
    [[nodiscard]] static QString privateByDesign();
    [[nodiscard]] static QString version(const QString& version);
    [[nodiscard]] static QString checkForUpdates();
    [[nodiscard]] static QString quit();
    [[nodiscard]] static QString open();
    [[nodiscard]] static QString updateTitle();
    [[nodiscard]] static QString updateMessage();
    [[nodiscard]] static QString check();
    [[nodiscard]] static QString notNow();
};

} // namespace brindle
