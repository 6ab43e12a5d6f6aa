#include "Brindle/AppInfo.hpp"
#include "Brindle/shell/MenuBarController.hpp"
#include "Brindle/shell/SingleInstance.hpp"
#include "Quillet/app/AppState.hpp"
#include "Quillet/app/AppStateMenuModel.hpp"
#include "Quillet/app/Diagnostics.hpp"
#include "Quillet/app/DisplayCheck.hpp"
#include "Quillet/app/EditorSnapshot.hpp"
#include "Quillet/app/GracefulQuit.hpp"
#include "Quillet/app/MemoryProbe.hpp"
#include "Quillet/app/MenuSnapshot.hpp"
#include "Quillet/app/OneShotMessages.hpp"
#include "Quillet/app/QuitOnSignal.hpp"
#include "Quillet/app/RemoteActions.hpp"
#include "Quillet/app/SessionPlatform.hpp"
#include "Quillet/library/TemporaryFolder.hpp"
#include "Quillet/shell/MenuView.hpp"
#include "core/ActionRequest.hpp"
#include "core/RunMode.hpp"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr auto usage = R"(Usage: quillet [OPTION]

Quillet sits in the tray and takes screenshots and screen recordings with three shortcuts:
Super+Shift+3 (the screen under the pointer), Super+Shift+4 (an area or a window) and
Super+Shift+5 (a recording). Click the tray icon for the panel with every setting.

  --action ACTION         have the running Quillet (started now if none runs) do what a shortcut
                          does: screen, area or record; bind it to a key in your desktop's settings
  --snapshot DIR          render the panel to menu-*.png files in DIR and exit
  --snapshot-editor DIR   render the editor to PNG files in DIR and exit
  --measure-memory FILE   measure memory over synthetic captures, write the report to FILE, exit
  --diagnose FILE         write a report on this copy and its desktop to FILE and exit
  --help                  show this help and exit
  --version               show the version and exit
)";

// The one-line answers that need no application object. Anything else the program does not know is
// ignored.
[[nodiscard]] bool answeredInformationRequest(const std::vector<std::string>& arguments)
{
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        if (arguments[index] == "--help" || arguments[index] == "-h") {
            std::fputs(usage, stdout);
            return true;
        }
        if (arguments[index] == "--version") {
            std::printf("quillet %s\n", QUILLET_VERSION);
            return true;
        }
    }
    return false;
}

// A one-shot option typed without its FILE or DIR: otherwise the tray application would start (or
// the running copy show its panel) instead of telling the user what is missing.
[[nodiscard]] std::optional<std::string> oneShotOptionWithoutPath(const std::vector<std::string>& arguments)
{
    constexpr std::array oneShotOptions{"--snapshot", "--snapshot-editor", "--measure-memory", "--diagnose"};
    if (arguments.size() < 2) {
        return std::nullopt;
    }
    for (const char* option : oneShotOptions) {
        if (arguments.back() == option) {
            return option;
        }
    }
    return std::nullopt;
}

constexpr int noDisplayStatus = 1;
constexpr int unansweredActionStatus = 1;
constexpr int badArgumentsStatus = 2;
constexpr int snapshotFailedStatus = 1;

// Whether this process steps aside for the copy that runs, and with which exit status.
[[nodiscard]] std::optional<int> stepAside(brindle::SingleInstance::Claim claim,
                                           std::optional<quillet::CaptureAction> action)
{
    using Claim = brindle::SingleInstance::Claim;
    switch (claim) {
    case Claim::first:
        return std::nullopt;
    case Claim::another:
        return 0;
    case Claim::refused:
    case Claim::silent:
        if (!action) {
            return 0;
        }
        std::fputs("quillet: the running Quillet did not take the action\n", stderr);
        return unansweredActionStatus;
    }
    return 0;
}

int runMenuBarApp(int argc, char* argv[], std::optional<quillet::CaptureAction> action)
{
    if (const auto problem = quillet::SessionPlatform::choose(
            quillet::DesktopSession::detect(quillet::SessionEnvironment::ofProcess()))) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return noDisplayStatus;
    }
    if (const auto problem = quillet::DisplayCheck::problem()) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return noDisplayStatus;
    }
    QApplication app(argc, argv);
    // A tray utility has no main window: closing a panel or a card must not end the process.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationVersion(brindle::AppInfo::version());
    QApplication::setDesktopFileName(QString::fromLatin1(brindle::AppInfo::bundleIdentifier.data()));

    // Before the state reads or writes any preference: one copy per user and display.
    brindle::SingleInstance instance;
    const QString request = action ? quillet::RemoteActions::request(*action)
                                   : QString::fromLatin1(brindle::SingleInstance::showRequest);
    if (const auto status =
            stepAside(instance.claim(brindle::SingleInstance::socketPath(QStringLiteral("quillet")), request),
                      action)) {
        return *status;
    }
    // What a killed earlier run left in its temporary folder goes now, off the main thread.
    QThreadPool::globalInstance()->start([] {
        const QString parent = quillet::TemporaryFolder::defaultParent();
        quillet::TemporaryFolder::removeLeftovers(parent);
        // Earlier versions kept their folders in the runtime folder itself.
        if (parent != QDir::tempPath()) {
            quillet::TemporaryFolder::removeLeftovers(QFileInfo(parent).path());
        }
    });

    auto quitOnSignal =
        std::make_unique<quillet::QuitOnSignal>([](int) { quillet::GracefulQuit::quitAfterSaves(); });
    // Registers the hot keys and starts the status watch; kept until the process ends.
    quillet::AppState& state = quillet::AppState::shared();
    quillet::AppStateMenuModel model(state, [] { quillet::GracefulQuit::quitAfterSaves(); });
    quillet::RemoteActions remoteActions([&state](quillet::CaptureAction asked) { state.perform(asked); });
    instance.setRequestHandler([&remoteActions](const QString& asked) { return remoteActions.take(asked); });
    (void)remoteActions.publish();
    if (action) {
        // Once the loop runs, as if its key had been pressed right after the start.
        QTimer::singleShot(0, &state, [&state, asked = *action] { state.perform(asked); });
    }
    const brindle::AppBrand brand = quillet::MenuView::brand();
    brindle::MenuBarController* controller = nullptr;
    brindle::MenuBarController menuBar({
        .title = brand.name,
        .makeContent =
            [&] { return new quillet::MenuView(model, {.closePanel = [&] { controller->close(); }}); },
        .symbol = [&state] { return std::string(quillet::menuBarSymbol(state.status())); },
        .iconColour = brand.gradient.constFirst(),
        .dotColour = QColor::fromRgb(255, 149, 0),
        .quit = [&model] { model.quit(); },
    });
    controller = &menuBar;
    state.setPanelCloser([&menuBar] {
        // A panel in a window of its own holds no keyboard and is left out of captures already.
        const brindle::PanelWindow& panel = menuBar.panel();
        if (panel.kind() != brindle::PanelWindow::Kind::popup || !panel.isVisible()) {
            return false;
        }
        menuBar.close();
        return true;
    });
    // Queued, so the icon is read once the change is complete.
    QObject::connect(&state, &quillet::AppState::changed, &menuBar, &brindle::MenuBarController::updateIcon,
                     Qt::QueuedConnection);
    auto& updates = state.updates();
    menuBar.showBadge(updates.isUpdateReminderDue());
    QObject::connect(&updates, &quillet::UpdateCenter::changed, &menuBar,
                     [&] { menuBar.showBadge(updates.isUpdateReminderDue()); });
    QObject::connect(&instance, &brindle::SingleInstance::showRequested, &menuBar,
                     &brindle::MenuBarController::open);
    const int status = QApplication::exec();
    quitOnSignal.reset();
    state.shutDown();
    // A save still running past the wait would hold the process at its exit for as long as it takes.
    if (quillet::GracefulQuit::threadsStillWorking()) {
        // The capture tool's files are read by then; only the saves' own files are still written.
        quillet::TemporaryFolder::forProcess().remove();
        std::_Exit(status);
    }
    return status;
}

// Pictures are drawn off screen, never on the user's display, so the mode also runs from scripts
// and CI.
void useOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

// The memory probe measures the program on the user's display when there is one; without one it
// still runs, off screen.
void useOffscreenPlatformWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        useOffscreenPlatform();
    }
}

// The diagnostics report on the display when there is one; when X cannot be reached they still
// write every line, from Qt's offscreen platform.
void useDisplayOrOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb;offscreen");
    }
}

void runDiagnostics(int argc, char* argv[], const std::string& path)
{
    useDisplayOrOffscreen();
    quillet::OneShotMessages::install();
    QApplication app(argc, argv);
    try {
        // Started from the event loop, so that a run that ends at once still ends the loop.
        QTimer::singleShot(0, &app, [path] {
            quillet::Diagnostics::run(QString::fromStdString(path), [] { QCoreApplication::exit(0); });
        });
        (void)QApplication::exec();
    } catch (...) {
    }
}

void runMemoryProbe(int argc, char* argv[], const std::string& path)
{
    useOffscreenPlatformWithoutDisplay();
    quillet::OneShotMessages::install();
    QApplication app(argc, argv);
    try {
        quillet::MemoryProbe::run(QString::fromStdString(path));
    } catch (...) {
    }
}

// 0 when every file was written; otherwise each failure is told on the standard error and the status
// is 1, so that a script rendering into a missing or hostile folder notices.
template <typename Render>
int runSnapshot(int argc, char* argv[], const std::string& directory, Render render)
{
    useOffscreenPlatform();
    quillet::OneShotMessages::install();
    QApplication app(argc, argv);
    QStringList errors;
    try {
        errors = render(QString::fromStdString(directory));
    } catch (...) {
        errors.append(QStringLiteral("out of memory"));
    }
    for (const QString& error : errors) {
        std::fprintf(stderr, "quillet: %s\n", qPrintable(error));
    }
    return errors.isEmpty() ? 0 : snapshotFailedStatus;
}

} // namespace

int main(int argc, char* argv[])
{
    // One allocator arena for every thread: the encoder's helper threads would otherwise each leave
    // an arena whose free top the allocator keeps, tens of megabytes after every capture. The
    // program allocates little besides its bitmaps, so the arenas' lock is never contended.
    (void)mallopt(M_ARENA_MAX, 1);

    // Read before QApplication takes its own options out of argv.
    const std::vector<std::string> arguments(argv, argv + argc);
    if (answeredInformationRequest(arguments)) {
        return 0;
    }
    const auto mode = quillet::RunMode::select(arguments);
    auto actionRequest = quillet::ActionRequest::parse(arguments);
    if (const auto option = oneShotOptionWithoutPath(arguments)) {
        actionRequest.error = *option + " needs the path to write to";
    }
    if (actionRequest.action && mode.kind != quillet::RunMode::Kind::menuBar) {
        actionRequest.error = "--action cannot be combined with a one-shot option";
    }
    if (!actionRequest.error.empty()) {
        std::fprintf(stderr, "quillet: %s\nTry 'quillet --help'.\n", actionRequest.error.c_str());
        return badArgumentsStatus;
    }

    // Each one-shot mode runs here and ends the process; the snapshots say whether their files came.
    switch (mode.kind) {
    case quillet::RunMode::Kind::editorSnapshot:
        return runSnapshot(argc, argv, mode.path, &quillet::EditorSnapshot::render);
    case quillet::RunMode::Kind::menuSnapshot:
        return runSnapshot(argc, argv, mode.path, &quillet::MenuSnapshot::render);
    case quillet::RunMode::Kind::memoryProbe:
        runMemoryProbe(argc, argv, mode.path);
        return 0;
    case quillet::RunMode::Kind::diagnostics:
        runDiagnostics(argc, argv, mode.path);
        return 0;
    case quillet::RunMode::Kind::menuBar:
        break;
    }
    return runMenuBarApp(argc, argv, actionRequest.action);
}
