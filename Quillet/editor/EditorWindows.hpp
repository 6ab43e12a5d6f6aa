#pragma once

#include "Quillet/common/TextRecognizer.hpp"
#include "Quillet/editor/Editor.hpp"
#include "Quillet/library/FileIdentity.hpp"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace brindle {
class PreferenceStore;
}

namespace quillet {

class EditorWindowController;

// The open editor windows, one per file, and opening one. Main thread only.
class EditorWindows final : public QObject, public Editor {
    Q_OBJECT

public:
    // `preferences` (where the arrow direction is kept) must outlive the editor.
    explicit EditorWindows(brindle::PreferenceStore& preferences, QObject* parent = nullptr);
    ~EditorWindows() override;

    // Brings the file's open editor to the front, or reads and decodes the file off the main thread
    // and then opens a window on it. An unreadable file only beeps.
    void open(const QUrl& url, double scale, SaveCallback onSave) override;

    // The open editors, in opening order.
    [[nodiscard]] std::vector<EditorWindowController*> controllers() const;
    [[nodiscard]] EditorWindowController* controller(const QString& path) const;

    // The alert sound for a file that cannot be opened. QApplication::beep unless replaced.
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }
    // What every editor opened afterwards reads text with (Ctrl+Shift+C).
    void setTextRecognizer(std::shared_ptr<const TextRecognizer> text) { text_ = std::move(text); }

signals:
    void opened(quillet::EditorWindowController* controller);
    void openFailed(const QString& path);

private:
    void decoded(const QString& path, const QImage& image, double scale, SaveCallback onSave,
                 const std::optional<FileIdentity>& identity);

    brindle::PreferenceStore& preferences_;
    std::vector<QPointer<EditorWindowController>> controllers_;
    // Files being read: a second click meanwhile must not open a second window.
    QSet<QString> opening_;
    std::function<void()> beep_;
    std::shared_ptr<const TextRecognizer> text_;
};

} // namespace quillet
