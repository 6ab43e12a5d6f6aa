#pragma once

#include "Quillet/editor/CanvasMarkLayers.hpp"
#include "core/CanvasFit.hpp"
#include "core/EditorTool.hpp"
#include "core/Geometry.hpp"
#include "core/Mark.hpp"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace quillet {

class CanvasTextField;
class CanvasTool;
class EditorModel;

// The view the user draws in: the capture centred on a dark grey background with its marks, presses
// and drags turned into drafts, selections and moves on the model, and the inline field for text
// marks. Geometry is in view points (the widget's logical pixels) and image pixels.
class EditorCanvasView : public QWidget {
    Q_OBJECT

public:
    static constexpr double padding = 24;
    // Presses this close outside the image still land on its edge.
    static constexpr double pressMargin = 8;
    // How near a mark a press must be to grab it, in view points.
    static constexpr double grabTolerance = 4;

    // `model` must outlive the canvas.
    explicit EditorCanvasView(EditorModel& model, QWidget* parent = nullptr);
    ~EditorCanvasView() override;

    [[nodiscard]] CanvasFit fit() const;
    // The image's place in the view.
    [[nodiscard]] QRectF imageFrame() const;

    // What is drawn: the committed marks with the moved copy in place of the selected mark, then the
    // draft, then the text being typed.
    [[nodiscard]] std::vector<Mark> visibleMarks() const;

    [[nodiscard]] bool isTyping() const;
    // The inline field while text is typed, else null.
    [[nodiscard]] CanvasTextField* textField() const;
    // Ends the typing; with `commit` the text becomes a mark (blank text is dropped). Nothing happens
    // when no text is typed.
    void finishText(bool commit);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void modelChanged();
    void beginText(Point at);
    void placeTextField();
    void updateCursor();
    void dragTo(Point point, bool constrained);

    [[nodiscard]] Rect imageBounds() const;
    [[nodiscard]] Point imagePoint(QPointF viewPoint) const;
    [[nodiscard]] Point clampedImagePoint(QPointF viewPoint) const;
    [[nodiscard]] std::optional<std::size_t> markAt(Point imagePoint) const;
    [[nodiscard]] std::optional<Mark> typedMark() const;

    [[nodiscard]] const QImage& backdrop(double pixelRatio);
    [[nodiscard]] std::optional<std::size_t> changingMark() const;
    void paintSelectionFrame(QPainter& painter, const CanvasFit& fit) const;
    void paintTextFrame(QPainter& painter, const CanvasFit& fit) const;
    void paintCaret(QPainter& painter, const CanvasFit& fit) const;
    [[nodiscard]] QImage makeBackdrop(const QSize& size, double pixelRatio) const;

    EditorModel& model_;
    EditorTool tool_;
    std::unique_ptr<CanvasTool> canvasTool_;
    std::optional<Point> dragStart_;
    std::optional<Mark> grabbed_;
    std::optional<Point> textOrigin_;
    QPointer<CanvasTextField> textField_;
    // The background, the image's card and the image scaled to the view, made again only when the
    // view's size changes: a repaint while dragging draws it once and then only the marks.
    QImage backdrop_;
    CanvasMarkLayers layers_;
};

} // namespace quillet
