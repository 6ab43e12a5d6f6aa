#include "Quillet/app/MenuSnapshot.hpp"

#include "Brindle/shell/Snapshot.hpp"
#include "Quillet/app/AppStateMenuModel.hpp"
#include "Quillet/app/ProgramComponents.hpp"
#include "Quillet/shell/MenuView.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include <QTimer>

namespace quillet {
namespace {

// The picture shows a ready program: permission granted, nothing recording.
class PreviewModel final : public AppStateMenuModel {
public:
    using AppStateMenuModel::AppStateMenuModel;
    [[nodiscard]] bool hasScreenRecording() const override { return true; }
    [[nodiscard]] bool isRecording() const override { return false; }
    [[nodiscard]] std::optional<QDateTime> recordingStartedAt() const override { return std::nullopt; }
    [[nodiscard]] AppStatus status() const override
    {
        return appStatus({.isRecording = false,
                          .isEnabled = isEnabled(),
                          .hasScreenRecording = true,
                          .conflictsWithSystemShortcuts = conflictsWithSystemShortcuts(),
                          .shortcutsTaken = !failedShortcuts().empty()});
    }
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

    [[nodiscard]] static std::unique_ptr<Program> makeProgram()
    {
        auto program = std::make_unique<Program>();
        program->state = std::make_unique<AppState>(program->preferences, true, ProgramComponents::preview());
        program->model = std::make_unique<PreviewModel>(*program->state, [] {});
        return program;
    }

private:
    std::unique_ptr<Program> program_;
};

} // namespace

void MenuSnapshot::render(const QString& directory)
{
    brindle::Snapshot::renderMenu(directory, std::nullopt, [](const QPalette& palette) -> QWidget* {
        auto* panel = new PreviewPanel(PreviewPanel::makeProgram());
        panel->setPalette(palette);
        return panel;
    });
}

} // namespace quillet
