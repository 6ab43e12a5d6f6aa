#include "Quillet/editor/EditorCanvasView.hpp"
#include "Quillet/editor/EditorImageDecoder.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "Quillet/editor/EditorWindow.hpp"
#include "Quillet/editor/EditorWindowController.hpp"
#include "Quillet/editor/EditorWindows.hpp"
#include "Quillet/library/WebPEncoder.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "tests/support/WaitFor.hpp"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QUrl>

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
    EXPECT_EQ(model.history().marks().size(), 2u) << "there is no redo";

    model.setSelection(1);
    press(canvas, Qt::Key_Escape);
    EXPECT_FALSE(model.selection());
    EXPECT_TRUE(controller->window().isVisible());
    press(canvas, Qt::Key_Escape);
    EXPECT_FALSE(controller->window().isVisible());
    EXPECT_EQ(closes_, 1);
    EXPECT_FALSE(saved_) << "closing discards the marks without saving";
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
    ASSERT_TRUE(waitFor([&] { return alertOf(controller->window()) != nullptr; }));
    EXPECT_EQ(alertOf(controller->window())->text(), QStringLiteral("Couldn't save the capture"));
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
