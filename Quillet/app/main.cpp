#include "Quillet/app/AppState.hpp"
#include "Quillet/app/EditorSnapshot.hpp"
#include "core/RunMode.hpp"

#include <QApplication>

#include <string>
#include <vector>

namespace {

int runMenuBarApp(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // A tray utility has no main window: closing a panel or a card must not end the process.
    QApplication::setQuitOnLastWindowClosed(false);
    // Registers the hot keys and starts the status watch; kept until the process ends.
    (void)quillet::AppState::shared();
    return QApplication::exec();
}

// Snapshots are drawn off screen; without an X display Qt's offscreen platform stands in, so the
// mode also runs from scripts and CI.
void useOffscreenPlatformWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

void runEditorSnapshot(int argc, char* argv[], const std::string& directory)
{
    useOffscreenPlatformWithoutDisplay();
    QApplication app(argc, argv);
    // The exit status never reflects the outcome, not even an exhausted memory.
    try {
        quillet::EditorSnapshot::render(QString::fromStdString(directory));
    } catch (...) {
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // Read before QApplication takes its own options out of argv.
    const auto mode = quillet::RunMode::select(std::vector<std::string>(argv, argv + argc));

    // Each one-shot mode runs here and ends the process with status 0, whatever its outcome; a mode
    // this build does not carry yet leaves the program in its menu-bar mode.
    switch (mode.kind) {
    case quillet::RunMode::Kind::editorSnapshot:
        runEditorSnapshot(argc, argv, mode.path);
        return 0;
    case quillet::RunMode::Kind::menuSnapshot:
    case quillet::RunMode::Kind::memoryProbe:
    case quillet::RunMode::Kind::diagnostics:
    case quillet::RunMode::Kind::menuBar:
        break;
    }
    return runMenuBarApp(argc, argv);
}
