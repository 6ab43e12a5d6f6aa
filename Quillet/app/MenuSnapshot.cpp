#include "Quillet/app/MenuSnapshot.hpp"

#include "Brindle/shell/Snapshot.hpp"
#include "Quillet/app/AppStateMenuModel.hpp"
#include "Quillet/shell/MenuView.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include <QTimer>

namespace quillet {
namespace {

// The components a preview never uses: it registers no keys, makes no cards and records nothing.
class NoThumbnails final : public component::Thumbnails {
public:
    void add(const QUrl&, const QImage&, double, bool) override {}
    void replaceImage(const QUuid&, const QImage&) override {}
    void remove(const QUuid&) override {}
    void setOnEdit(Action) override {}
    void setOnTrash(Action) override {}
};

class NoHotKeys final : public component::HotKeyCenter {
public:
    void registerShortcuts(const ShortcutMap&) override {}
    void unregister() override {}
    [[nodiscard]] std::set<CaptureAction> failed() const override { return {}; }
    void setOnPress(Action) override {}
};

class NoRecorder final : public component::Recorder {
public:
    bool start(const Rect&, const Options&) override { return false; }
    [[nodiscard]] std::optional<QDateTime> sessionStartedAt() const override { return std::nullopt; }
    void stop(const QString&, StopCompletion completion) override { completion(std::nullopt); }
    void setOnEnded(Ended) override {}
    [[nodiscard]] std::vector<QString> leftovers() const override { return {}; }
    void save(const QString&, const QString&, StopCompletion completion) override
    {
        completion(std::nullopt);
    }
    void firstFrame(const QString&, int, FrameCompletion completion) override { completion(std::nullopt); }
};

class NoSelector final : public component::AreaSelector {
public:
    void begin(const component::Recorder::Options&, Completion completion) override
    {
        completion(Cancelled{});
    }
    [[nodiscard]] bool isOpen() const override { return false; }
};

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
        AppState::Components components;
        components.thumbnails = std::make_unique<NoThumbnails>();
        components.hotKeys = std::make_unique<NoHotKeys>();
        components.recorder = std::make_unique<NoRecorder>();
        components.selector = std::make_unique<NoSelector>();
        components.systemShortcutsOn = [] { return false; };
        program->state = std::make_unique<AppState>(program->preferences, true, std::move(components));
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
