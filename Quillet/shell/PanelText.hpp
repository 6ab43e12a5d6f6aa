#pragma once

#include "core/CaptureAction.hpp"
#include "core/FileNamingStyle.hpp"

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// Every text of the tray panel, in one table, worded for the Linux desktop.
struct PanelText {
    struct ActionRow {
        std::string symbol;
        QString title;
        QString subtitle;
    };

    [[nodiscard]] static QString switchHelp(bool isOn);
    [[nodiscard]] static QString status(std::string_view key);
    [[nodiscard]] static QString recording();
    [[nodiscard]] static QString stop();

    [[nodiscard]] static QString permissionTitle();
    [[nodiscard]] static QString permissionMessage();
    [[nodiscard]] static QString shortcutsTitle();
    [[nodiscard]] static QString shortcutsMessage();
    [[nodiscard]] static QString shortcutsButton();

    [[nodiscard]] static ActionRow action(CaptureAction action, bool isRecording);

    [[nodiscard]] static QString saveTo();
    [[nodiscard]] static QString change();
    [[nodiscard]] static QString fileNames();
    [[nodiscard]] static QString naming(FileNamingStyle style);
    [[nodiscard]] static QString prefix();
    [[nodiscard]] static QString none();
    [[nodiscard]] static QString nextNumber();
    [[nodiscard]] static QString startOver();
    [[nodiscard]] static QString nextFile(const QString& example);
    [[nodiscard]] static QString recordMicrophone();
    [[nodiscard]] static QString microphone();
    [[nodiscard]] static QString systemDefaultMicrophone();
    [[nodiscard]] static QString showClicks();
    [[nodiscard]] static QString copyNewCaptures();

    // When the desktop could not open a web page or folder: what to install, and the address to open
    // by hand.
    [[nodiscard]] static QString openFailedTitle();
    [[nodiscard]] static QString openFailedMessage(const QString& address);

    [[nodiscard]] static QString noInternet();
    [[nodiscard]] static QString capturesStay();

    [[nodiscard]] static QString typeShortcut();
    [[nodiscard]] static QString editingHelp();
    [[nodiscard]] static QString fieldHelp();
    [[nodiscard]] static QString takenHelp();
    // Where the desktop holds the keys: the command a key of the desktop's settings runs for the action,
    // the words for a key the desktop does not report, and the tooltips saying where keys are changed.
    [[nodiscard]] static QString desktopCommand(CaptureAction action);
    [[nodiscard]] static QString desktopHoldsKey();
    [[nodiscard]] static QString bindCommandHelp();
    [[nodiscard]] static QString desktopKeyHelp();
    // A key as the desktop describes it ("Shift+Meta+3"), split into the key caps to show.
    [[nodiscard]] static QStringList desktopKeyNames(const QString& trigger);

    // The model's key symbols as the desktop names the keys: Ctrl, Alt, Shift, Super.
    [[nodiscard]] static QStringList keyNames(const std::vector<std::string>& symbols);
};

} // namespace quillet
