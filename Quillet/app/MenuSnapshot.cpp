#include "Quillet/app/MenuSnapshot.hpp"

#include "Quillet/app/SnapshotFiles.hpp"

#include "Brindle/shell/Snapshot.hpp"
#include "Quillet/app/AppStateMenuModel.hpp"
#include "Quillet/app/ProgramComponents.hpp"
#include "Quillet/shell/MenuView.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include <QTimer>

#include <map>
#include <optional>
#include <vector>

namespace quillet {
namespace {

// A session the picture shows: the desktop's routes, the keys it reports and whether the latest
// capture or save failed.
struct Session {
    std::optional<QString> name; // none for the X11 session
    DesktopRoutes routes;
    std::map<CaptureAction, QString> triggers;
    bool captureFailed = false;
    bool saveFailed = false;
};

const std::vector<Session>& sessions()
{
    static const std::vector<Session> all{
        {std::nullopt, {}, {}, false},
        // Keys bound by the user in the desktop's settings, after a capture both portals refused.
        {QStringLiteral("wayland"), {CaptureRoute::portal, ShortcutRoute::desktopBinding}, {}, true},
        // Keys through the shortcuts portal; the desktop reports no key for the recording.
        {QStringLiteral("wayland-portal"),
         {CaptureRoute::portal, ShortcutRoute::globalShortcutsPortal},
         {{CaptureAction::screen, QStringLiteral("Shift+Meta+3")},
          {CaptureAction::area, QStringLiteral("Shift+Meta+4")}},
         false},
        // An X11 session whose capture folder takes no files.
        {QStringLiteral("save-failed"), {}, {}, false, true},
    };
    return all;
}

// The picture shows a ready program: permission granted, nothing recording.
class PreviewModel final : public AppStateMenuModel {
public:
    PreviewModel(AppState& state, Session session)
        : AppStateMenuModel(state, [] {}), session_(std::move(session))
    {
    }
    [[nodiscard]] bool hasScreenRecording() const override { return true; }
    [[nodiscard]] bool isRecording() const override { return false; }
    [[nodiscard]] std::optional<QDateTime> recordingStartedAt() const override { return std::nullopt; }
    [[nodiscard]] AppStatus status() const override
    {
        return appStatus({.isRecording = false,
                          .isEnabled = isEnabled(),
                          .hasScreenRecording = true,
                          .conflictsWithSystemShortcuts = conflictsWithSystemShortcuts(),
                          .shortcutsTaken = !failedShortcuts().empty(),
                          .captureFailed = session_.captureFailed,
                          .saveFailed = session_.saveFailed},
                         session_.routes);
    }
    [[nodiscard]] ShortcutRoute shortcutRoute() const override { return session_.routes.shortcuts; }
    [[nodiscard]] QString desktopTrigger(CaptureAction action) const override
    {
        const auto found = session_.triggers.find(action);
        return found != session_.triggers.end() ? found->second : QString();
    }

private:
    Session session_;
};

// One preview program: its state over defaults, the panel's model and the panel, owned by the panel.
class PreviewPanel final : public MenuView {
public:
    struct Program {
        brindle::InMemoryPreferenceStore preferences;
        std::unique_ptr<AppState> state;
        std::unique_ptr<PreviewModel> model;
    };

    explicit PreviewPanel(std::unique_ptr<Program> program)
        : MenuView(*program->model, {.isSnapshot = true}), program_(std::move(program))
    {
    }

    [[nodiscard]] static std::unique_ptr<Program> makeProgram(const Session& session)
    {
        auto program = std::make_unique<Program>();
        program->state = std::make_unique<AppState>(program->preferences, true, ProgramComponents::preview());
        program->model = std::make_unique<PreviewModel>(*program->state, session);
        return program;
    }

private:
    std::unique_ptr<Program> program_;
};

} // namespace

QStringList MenuSnapshot::render(const QString& directory)
{
    SnapshotFiles files(directory);
    if (!files.folderExists()) {
        return files.errors();
    }
    for (const Session& session : sessions()) {
        brindle::Snapshot::renderMenu(
            session.name,
            [&session](const QPalette& palette) -> QWidget* {
                auto* panel = new PreviewPanel(PreviewPanel::makeProgram(session));
                panel->setPalette(palette);
                return panel;
            },
            [&files](const QString& fileName, const QImage& image) { files.write(fileName, image); });
    }
    return files.errors();
}

} // namespace quillet
