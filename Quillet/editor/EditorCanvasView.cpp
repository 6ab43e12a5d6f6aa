#include "Quillet/editor/EditorCanvasView.hpp"

#include "Brindle/SystemFont.hpp"
#include "Quillet/common/QtGeometry.hpp"
#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/CanvasCard.hpp"
#include "Quillet/editor/CanvasMarkLayers.hpp"
#include "Quillet/editor/CanvasTextField.hpp"
#include "Quillet/editor/CanvasTool.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "Quillet/editor/TextLine.hpp"
#include "core/AnnotationGeometry.hpp"
#include "core/UnicodeText.hpp"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace quillet {

namespace {

const QColor backgroundColor = QColor::fromRgbF(0.13f, 0.13f, 0.13f);

constexpr double selectionInset = 5;
constexpr double textFrameVerticalInset = 3;
constexpr double frameRadius = 4;
const QColor frameShadeColor = QColor::fromRgbF(0, 0, 0, 0.35f);
constexpr double minimumTextFrameWidth = 2;

// The field sits 2 points left of the text, as a field's text inset puts its first glyph there.
constexpr double fieldTextInset = 2;
constexpr double fieldExtraWidth = 24;
// QLineEdit keeps one pixel above and below the line.
constexpr double fieldVerticalMargin = 1;
constexpr double caretWidth = 2;
constexpr double selectionAlpha = 0.3;

[[nodiscard]] QColor qtColor(AnnotationColor color, double alpha = 1.0)
{
    const RgbComponents c = rgb(color);
    return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green),
                            static_cast<float>(c.blue), static_cast<float>(alpha));
}

// A thin dark line under a dashed white one reads on any image.
void strokeFrame(QPainter& painter, const QRectF& frame)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(frameShadeColor, 1));
    painter.drawRoundedRect(frame, frameRadius, frameRadius);
    QPen dashes(Qt::white, 1);
    dashes.setDashPattern({4, 3});
    painter.setPen(dashes);
    painter.drawRoundedRect(frame, frameRadius, frameRadius);
    painter.restore();
}

[[nodiscard]] QRectF viewRect(const CanvasFit& fit, const Rect& image)
{
    return {fit.origin.x + image.minX() * fit.scale, fit.origin.y + image.minY() * fit.scale,
            image.width() * fit.scale, image.height() * fit.scale};
}

} // namespace

EditorCanvasView::EditorCanvasView(EditorModel& model, QWidget* parent)
    : QWidget(parent), model_(model), tool_(model.tool()), canvasTool_(CanvasTool::make(model.tool()))
{
    // Focus is taken by hand on a press, after a press has ended any typing.
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&model_, &EditorModel::changed, this, &EditorCanvasView::modelChanged);
}

EditorCanvasView::~EditorCanvasView() = default;

bool EditorCanvasView::isTyping() const
{
    return textField_ != nullptr;
}

CanvasTextField* EditorCanvasView::textField() const
{
    return textField_;
}

CanvasFit EditorCanvasView::fit() const
{
    const QImage& image = model_.renderer()->image();
    return CanvasFit({static_cast<double>(image.width()), static_cast<double>(image.height())},
                     {static_cast<double>(width()), static_cast<double>(height())}, model_.pixelsPerPoint(),
                     padding);
}

QRectF EditorCanvasView::imageFrame() const
{
    return viewRect(fit(), imageBounds());
}

Rect EditorCanvasView::imageBounds() const
{
    const QImage& image = model_.renderer()->image();
    return {0, 0, static_cast<double>(image.width()), static_cast<double>(image.height())};
}

Point EditorCanvasView::imagePoint(QPointF viewPoint) const
{
    return fit().imagePoint(fromQt(viewPoint));
}

Point EditorCanvasView::clampedImagePoint(QPointF viewPoint) const
{
    const Point p = imagePoint(viewPoint);
    const Rect bounds = imageBounds();
    return {std::clamp(p.x, 0.0, bounds.width()), std::clamp(p.y, 0.0, bounds.height())};
}

std::optional<std::size_t> EditorCanvasView::markAt(Point imagePoint) const
{
    const auto& renderer = model_.renderer();
    return AnnotationGeometry::hitIndex(
        imagePoint, model_.history().marks(), model_.tool(), renderer->style(), grabTolerance / fit().scale,
        [&renderer](const std::string& text) { return renderer->textSize(text); });
}

std::optional<Mark> EditorCanvasView::typedMark() const
{
    if (!textField_ || !textOrigin_) {
        return std::nullopt;
    }
    const std::string text = UnicodeText::newlinesAsSpaces(textField_->text().toStdString());
    return Mark(Annotation::text(*textOrigin_, text), model_.color());
}

std::vector<Mark> EditorCanvasView::visibleMarks() const
{
    std::vector<Mark> marks = model_.history().marks();
    const auto selection = model_.selection();
    if (selection && model_.moving() && *selection < marks.size()) {
        marks[*selection] = *model_.moving();
    }
    if (model_.draft()) {
        marks.push_back(*model_.draft());
    }
    if (const auto typed = typedMark()) {
        marks.push_back(*typed);
    }
    return marks;
}

// Pointer.

void EditorCanvasView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (isTyping()) {
        finishText(true);
        setFocus(Qt::MouseFocusReason);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPointF position = event->position();
    const QRectF reach = imageFrame().adjusted(-pressMargin, -pressMargin, pressMargin, pressMargin);
    if (!reach.contains(position) || model_.isSaving()) {
        return;
    }
    const Point q = clampedImagePoint(position);
    dragStart_ = q;
    if (const auto index = markAt(q)) {
        model_.setSelection(index);
        grabbed_ = model_.history().marks()[*index];
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    model_.setSelection(std::nullopt);
    const CanvasToolContext context{model_, imageBounds(), [this](Point at) { beginText(at); }};
    std::optional<Mark> draft = canvasTool_->press(q, context);
    if (!draft) {
        dragStart_.reset();
        return;
    }
    model_.setDraft(std::move(draft));
}

void EditorCanvasView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragStart_ || !(event->buttons() & Qt::LeftButton)) {
        updateCursor();
        return;
    }
    dragTo(clampedImagePoint(event->position()), event->modifiers().testFlag(Qt::ShiftModifier));
}

void EditorCanvasView::dragTo(Point q, bool constrained)
{
    const Point s = *dragStart_;
    if (grabbed_) {
        const int block = model_.renderer()->style().redactBlockPixels();
        model_.setMoving(Mark(grabbed_->annotation.moved(q - s, imageBounds(), block), grabbed_->color));
        return;
    }
    if (!model_.draft()) {
        return;
    }
    const CanvasToolContext context{model_, imageBounds(), [this](Point at) { beginText(at); }};
    Mark draft = *model_.draft();
    draft.annotation = canvasTool_->drag(draft.annotation, s, q, constrained, context);
    model_.setDraft(std::move(draft));
}

void EditorCanvasView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (grabbed_) {
        model_.finishMoving();
        grabbed_.reset();
    }
    if (const std::optional<Mark> draft = model_.draft()) {
        model_.add(*draft);
        model_.setSelection(std::nullopt);
    }
    model_.setDraft(std::nullopt);
    dragStart_.reset();
    updateCursor();
}

void EditorCanvasView::updateCursor()
{
    if (isTyping()) {
        return;
    }
    if (grabbed_) {
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    const QPointF p = mapFromGlobal(QCursor::pos());
    if (!imageFrame().contains(p) || model_.isSaving()) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    setCursor(markAt(imagePoint(p)) ? Qt::OpenHandCursor : canvasTool_->cursor());
}

void EditorCanvasView::modelChanged()
{
    if (model_.tool() != tool_) {
        tool_ = model_.tool();
        canvasTool_ = CanvasTool::make(tool_);
        finishText(true);
    }
    updateCursor();
    update();
}

void EditorCanvasView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    backdrop_ = QImage();
    if (isTyping()) {
        placeTextField();
    }
    updateCursor();
}

// Text.

void EditorCanvasView::beginText(Point at)
{
    const TextLine line(QString(), model_.renderer()->style().textFontSize(), QFont::Bold);
    const double lineHeight = line.ascent() + line.descent();
    const double imageHeight = imageBounds().height();
    textOrigin_ =
        Point{at.x, std::min(std::max(imageHeight - lineHeight, 0.0), std::max(at.y - lineHeight / 2, 0.0))};

    auto* field = new CanvasTextField(this);
    textField_ = field;
    connect(field, &QLineEdit::textChanged, this, [this] {
        placeTextField();
        update();
    });
    connect(field, &QLineEdit::cursorPositionChanged, this, qOverload<>(&QWidget::update));
    connect(field, &QLineEdit::selectionChanged, this, qOverload<>(&QWidget::update));
    connect(field, &QLineEdit::returnPressed, this, [this] {
        finishText(true);
        setFocus(Qt::OtherFocusReason);
    });
    connect(field, &CanvasTextField::cancelled, this, [this] {
        finishText(false);
        setFocus(Qt::OtherFocusReason);
    });
    connect(field, &CanvasTextField::focusLeft, this, [this] { finishText(true); });
    placeTextField();
    field->show();
    field->setFocus(Qt::OtherFocusReason);
    update();
}

void EditorCanvasView::placeTextField()
{
    if (!textField_ || !textOrigin_) {
        return;
    }
    const CanvasFit f = fit();
    const double imageFontSize = model_.renderer()->style().textFontSize();
    const TextLine line(textField_->text(), imageFontSize, QFont::Bold);
    const QFont font = brindle::SystemFont::font(f.scale * imageFontSize, QFont::Bold, this);
    textField_->setFont(font);
    const QFontMetricsF metrics(font);
    const double baseline = f.origin.y + textOrigin_->y * f.scale + f.scale * line.ascent();
    const QRectF frame(f.origin.x + textOrigin_->x * f.scale - fieldTextInset,
                       baseline - fieldVerticalMargin - metrics.ascent(),
                       f.scale * line.typographicWidth() + fieldExtraWidth,
                       metrics.height() + 2 * fieldVerticalMargin);
    textField_->setGeometry(frame.toAlignedRect());
}

void EditorCanvasView::finishText(bool commit)
{
    if (!textField_ || !textOrigin_) {
        return;
    }
    const std::optional<Mark> typed = typedMark();
    CanvasTextField* field = textField_;
    textField_ = nullptr;
    textOrigin_.reset();
    // This may run inside one of the field's own signals, so it goes once control is back in the loop.
    field->disconnect(this);
    field->hide();
    field->deleteLater();
    if (commit && typed) {
        model_.add(*typed);
        model_.setSelection(std::nullopt);
    }
    update();
}

// Painting.

QImage EditorCanvasView::makeBackdrop(const QSize& size, double pixelRatio) const
{
    QImage backdrop(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    if (backdrop.isNull()) {
        return backdrop;
    }
    backdrop.setDevicePixelRatio(pixelRatio);
    backdrop.fill(backgroundColor);
    const QRectF frame = imageFrame();
    CanvasCard::paint(backdrop, frame, backgroundColor);
    QPainter painter(&backdrop);
    painter.setRenderHint(QPainter::Antialiasing);

    // Scaled once, with area averaging, rather than resampled on every paint.
    const QImage& image = model_.renderer()->image();
    const QSize target = (frame.size() * pixelRatio).toSize().expandedTo(QSize(1, 1));
    QImage scaled = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(frame, scaled);
    return backdrop;
}

const QImage& EditorCanvasView::backdrop(double pixelRatio)
{
    if (backdrop_.isNull() || backdrop_.deviceIndependentSize().toSize() != size() ||
        backdrop_.devicePixelRatio() != pixelRatio) {
        backdrop_ = makeBackdrop(size(), pixelRatio);
    }
    return backdrop_;
}

std::optional<std::size_t> EditorCanvasView::changingMark() const
{
    if (model_.moving() && model_.selection()) {
        return model_.selection();
    }
    if (model_.draft()) {
        return model_.history().marks().size();
    }
    return std::nullopt;
}

void EditorCanvasView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const CanvasFit f = fit();
    const QImage& ready = backdrop(painter.device()->devicePixelRatioF());
    if (ready.isNull()) {
        painter.fillRect(rect(), backgroundColor);
        return;
    }
    const QRectF frame = imageFrame();
    layers_.paint(painter, ready, visibleMarks(), changingMark(), *model_.renderer(),
                  [frame, f](QPainter& image) {
                      image.setClipRect(frame, Qt::IntersectClip);
                      image.translate(f.origin.x, f.origin.y);
                      image.scale(f.scale, f.scale);
                      image.setRenderHint(QPainter::SmoothPixmapTransform);
                  });

    paintSelectionFrame(painter, f);
    paintTextFrame(painter, f);
    paintCaret(painter, f);
}

void EditorCanvasView::paintSelectionFrame(QPainter& painter, const CanvasFit& f) const
{
    const auto selection = model_.selection();
    const auto& marks = model_.history().marks();
    if (!selection || *selection >= marks.size()) {
        return;
    }
    const Mark& mark = model_.moving() ? *model_.moving() : marks[*selection];
    const auto& renderer = model_.renderer();
    const Rect bounds =
        AnnotationGeometry::bounds(mark.annotation, renderer->style(),
                                   [&renderer](const std::string& text) { return renderer->textSize(text); });
    strokeFrame(painter, viewRect(f, bounds).adjusted(-selectionInset, -selectionInset, selectionInset,
                                                      selectionInset));
}

void EditorCanvasView::paintTextFrame(QPainter& painter, const CanvasFit& f) const
{
    const std::optional<Mark> typed = typedMark();
    if (!typed) {
        return;
    }
    const auto* text = typed->annotation.as<Annotation::Text>();
    const Size size = model_.renderer()->textSize(text->string);
    QRectF frame = viewRect(f, Rect(text->origin, size));
    frame.setWidth(std::max(frame.width(), minimumTextFrameWidth));
    strokeFrame(painter, frame.adjusted(-selectionInset, -textFrameVerticalInset, selectionInset,
                                        textFrameVerticalInset));
}

void EditorCanvasView::paintCaret(QPainter& painter, const CanvasFit& f) const
{
    if (!textField_ || !textOrigin_) {
        return;
    }
    // Measured with the renderer's own text metrics, so the caret stands exactly after the glyph
    // drawn before it.
    const auto& renderer = model_.renderer();
    const QString text = textField_->text();
    const auto offsetAt = [&](int position) {
        return renderer->textSize(UnicodeText::newlinesAsSpaces(text.left(position).toStdString())).width;
    };
    const double lineHeight = renderer->textSize(std::string()).height;
    if (textField_->hasSelectedText()) {
        const int start = textField_->selectionStart();
        const double left = offsetAt(start);
        const double right = offsetAt(textField_->selectionEnd());
        painter.fillRect(viewRect(f, Rect(textOrigin_->x + left, textOrigin_->y, right - left, lineHeight)),
                         qtColor(model_.color(), selectionAlpha));
    }
    const QRectF line = viewRect(
        f, Rect(textOrigin_->x + offsetAt(textField_->cursorPosition()), textOrigin_->y, 0, lineHeight));
    painter.fillRect(QRectF(line.left() - caretWidth / 2, line.top(), caretWidth, line.height()),
                     qtColor(model_.color()));
}

} // namespace quillet
