#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/EditorCanvasView.hpp"
#include "Quillet/editor/EditorImageDecoder.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "Quillet/editor/EditorWindow.hpp"
#include "Quillet/editor/EditorWindowController.hpp"
#include "Quillet/editor/EditorWindows.hpp"
#include "Quillet/library/FileIdentity.hpp"
#include "Quillet/library/WebPEncoder.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "tests/support/WaitFor.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace quillet {
namespace {

using quillet::testing::waitFor;

[[nodiscard]] QImage capture()
{
    QImage image(400, 300, QImage::Format_RGBA8888_Premultiplied);
    image.fill(QColor(200, 210, 220));
    return image;
}

[[nodiscard]] bool writeCapture(const QString& path)
{
    const std::optional<QByteArray> bytes = WebPEncoder::encode(capture());
    QFile file(path);
    return bytes && file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size();
}

[[nodiscard]] QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void press(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = {}, const QString& text = {})
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&widget, &event);
}

[[nodiscard]] QMessageBox* alertOf(QWidget& window)
{
    return window.findChild<QMessageBox*>();
}

[[nodiscard]] QAbstractButton& buttonNamed(QMessageBox& box, const char* text)
{
    for (QAbstractButton* button : box.buttons()) {
        if (button->text().remove(QLatin1Char('&')) == QLatin1String(text)) {
            return *button;
        }
    }
    ADD_FAILURE() << "no button " << text;
    return *box.buttons().front();
}

class EditorWindowControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        subfolder_ = folder_.filePath(QStringLiteral("captures"));
        ASSERT_TRUE(QDir().mkpath(subfolder_));
        path_ = QDir(subfolder_).filePath(QStringLiteral("Screenshot.webp"));
        ASSERT_TRUE(writeCapture(path_));
    }

    [[nodiscard]] std::unique_ptr<EditorWindowController> makeController()
    {
        auto controller = std::make_unique<EditorWindowController>(
            path_, capture(), 2, [this](const QImage& image) { saved_ = image; }, store_);
        controller->setOnClose([this] { ++closes_; });
        return controller;
    }

    QTemporaryDir folder_;
    QString subfolder_;
    QString path_;
    brindle::InMemoryPreferenceStore store_;
    std::optional<QImage> saved_;
    int closes_ = 0;
};

TEST_F(EditorWindowControllerTest, KeysSelectToolsDeleteDeselectAndClose)
{
    auto controller = makeController();
    EditorModel& model = controller->model();
    controller->show();
    QWidget& canvas = controller->canvas();
    EXPECT_EQ(controller->window().windowTitle(), QStringLiteral("Edit capture — Screenshot"));

    press(canvas, Qt::Key_H, {}, QStringLiteral("h"));
    EXPECT_EQ(model.tool(), EditorTool::highlight);
    press(canvas, Qt::Key_R, Qt::AltModifier, QStringLiteral("r"));
    press(canvas, Qt::Key_N, Qt::ShiftModifier, QStringLiteral("N"));
    EXPECT_EQ(model.tool(), EditorTool::number) << "Alt+letter does nothing, Shift is allowed";

    model.add(Mark(Annotation::number({50, 50}, 1), AnnotationColor::pink));
    model.add(Mark(Annotation::number({90, 50}, 2), AnnotationColor::pink));
    press(canvas, Qt::Key_Delete);
    EXPECT_EQ(model.history().marks().size(), 2u) << "Delete without a selection does nothing";
    model.setSelection(0);
    press(canvas, Qt::Key_Backspace);
    ASSERT_EQ(model.history().marks().size(), 1u);
    EXPECT_EQ(model.history().marks()[0].annotation, Annotation::number({90, 50}, 1));
    press(canvas, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(model.history().marks().size(), 2u);
    press(canvas, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(model.history().marks().size(), 1u) << "Ctrl+Shift+Z redoes the deletion";
    press(canvas, Qt::Key_Z, Qt::ControlModifier);
    press(canvas, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(model.history().marks().size(), 1u) << "Ctrl+Y redoes it too";
    EXPECT_FALSE(model.history().canRedo());
    press(canvas, Qt::Key_Z, Qt::ControlModifier);

    model.setSelection(1);
    press(canvas, Qt::Key_Escape);
    EXPECT_FALSE(model.selection());
    EXPECT_TRUE(controller->window().isVisible());
    press(canvas, Qt::Key_Escape);
    EXPECT_FALSE(controller->window().isVisible());
    EXPECT_EQ(closes_, 1);
    EXPECT_FALSE(saved_) << "closing discards the marks without saving";
}

// Answers with fixed text and keeps the size of what it was asked to read; may be asked off the main
// thread.
class SizeRecordingRecognizer final : public TextRecognizer {
public:
    [[nodiscard]] QString unavailableReason() const override { return {}; }
    [[nodiscard]] std::optional<QString> read(const QImage& image) const override
    {
        *asked = image.size();
        return QStringLiteral("Total 42");
    }
    std::shared_ptr<QSize> asked = std::make_shared<QSize>();
};

// Ctrl+C copies the image as it would be saved; Ctrl+Shift+C the text of the selected mark's box, or
// of the whole image without a selection.
TEST_F(EditorWindowControllerTest, CopyKeysCopyTheMarkedImageAndTheTextOfTheSelection)
{
    auto controller = makeController();
    auto recognizer = std::make_shared<SizeRecordingRecognizer>();
    const std::shared_ptr<QSize> asked = recognizer->asked;
    controller->setTextRecognizer(recognizer);
    EditorModel& model = controller->model();
    controller->show();
    QWidget& canvas = controller->canvas();
    model.add(Mark(Annotation::number({50, 50}, 1), AnnotationColor::pink));
    QClipboard& clipboard = *QGuiApplication::clipboard();
    clipboard.clear();

    press(canvas, Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] {
        const QMimeData* data = clipboard.mimeData();
        return data != nullptr && data->hasFormat(QStringLiteral("image/png"));
    }));
    QImage pasted;
    ASSERT_TRUE(pasted.loadFromData(clipboard.mimeData()->data(QStringLiteral("image/png")), "PNG"));
    const std::optional<QImage> marked = model.renderer()->exportImage(model.history().marks());
    ASSERT_TRUE(marked);
    EXPECT_EQ(pasted.convertToFormat(QImage::Format_ARGB32), marked->convertToFormat(QImage::Format_ARGB32))
        << "the marks are in the copy";

    press(canvas, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(waitFor([&] { return clipboard.text() == QStringLiteral("Total 42"); }));
    EXPECT_EQ(*asked, capture().size()) << "without a selection, the whole image";

    clipboard.clear();
    model.setSelection(0);
    press(canvas, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(waitFor([&] { return clipboard.text() == QStringLiteral("Total 42"); }));
    EXPECT_LT(asked->width(), capture().width()) << "only the selected mark's box is read";
    EXPECT_GT(asked->width(), 0);
}

TEST_F(EditorWindowControllerTest, FailedSaveKeepsEverythingAndARetrySucceeds)
{
    auto controller = makeController();
    controller->show();
    EditorModel& model = controller->model();
    model.add(Mark(Annotation::highlight(Rect{0, 0, 200, 300}), AnnotationColor::pink));
    const QByteArray before = contents(path_);
    ASSERT_TRUE(QDir(subfolder_).removeRecursively());

    press(controller->canvas(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(model.isSaving());
    press(controller->canvas(), Qt::Key_S, Qt::ControlModifier);
    // The file is gone with its folder: the user is asked first, and a save over it then fails.
    ASSERT_TRUE(waitFor([&] { return alertOf(controller->window()) != nullptr; }));
    EXPECT_EQ(alertOf(controller->window())->text(), QStringLiteral("The capture was moved or deleted"));
    buttonNamed(*alertOf(controller->window()), "Overwrite").click();
    ASSERT_TRUE(waitFor([&] {
        return alertOf(controller->window()) != nullptr &&
               alertOf(controller->window())->text() == QStringLiteral("Couldn't save the capture");
    }));
    EXPECT_FALSE(model.isSaving());
    EXPECT_TRUE(controller->window().isVisible());
    EXPECT_EQ(model.history().marks().size(), 1u);
    EXPECT_TRUE(model.history().canUndo());
    EXPECT_FALSE(saved_);
    alertOf(controller->window())->close();
    ASSERT_TRUE(waitFor([&] { return alertOf(controller->window()) == nullptr; }));

    ASSERT_TRUE(QDir().mkpath(subfolder_));
    ASSERT_TRUE(writeCapture(path_));
    controller->perform(EditorModel::Command::save);
    ASSERT_TRUE(waitFor([&] { return saved_.has_value(); }));
    EXPECT_FALSE(controller->window().isVisible());
    EXPECT_EQ(closes_, 1);
    const std::optional<QImage> written = EditorImageDecoder::read(path_);
    ASSERT_TRUE(written);
    EXPECT_NE(contents(path_), before);
    EXPECT_EQ(written->size(), QSize(400, 300));
    EXPECT_LT(qBlue(written->pixel(100, 150)), 120) << "the highlight is in the file";
    EXPECT_GT(qBlue(written->pixel(300, 150)), 200) << "outside it the capture is unchanged";
    EXPECT_EQ(saved_->size(), QSize(400, 300));
    EXPECT_EQ(QDir(subfolder_).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Screenshot.webp")})
        << "no temporary file is left behind";
}

// A save never writes blindly over a file that is no longer the one read: the user is asked, and
// keys meanwhile leave the image alone. A link put in the file's place is never written through.
TEST_F(EditorWindowControllerTest, ASaveOverAFileChangedSinceItWasReadAsksFirst)
{
    const QString victim = folder_.filePath(QStringLiteral("victim.txt"));
    const QString edited = QDir(subfolder_).filePath(QStringLiteral("Screenshot (edited).webp"));
    struct Case {
        const char* name;
        std::function<void()> change;
        const char* question; // nullptr: no question, the file is saved over
        const char* answer;
        bool fileHasTheEdit;
        bool newFileHasTheEdit;
        bool beforeOpening = false; // the file was so already when the editor read it
    };
    const Case cases[] = {
        {"unchanged", [] {}, nullptr, nullptr, true, false},
        {"written by another program",
         [&] {
             QFile file(path_);
             ASSERT_TRUE(file.open(QIODevice::Append));
             file.write("more");
         },
         "The capture was changed by another program", "Cancel", false, false},
        {"a link put in its place",
         [&] {
             QFile target(victim);
             ASSERT_TRUE(target.open(QIODevice::WriteOnly));
             target.write("keep me");
             target.close();
             ASSERT_TRUE(QFile::remove(path_));
             ASSERT_TRUE(QFile::link(victim, path_));
         },
         "The capture was changed by another program", "Overwrite", true, false},
        {"read-only",
         [&] { ASSERT_TRUE(QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::ReadOther)); },
         "The capture is read-only", "Save as New File", false, true, true},
        {"trashed from its card", [&] { ASSERT_TRUE(QFile::remove(path_)); }, "The capture was moved or deleted",
         "Save as New File", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path_);
        QFile::remove(edited);
        ASSERT_TRUE(writeCapture(path_));
        if (c.beforeOpening) {
            c.change();
        }
        auto controller = makeController();
        controller->setOpenedIdentity(FileIdentity::of(path_));
        controller->show();
        EditorModel& model = controller->model();
        model.add(Mark(Annotation::highlight(Rect{0, 0, 200, 300}), AnnotationColor::pink));
        if (!c.beforeOpening) {
            c.change();
        }
        const QByteArray before = contents(path_);

        controller->perform(EditorModel::Command::save);
        if (c.question != nullptr) {
            ASSERT_TRUE(waitFor([&] { return alertOf(controller->window()) != nullptr; }));
            QMessageBox& question = *alertOf(controller->window());
            EXPECT_EQ(question.text(), QString::fromLatin1(c.question));
            press(controller->canvas(), Qt::Key_Z, Qt::ControlModifier);
            controller->perform(EditorModel::Command::deleteSelection);
            EXPECT_EQ(model.history().marks().size(), 1u) << "a key changed the image being saved";
            buttonNamed(question, c.answer).click();
        }
        const bool written = c.fileHasTheEdit || c.newFileHasTheEdit;
        ASSERT_TRUE(waitFor([&] { return !model.isSaving(); }));
        EXPECT_EQ(controller->window().isVisible(), !written);
        const auto hasTheEdit = [](const QString& path) {
            const std::optional<QImage> image = EditorImageDecoder::read(path);
            return image && qBlue(image->pixel(100, 150)) < 120;
        };
        EXPECT_EQ(hasTheEdit(path_), c.fileHasTheEdit);
        EXPECT_EQ(hasTheEdit(edited), c.newFileHasTheEdit);
        if (!c.fileHasTheEdit) {
            EXPECT_EQ(contents(path_), before) << "the file was written without the user's word";
        }
        EXPECT_FALSE(QFileInfo(path_).isSymLink());
        if (QFileInfo::exists(victim)) {
            EXPECT_EQ(contents(victim), "keep me") << "written through the link";
        }
        QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

TEST_F(EditorWindowControllerTest, SavingWithoutMarksClosesWithoutWriting)
{
    auto controller = makeController();
    controller->show();
    const QByteArray before = contents(path_);
    controller->save();
    EXPECT_FALSE(controller->window().isVisible());
    EXPECT_EQ(contents(path_), before);
    EXPECT_FALSE(saved_);
}

TEST_F(EditorWindowControllerTest, OpeningTwiceRaisesOneWindowAndAnUnreadableFileOnlyBeeps)
{
    EditorWindows editor(store_);
    int beeps = 0;
    editor.setBeep([&] { ++beeps; });
    int opened = 0;
    QObject::connect(&editor, &EditorWindows::opened, [&] { ++opened; });

    editor.open(QUrl::fromLocalFile(path_), 2, nullptr);
    editor.open(QUrl::fromLocalFile(path_), 2, nullptr);
    ASSERT_TRUE(waitFor([&] { return opened == 1; }));
    editor.open(QUrl::fromLocalFile(path_), 2, nullptr);
    EXPECT_EQ(editor.controllers().size(), 1u);

    const QString broken = QDir(subfolder_).filePath(QStringLiteral("broken.webp"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents(path_).left(100));
    file.close();
    editor.open(QUrl::fromLocalFile(broken), 2, nullptr);
    ASSERT_TRUE(waitFor([&] { return beeps == 1; }));
    EXPECT_EQ(editor.controllers().size(), 1u);

    editor.controllers().front()->window().close();
    EXPECT_TRUE(editor.controllers().empty());
}

} // namespace
} // namespace quillet
