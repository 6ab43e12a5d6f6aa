#include "Quillet/editor/EditorWindowController.hpp"

#include "Brindle/AppInfo.hpp"
#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/CanvasTextField.hpp"
#include "Quillet/editor/EditorCanvasView.hpp"
#include "Quillet/editor/EditorClipboard.hpp"
#include "Quillet/editor/EditorToolbar.hpp"
#include "Quillet/editor/EditorWindow.hpp"
#include "Quillet/library/AtomicFileWriter.hpp"
#include "Quillet/library/WebPEncoder.hpp"
#include "core/AnnotationGeometry.hpp"
#include "core/EditorWindowFrame.hpp"

#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <utility>

namespace quillet {

namespace {

const brindle::Logger& log()
{
    static const brindle::Logger instance = brindle::AppInfo::logger("editor");
    return instance;
}

[[nodiscard]] std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes)
{
    const AtomicFileWriter::Result result = AtomicFileWriter::replace(path, bytes);
    if (result.status == AtomicFileWriter::Status::written) {
        return std::nullopt;
    }
    return result.error;
}

// The usable area of the screen under the pointer, else of the primary screen.
[[nodiscard]] std::optional<Rect> visibleFrameUnderPointer()
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return std::nullopt;
    }
    const QRect area = screen->availableGeometry();
    return Rect{static_cast<double>(area.x()), static_cast<double>(area.y()),
                static_cast<double>(area.width()), static_cast<double>(area.height())};
}

[[nodiscard]] QString windowTitle(const QString& path)
{
    // X11 windows have no subtitle: the file's name follows the title.
    return QObject::tr("Edit capture") + QStringLiteral(" — ") + QFileInfo(path).completeBaseName();
}

} // namespace

EditorWindowController::EditorWindowController(QString path, const QImage& image, double pixelsPerPoint,
                                               SaveCallback onSave, brindle::PreferenceStore& preferences,
                                               QObject* parent)
    : QObject(parent), path_(std::move(path)), onSave_(std::move(onSave)), writer_(&replaceFile),
      model_(std::make_unique<EditorModel>(image, pixelsPerPoint, preferences)),
      canvas_(new EditorCanvasView(*model_)), toolbar_(new EditorToolbar(*model_)),
      window_(std::make_unique<EditorWindow>(toolbar_, canvas_))
{
    const Rect frame =
        EditorWindowFrame::initial({static_cast<double>(image.width()), static_cast<double>(image.height())},
                                   model_->pixelsPerPoint(), visibleFrameUnderPointer());
    window_->setGeometry(QRect(static_cast<int>(frame.minX()), static_cast<int>(frame.minY()),
                               static_cast<int>(frame.width()), static_cast<int>(frame.height())));
    window_->setWindowTitle(windowTitle(path_));

    const QPointer self(this);
    window_->setOnKeyPress([self](QKeyEvent* event) { return self && self->handleKey(*event); });
    window_->setCanClose([self] { return !self || !self->model_->isSaving(); });
    model_->setPerform([self](EditorModel::Command command) {
        if (self) {
            self->perform(command);
        }
    });
    connect(window_.get(), &EditorWindow::closed, this, &EditorWindowController::windowClosed);
    model_->renderer()->prepare();
}

EditorWindowController::~EditorWindowController() = default;

void EditorWindowController::show()
{
    window_->show();
    window_->raise();
    window_->activateWindow();
    canvas_->setFocus(Qt::ActiveWindowFocusReason);
}

void EditorWindowController::perform(EditorModel::Command command)
{
    if (model_->isSaving() && command != EditorModel::Command::save) {
        return;
    }
    switch (command) {
    case EditorModel::Command::undo:
        if (canvas_->isTyping()) {
            canvas_->finishText(false);
        } else {
            model_->undo();
        }
        return;
    case EditorModel::Command::deleteSelection:
        model_->deleteSelection();
        return;
    case EditorModel::Command::cancel:
        window_->close();
        return;
    case EditorModel::Command::save:
        save();
        return;
    }
}

bool EditorWindowController::handleKey(const QKeyEvent& event)
{
    // While the file is written (or the user is asked how), the image must stay as it is being saved.
    if (model_->isSaving()) {
        return true;
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier) {
        return handleControlKey(event.key());
    }
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && event.key() == Qt::Key_Z) {
        redo();
        return true;
    }
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && event.key() == Qt::Key_C) {
        copyText();
        return true;
    }
    return handlePlainKey(event);
}

bool EditorWindowController::handleControlKey(int key)
{
    CanvasTextField* field = canvas_->textField();
    switch (key) {
    case Qt::Key_S:
        save();
        return true;
    case Qt::Key_W:
        window_->close();
        return true;
    case Qt::Key_Z:
        if (field != nullptr) {
            field->undo();
        } else {
            model_->undo();
        }
        return true;
    case Qt::Key_Y:
        redo();
        return true;
    case Qt::Key_C:
        if (field == nullptr) {
            copyImage();
            return true;
        }
        field->copy();
        return true;
    case Qt::Key_X:
    case Qt::Key_V:
    case Qt::Key_A:
        if (field == nullptr) {
            return false;
        }
        key == Qt::Key_X ? field->cut() : key == Qt::Key_V ? field->paste() : field->selectAll();
        return true;
    default:
        return false;
    }
}

void EditorWindowController::redo()
{
    if (CanvasTextField* field = canvas_->textField()) {
        field->redo();
        return;
    }
    model_->redo();
}

std::optional<QImage> EditorWindowController::rendered() const
{
    const std::vector<Mark>& marks = model_->history().marks();
    return marks.empty() ? std::optional<QImage>(model_->renderer()->image())
                         : model_->renderer()->exportImage(marks);
}

void EditorWindowController::copyImage()
{
    if (const std::optional<QImage> image = rendered()) {
        EditorClipboard::copyImage(this, *image);
    }
}

// Read from the image as shown, so that the text under a redaction stays hidden.
void EditorWindowController::copyText()
{
    std::optional<QImage> image = rendered();
    if (!image) {
        return;
    }
    if (const std::optional<std::size_t> selected = model_->selection()) {
        const auto& renderer = model_->renderer();
        const Rect box = AnnotationGeometry::bounds(
            model_->history().marks()[*selected].annotation, renderer->style(),
            [&renderer](const std::string& text) { return renderer->textSize(text); });
        const QRect area =
            QRectF(box.minX(), box.minY(), box.width(), box.height()).toAlignedRect() & image->rect();
        if (!area.isEmpty()) {
            image = image->copy(area);
        }
    }
    EditorClipboard::copyText(this, *image, text_, QCursor::pos());
}

bool EditorWindowController::handlePlainKey(const QKeyEvent& event)
{
    const int key = event.key();
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && model_->selection()) {
        model_->deleteSelection();
        return true;
    }
    if (key == Qt::Key_Escape) {
        if (model_->selection()) {
            model_->setSelection(std::nullopt);
        } else {
            window_->close();
        }
        return true;
    }
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    if (key < Qt::Key_A || key > Qt::Key_Z) {
        return false;
    }
    const char letter = static_cast<char>('a' + (key - Qt::Key_A));
    const auto tool = editorToolForKey(std::string_view(&letter, 1));
    if (!tool) {
        return false;
    }
    model_->setTool(*tool);
    model_->setSelection(std::nullopt);
    return true;
}

void EditorWindowController::save()
{
    canvas_->finishText(true);
    if (model_->isSaving()) {
        return;
    }
    if (model_->history().marks().empty()) {
        window_->close();
        return;
    }
    model_->setSaving(true);
    write(EditorSave::Mode::checked, QByteArray());
}

// Encodes the marked image unless `bytes` already hold it, and writes it off the main thread. The
// marked image is painted a band at a time into the encoder and never held whole: the capture itself
// is the only full bitmap the save keeps.
void EditorWindowController::write(EditorSave::Mode mode, const QByteArray& bytes)
{
    struct Result {
        EditorSave::Outcome outcome;
        QByteArray bytes;
        std::optional<QImage> preview;
    };
    runInBackground(
        this,
        [path = path_, renderer = model_->renderer(), marks = model_->history().marks(), bytes,
         opened = opened_, mode, writer = writer_, preview = static_cast<bool>(onSave_)]() mutable -> Result {
            // The capture goes with the last reference to its renderer: when this returns, before the
            // window hears of the save and closes, not whenever the worker gets round to dropping it.
            const std::shared_ptr<AnnotationRenderer> held = std::exchange(renderer, nullptr);
            const QImage& image = held->image();
            const std::optional<QByteArray> encoded =
                bytes.isEmpty()
                    ? WebPEncoder::encodeRows(
                          image.size(), image.format(), WebPEncoder::hasTranslucentPixel(image),
                          [&](int top, QImage& band) { return held->paintRows(marks, top, band); })
                    : bytes;
            if (!encoded) {
                return {
                    EditorSave::Outcome{FileChange::none, QStringLiteral("couldn't encode the image"), path},
                    QByteArray(), std::nullopt};
            }
            Result result{EditorSave::write(path, *encoded, opened, mode, writer), *encoded, std::nullopt};
            if (preview && !result.outcome.error && result.outcome.change == FileChange::none &&
                result.outcome.path == path) {
                result.preview = held->exportPreview(marks, savedPreviewPixels);
            }
            return result;
        },
        [this](Result result) { saveEnded(result.outcome, result.bytes, result.preview); });
}

void EditorWindowController::saveEnded(const EditorSave::Outcome& outcome, const QByteArray& bytes,
                                       const std::optional<QImage>& preview)
{
    if (outcome.change != FileChange::none) {
        askBeforeWriting(outcome.change, bytes);
        return;
    }
    model_->setSaving(false);
    emit saveFinished(!outcome.error);
    if (outcome.error) {
        log().error("could not save edited capture: %{public}s", *outcome.error);
        showSaveError();
        return;
    }
    if (outcome.path != path_) {
        log().log("saved the edited capture as %{public}s", outcome.path);
    } else if (onSave_ && preview) {
        onSave_(*preview);
    }
    window_->close();
}

void EditorWindowController::askBeforeWriting(FileChange change, const QByteArray& bytes)
{
    QString text;
    switch (change) {
    case FileChange::gone:
        text = tr("The capture was moved or deleted");
        break;
    case FileChange::replaced:
        text = tr("The capture was changed by another program");
        break;
    case FileChange::readOnly:
        text = tr("The capture is read-only");
        break;
    case FileChange::none:
        return;
    }
    auto* question = new QMessageBox(QMessageBox::Question, tr("Edit capture"), text, QMessageBox::NoButton,
                                     window_.get());
    question->setInformativeText(tr("Save your edits over it, or as a new file beside it?"));
    QPushButton* overwrite = question->addButton(tr("Overwrite"), QMessageBox::DestructiveRole);
    QPushButton* asNew = question->addButton(tr("Save as New File"), QMessageBox::AcceptRole);
    question->addButton(QMessageBox::Cancel);
    question->setDefaultButton(asNew);
    question->setWindowModality(Qt::WindowModal);
    question->setAttribute(Qt::WA_DeleteOnClose);
    connect(question, &QMessageBox::buttonClicked, this,
            [this, overwrite, asNew, bytes](QAbstractButton* button) {
                if (button == overwrite || button == asNew) {
                    write(button == overwrite ? EditorSave::Mode::overwrite : EditorSave::Mode::asNewFile,
                          bytes);
                    return;
                }
                model_->setSaving(false);
            });
    question->open();
}

void EditorWindowController::showSaveError()
{
    auto* alert = new QMessageBox(QMessageBox::Warning, tr("Edit capture"), tr("Couldn't save the capture"),
                                  QMessageBox::Ok, window_.get());
    alert->setInformativeText(tr("Check that the file still exists and that its folder can be written to."));
    alert->setWindowModality(Qt::WindowModal);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->open();
}

void EditorWindowController::windowClosed()
{
    canvas_->finishText(false);
    if (onClose_) {
        onClose_();
    }
}

} // namespace quillet
