#include "Quillet/shell/FolderActions.hpp"

#include "Quillet/common/Settings.hpp"

#include <QDir>

namespace quillet {

FolderActions::FolderActions(Settings& settings, ChooseDirectory chooseDirectory, OpenURL openURL)
    : settings_(settings), chooseDirectory_(std::move(chooseDirectory)), openURL_(std::move(openURL))
{
}

void FolderActions::choose()
{
    const auto chosen = chooseDirectory_(settings_.folder());
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    settings_.setFolder(*chosen);
}

void FolderActions::open()
{
    // A folder that cannot be made is still handed over: the file browser says what is wrong.
    QDir().mkpath(settings_.folder());
    openURL_(QUrl::fromLocalFile(settings_.folder()));
}

} // namespace quillet
