#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace quillet {

class Settings;

// The menu's actions on the capture folder.
class FolderActions {
public:
    // Asks the user for a folder, starting in the given one; nothing when cancelled.
    using ChooseDirectory = std::function<std::optional<QString>(const QString& start)>;
    // Shows a folder in the file browser.
    using OpenURL = std::function<void(const QUrl&)>;

    FolderActions(Settings& settings, ChooseDirectory chooseDirectory, OpenURL openURL);

    // Lets the user pick the capture folder.
    void choose();
    // Shows the capture folder in the file browser, making it first when it is missing.
    void open();

private:
    Settings& settings_;
    ChooseDirectory chooseDirectory_;
    OpenURL openURL_;
};

} // namespace quillet
