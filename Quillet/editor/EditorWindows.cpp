#include "Quillet/editor/EditorWindows.hpp"

#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/editor/EditorImageDecoder.hpp"
#include "Quillet/editor/EditorWindowController.hpp"

#include <QApplication>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace quillet {

namespace {

[[nodiscard]] QString normalizedPath(const QUrl& url)
{
    return QFileInfo(url.toLocalFile()).absoluteFilePath();
}

} // namespace

EditorWindows::EditorWindows(brindle::PreferenceStore& preferences, QObject* parent)
    : QObject(parent), preferences_(preferences), beep_(&QApplication::beep)
{
}

EditorWindows::~EditorWindows() = default;

std::vector<EditorWindowController*> EditorWindows::controllers() const
{
    std::vector<EditorWindowController*> open;
    for (const auto& controller : controllers_) {
        if (controller) {
            open.push_back(controller);
        }
    }
    return open;
}

EditorWindowController* EditorWindows::controller(const QString& path) const
{
    const QString wanted = normalizedPath(QUrl::fromLocalFile(path));
    for (EditorWindowController* controller : controllers()) {
        if (controller->path() == wanted) {
            return controller;
        }
    }
    return nullptr;
}

void EditorWindows::open(const QUrl& url, double scale, SaveCallback onSave)
{
    const QString path = normalizedPath(url);
    if (EditorWindowController* existing = controller(path)) {
        existing->show();
        return;
    }
    if (opening_.contains(path)) {
        return;
    }
    opening_.insert(path);
    runInBackground(
        this,
        [path] {
            // Taken before the read: a change in between makes the save ask, never write blindly.
            std::optional<FileIdentity> identity = FileIdentity::of(path);
            return std::pair{EditorImageDecoder::read(path), std::move(identity)};
        },
        [this, path, scale, onSave = std::move(onSave)](
            std::pair<std::optional<QImage>, std::optional<FileIdentity>> read) mutable {
            opening_.remove(path);
            if (!read.first) {
                beep_();
                emit openFailed(path);
                return;
            }
            decoded(path, *read.first, scale, std::move(onSave), read.second);
        });
}

void EditorWindows::decoded(const QString& path, const QImage& image, double scale, SaveCallback onSave,
                            const std::optional<FileIdentity>& identity)
{
    auto* controller = new EditorWindowController(path, image, scale, std::move(onSave), preferences_, this);
    controller->setOpenedIdentity(identity);
    controller->setTextRecognizer(text_);
    controllers_.emplace_back(controller);
    controller->setOnClose([this, weak = QPointer(controller)] {
        std::erase_if(controllers_, [&](const auto& open) { return !open || open == weak; });
        // The window is still inside its close handling: the controller and its window go later.
        if (weak) {
            weak->deleteLater();
        }
    });
    controller->show();
    emit opened(controller);
}

} // namespace quillet
