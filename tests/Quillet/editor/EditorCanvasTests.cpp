#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/CanvasTextField.hpp"
#include "Quillet/editor/EditorCanvasView.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace quillet {
namespace {

// A 2000 x 1000 capture at 2 pixels per point in a 1048 x 700 canvas: scale 0.5, image at (24, 100).
constexpr double zoom = 0.5;
constexpr QPointF imageOrigin(24, 100);

[[nodiscard]] QPointF view(Point image)
{
    return imageOrigin + QPointF(image.x, image.y) * zoom;
}

void sendMouse(QWidget& widget, QEvent::Type type, QPointF at, Qt::KeyboardModifiers modifiers = {})
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, modifiers);
    QApplication::sendEvent(&widget, &event);
}

void drag(QWidget& widget, Point from, Point to, Qt::KeyboardModifiers modifiers = {})
{
    sendMouse(widget, QEvent::MouseButtonPress, view(from), modifiers);
    sendMouse(widget, QEvent::MouseMove, (view(from) + view(to)) / 2, modifiers);
    sendMouse(widget, QEvent::MouseMove, view(to), modifiers);
    sendMouse(widget, QEvent::MouseButtonRelease, view(to), modifiers);
}

void type(QWidget& widget, int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = {})
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&widget, &event);
}

class EditorCanvasTest : public ::testing::Test {
protected:
    EditorCanvasTest() : model_(capture(), 2, store_), canvas_(model_) { canvas_.resize(1048, 700); }

    [[nodiscard]] static QImage capture()
    {
        QImage image(2000, 1000, QImage::Format_RGBA8888_Premultiplied);
        image.fill(Qt::white);
        return image;
    }

    brindle::InMemoryPreferenceStore store_;
    EditorModel model_;
    EditorCanvasView canvas_;
};

struct DragCase {
    const char* name;
    EditorTool tool;
    Annotation expected;
};

class EditorCanvasDrag : public EditorCanvasTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(EditorCanvasDrag, CreatesTheToolsMarkInImagePixels)
{
    model_.setTool(GetParam().tool);
    drag(canvas_, {100, 100}, {500, 300});

    ASSERT_EQ(model_.history().marks().size(), 1u);
    EXPECT_EQ(model_.history().marks()[0].annotation, GetParam().expected);
    EXPECT_FALSE(model_.draft());
    EXPECT_FALSE(model_.selection());
}

INSTANTIATE_TEST_SUITE_P(
    Tools, EditorCanvasDrag,
    ::testing::Values(
        // The head sits where the press was (the stored default direction).
        DragCase{"Arrow", EditorTool::arrow, Annotation::arrow({500, 300}, {100, 100})},
        DragCase{"NumberFollowsThePointer", EditorTool::number, Annotation::number({500, 300}, 1)},
        DragCase{"Highlight", EditorTool::highlight, Annotation::highlight(Rect{100, 100, 400, 200})},
        // 28-pixel blocks at 2 pixels per point: snapped outwards.
        DragCase{"RedactSnapsToBlocks", EditorTool::redact, Annotation::redact(Rect{84, 84, 420, 224})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorCanvasTest, PressesNearTheEdgeClampAndTooSmallDragsLeaveNothing)
{
    model_.setTool(EditorTool::number);
    // 6 points left of the image lands on its edge; 9 points left is outside the press margin.
    sendMouse(canvas_, QEvent::MouseButtonPress, view({0, 200}) - QPointF(6, 0));
    sendMouse(canvas_, QEvent::MouseButtonRelease, view({0, 200}) - QPointF(6, 0));
    sendMouse(canvas_, QEvent::MouseButtonPress, view({0, 200}) - QPointF(9, 0));
    sendMouse(canvas_, QEvent::MouseButtonRelease, view({0, 200}) - QPointF(9, 0));
    ASSERT_EQ(model_.history().marks().size(), 1u);
    EXPECT_EQ(model_.history().marks()[0].annotation, Annotation::number({0, 200}, 1));

    model_.setTool(EditorTool::arrow);
    drag(canvas_, {300, 300}, {303, 300});
    model_.setTool(EditorTool::redact);
    drag(canvas_, {300, 300}, {303, 320});
    EXPECT_EQ(model_.history().marks().size(), 1u);

    // Shift snaps an arrow to 45 degrees.
    model_.setTool(EditorTool::arrow);
    model_.setArrowHead(ArrowHead::atEnd);
    drag(canvas_, {0, 0}, {100, 90}, Qt::ShiftModifier);
    const auto* arrow = model_.history().marks().back().annotation.as<Annotation::Arrow>();
    ASSERT_NE(arrow, nullptr);
    EXPECT_NEAR(arrow->to.x, arrow->to.y, 1e-9);
}

TEST_F(EditorCanvasTest, GrabbingAMarkMovesItByTheImageDeltaAsOneUndoStep)
{
    model_.add(Mark(Annotation::arrow({200, 200}, {600, 200}), AnnotationColor::blue));
    model_.add(Mark(Annotation::highlight(Rect{1000, 500, 200, 100}), AnnotationColor::pink));
    model_.setTool(EditorTool::text);

    // Any tool grabs an arrow; 50 view points at zoom 0.5 are 100 image pixels.
    drag(canvas_, {400, 200}, {500, 260});
    EXPECT_EQ(model_.history().marks()[0],
              Mark(Annotation::arrow({300, 260}, {700, 260}), AnnotationColor::blue));
    EXPECT_EQ(model_.selection(), 0u);
    EXPECT_FALSE(model_.moving());

    // Boxes are grabbed only with their own tool: the arrow tool draws over a highlight instead.
    model_.setTool(EditorTool::arrow);
    drag(canvas_, {1100, 550}, {1150, 580});
    EXPECT_EQ(model_.history().marks().size(), 3u);
    model_.undo();
    model_.setTool(EditorTool::highlight);
    drag(canvas_, {1100, 550}, {1900, 990});
    EXPECT_EQ(model_.history().marks()[1].annotation, Annotation::highlight(Rect{1800, 900, 200, 100}))
        << "a moved box stops at the image edge";

    model_.undo();
    model_.undo();
    EXPECT_EQ(model_.history().marks()[0].annotation, Annotation::arrow({200, 200}, {600, 200}));
}

TEST_F(EditorCanvasTest, TypedTextBecomesAMarkAndUndoWhileTypingStaysInTheField)
{
    model_.setTool(EditorTool::text);
    model_.setColor(AnnotationColor::green);
    sendMouse(canvas_, QEvent::MouseButtonPress, view({100, 400}));
    sendMouse(canvas_, QEvent::MouseButtonRelease, view({100, 400}));
    CanvasTextField* field = canvas_.textField();
    ASSERT_NE(field, nullptr);

    type(*field, Qt::Key_H, QStringLiteral("H"));
    type(*field, Qt::Key_I, QStringLiteral("i"));
    type(*field, Qt::Key_Z, QString(), Qt::ControlModifier);
    EXPECT_TRUE(canvas_.isTyping());
    EXPECT_TRUE(model_.history().marks().empty());
    EXPECT_NE(field->text(), QStringLiteral("Hi"));

    // Pasted line breaks become spaces; a press elsewhere commits and does nothing else.
    field->setText(QStringLiteral("two\r\nwords"));
    const auto lineHeight = model_.renderer()->textSize("").height;
    sendMouse(canvas_, QEvent::MouseButtonPress, view({900, 900}));
    sendMouse(canvas_, QEvent::MouseButtonRelease, view({900, 900}));
    EXPECT_FALSE(canvas_.isTyping());
    ASSERT_EQ(model_.history().marks().size(), 1u);
    EXPECT_EQ(model_.history().marks()[0],
              Mark(Annotation::text({100, 400 - lineHeight / 2}, "two words"), AnnotationColor::green));

    // Escape drops the typing; switching tools commits it.
    sendMouse(canvas_, QEvent::MouseButtonPress, view({100, 700}));
    type(*canvas_.textField(), Qt::Key_A, QStringLiteral("a"));
    type(*canvas_.textField(), Qt::Key_Escape);
    EXPECT_FALSE(canvas_.isTyping());
    sendMouse(canvas_, QEvent::MouseButtonPress, view({100, 700}));
    type(*canvas_.textField(), Qt::Key_B, QStringLiteral("b"));
    model_.setTool(EditorTool::arrow);
    EXPECT_EQ(model_.history().marks().size(), 2u);
    EXPECT_EQ(model_.history().marks()[1].annotation.as<Annotation::Text>()->string, "b");
}

TEST_F(EditorCanvasTest, DrawsTheMarksWhereTheirPixelsAre)
{
    model_.add(Mark(Annotation::highlight(Rect{400, 400, 400, 200}), AnnotationColor::pink));
    model_.add(Mark(Annotation::number({1400, 500}, 1), AnnotationColor::blue));
    QImage shown(canvas_.size(), QImage::Format_ARGB32_Premultiplied);
    canvas_.render(&shown);

    EXPECT_EQ(shown.pixelColor(5, 5), QColor(33, 33, 33)) << "the background";
    EXPECT_EQ(shown.pixelColor(view({100, 100}).toPoint()), QColor(Qt::white)) << "the image";
    const QColor highlighted = shown.pixelColor(view({600, 500}).toPoint());
    EXPECT_NEAR(highlighted.red(), 255, 3);
    EXPECT_NEAR(highlighted.blue(), qRound(255 * (1 - 0.7 * 0.9)), 4) << "white multiplied by the yellow";
    const QColor badge = shown.pixelColor(view({1400, 500}).toPoint() - QPoint(9, 0));
    EXPECT_EQ(badge, QColor(0, 122, 255)) << "the blue disc around the digit";
}

// The canvas shows the very blocks a save writes: the mark's own block size and each block's colour,
// offsets included (over white, the offsets are all that tells blocks apart).
TEST_F(EditorCanvasTest, ShowsARedactionAsTheExportWritesIt)
{
    model_.setTool(EditorTool::redact);
    drag(canvas_, {100, 100}, {500, 300});
    ASSERT_EQ(model_.history().marks().size(), 1u);
    const std::optional<QImage> saved = model_.renderer()->exportImage(model_.history().marks());
    ASSERT_TRUE(saved.has_value());
    QImage shown(canvas_.size(), QImage::Format_ARGB32_Premultiplied);
    canvas_.render(&shown);

    // 420 x 224 pixels: a quarter of 224 takes blocks of two 28-pixel grid steps.
    constexpr int block = 56;
    QSet<QRgb> colours;
    for (int y = 84 + 14; y < 84 + 224; y += block / 2) {
        for (int x = 84 + 14; x < 84 + 420; x += block / 2) {
            const QPoint centre(x / block * block + block / 2, y / block * block + block / 2);
            const QColor written = saved->pixelColor(centre);
            const QColor seen = shown.pixelColor(view({double(centre.x()), double(centre.y())}).toPoint());
            EXPECT_NEAR(seen.red(), written.red(), 1) << centre.x() << ", " << centre.y();
            EXPECT_NEAR(seen.blue(), written.blue(), 1) << centre.x() << ", " << centre.y();
            colours.insert(written.rgb());
        }
    }
    EXPECT_GE(colours.size(), 3) << "the blocks carry no offsets to compare";
}

} // namespace
} // namespace quillet
