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

// A session the picture shows: the desktop's routes, the keys it reports, whether the latest capture
// or save failed, and what else the panel may have to fit (a running recording, warnings, numbered
// names).
struct Session {
    std::optional<QString> name; // none for the X11 session
    DesktopRoutes routes{};
    std::map<CaptureAction, QString> triggers{};
    bool captureFailed = false;
    bool saveFailed = false;
    bool recording = false;
    bool warnings = false;
};

const std::vector<Session>& sessions()
{
    static const std::vector<Session> all{
        {.name = std::nullopt},
        // Keys bound by the user in the desktop's settings, after a capture both portals refused.
        {.name = QStringLiteral("wayland"),
         .routes = {CaptureRoute::portal, ShortcutRoute::desktopBinding},
         .captureFailed = true},
        // Keys through the shortcuts portal; the desktop reports no key for the recording.
        {.name = QStringLiteral("wayland-portal"),
         .routes = {CaptureRoute::portal, ShortcutRoute::globalShortcutsPortal},
         .triggers = {{CaptureAction::screen, QStringLiteral("Shift+Meta+3")},
                      {CaptureAction::area, QStringLiteral("Shift+Meta+4")}}},
        // An X11 session whose capture folder takes no files.
        {.name = QStringLiteral("save-failed"), .saveFailed = true},
        {.name = QStringLiteral("recording"), .recording = true},
        {.name = QStringLiteral("wayland-recording"),
         .routes = {CaptureRoute::portal, ShortcutRoute::desktopBinding},
         .recording = true},
        // Every warning at once: no permission, the desktop's own keys in the way, every key taken
        // by another program; numbered names show their extra rows.
        {.name = QStringLiteral("warnings"), .warnings = true},
    };
    return all;
}

// How long the preview recording has run: its clock shows 1:23.
constexpr qint64 previewRecordingSeconds = 83;

// The picture shows a program in the session's state.
class PreviewModel final : public AppStateMenuModel {
public:
    PreviewModel(AppState& state, Session session)
        : AppStateMenuModel(state, [] {}), session_(std::move(session))
    {
    }
    [[nodiscard]] bool hasScreenRecording() const override { return !session_.warnings; }
    [[nodiscard]] bool conflictsWithSystemShortcuts() const override { return session_.warnings; }
    [[nodiscard]] std::set<CaptureAction> failedShortcuts() const override
    {
        if (!session_.warnings) {
            return {};
        }
        return {allCaptureActions.begin(), allCaptureActions.end()};
    }
    [[nodiscard]] FileNamingStyle fileNaming() const override
    {
        return session_.warnings ? FileNamingStyle::number : AppStateMenuModel::fileNaming();
    }
    [[nodiscard]] std::int64_t nextNumber() const override { return session_.warnings ? 12 : 1; }
    [[nodiscard]] bool isRecording() const override { return session_.recording; }
    [[nodiscard]] std::optional<QDateTime> recordingStartedAt() const override
    {
        if (!session_.recording) {
            return std::nullopt;
        }
        return QDateTime::currentDateTime().addSecs(-previewRecordingSeconds);
    }
    [[nodiscard]] AppStatus status() const override
    {
        return appStatus({.isRecording = session_.recording,
                          .isEnabled = isEnabled(),
                          .hasScreenRecording = hasScreenRecording(),
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
    QStringList cutOff;
    for (const Session& session : sessions()) {
        cutOff += brindle::Snapshot::renderMenu(
            session.name,
            [&session](const QPalette& palette) -> QWidget* {
                auto* panel = new PreviewPanel(PreviewPanel::makeProgram(session));
                panel->setPalette(palette);
                return panel;
            },
            [&files](const QString& fileName, const QImage& image) { files.write(fileName, image); });
    }
    return files.errors() + cutOff;
}

} // namespace quillet
