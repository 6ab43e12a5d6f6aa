#pragma once

#include "Quillet/common/TextRecognizer.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "Quillet/editor/EditorSave.hpp"

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QKeyEvent;

namespace brindle {
class PreferenceStore;
}

namespace quillet {

class EditorCanvasView;
class EditorToolbar;
class EditorWindow;

// One open editor: its model, canvas, toolbar and window, the keyboard shortcuts, the toolbar's
// commands and saving the annotated image back over the file.
class EditorWindowController : public QObject {
    Q_OBJECT

public:
    // Gets a reduced copy of the saved image, at most `savedPreviewPixels` on its longer side.
    using SaveCallback = std::function<void(const QImage& saved)>;
    static constexpr int savedPreviewPixels = 1024;
    // Puts the bytes in place of the file; the failure's description, or nothing on success. Runs
    // off the main thread.
    using Writer = EditorSave::Writer;

    // `preferences` must outlive the controller. The window is made but not shown.
    EditorWindowController(QString path, const QImage& image, double pixelsPerPoint, SaveCallback onSave,
                           brindle::PreferenceStore& preferences, QObject* parent = nullptr);
    ~EditorWindowController() override;

    [[nodiscard]] const QString& path() const { return path_; }
    [[nodiscard]] EditorModel& model() const { return *model_; }
    [[nodiscard]] EditorCanvasView& canvas() const { return *canvas_; }
    [[nodiscard]] EditorToolbar& toolbar() const { return *toolbar_; }
    [[nodiscard]] EditorWindow& window() const { return *window_; }

    // Called once the window has closed.
    void setOnClose(std::function<void()> onClose) { onClose_ = std::move(onClose); }
    // The atomic in-place replacement unless replaced (tests).
    void setWriter(Writer writer) { writer_ = std::move(writer); }
    // What the file was when it was read: a save over a file changed since then asks first.
    void setOpenedIdentity(std::optional<FileIdentity> opened) { opened_ = std::move(opened); }
    // Reads the text Ctrl+Shift+C copies; without it the key says text cannot be read.
    void setTextRecognizer(std::shared_ptr<const TextRecognizer> text) { text_ = std::move(text); }

    // Shows the window in front, with the canvas taking the keys.
    void show();
    void perform(EditorModel::Command command);
    // Encodes the marked image and replaces the file with it off the main thread; closes the window
    // on success, keeps everything and shows an alert on failure. With no marks, just closes. A file
    // gone, changed since it was read, or read-only is not written before the user says how.
    void save();
    // The editor's keyboard shortcuts; true when the key was used.
    bool handleKey(const QKeyEvent& event);

signals:
    // After each save attempt that ran; `succeeded` says whether the file was replaced.
    void saveFinished(bool succeeded);

private:
    void redo();
    // Ctrl+C outside a text field: the image with its marks. Ctrl+Shift+C: the text in the selected
    // mark's box, or in the whole image.
    void copyImage();
    void copyText();
    [[nodiscard]] std::optional<QImage> rendered() const;
    bool handleControlKey(int key);
    bool handlePlainKey(const QKeyEvent& event);
    void write(EditorSave::Mode mode, const QByteArray& bytes);
    void saveEnded(const EditorSave::Outcome& outcome, const QByteArray& bytes,
                   const std::optional<QImage>& preview);
    void askBeforeWriting(FileChange change, const QByteArray& bytes);
    void showSaveError();
    void windowClosed();

    QString path_;
    SaveCallback onSave_;
    std::function<void()> onClose_;
    Writer writer_;
    std::optional<FileIdentity> opened_;
    std::shared_ptr<const TextRecognizer> text_;
    // Declared before the window so the views that refer to it go first.
    std::unique_ptr<EditorModel> model_;
    EditorCanvasView* canvas_;
    EditorToolbar* toolbar_;
    std::unique_ptr<EditorWindow> window_;
};

} // namespace quillet
