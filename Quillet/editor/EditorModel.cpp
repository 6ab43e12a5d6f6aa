#include "Quillet/editor/EditorModel.hpp"

#include "Quillet/editor/AnnotationRenderer.hpp"
#include "core/AnnotationGeometry.hpp"
#include "core/AnnotationStyle.hpp"

#include <string>

namespace quillet {

namespace {

const brindle::Preference<ArrowHead> arrowHeadPreference{"arrowHead", defaultArrowHead};

} // namespace

EditorModel::EditorModel(const QImage& image, double pixelsPerPoint, brindle::PreferenceStore& preferences,
                         QObject* parent)
    : QObject(parent), pixelsPerPoint_(AnnotationStyle(pixelsPerPoint).scale), preferences_(preferences),
      renderer_(std::make_shared<AnnotationRenderer>(image, AnnotationStyle(pixelsPerPoint_))),
      arrowHead_(preferences.read(arrowHeadPreference))
{
}

EditorModel::~EditorModel() = default;

void EditorModel::setHistory(MarkHistory history)
{
    history_ = std::move(history);
    emit changed();
}

void EditorModel::add(const Mark& mark)
{
    history_.add(mark);
    emit changed();
}

void EditorModel::setTool(EditorTool tool)
{
    tool_ = tool;
    selection_.reset();
    emit changed();
}

void EditorModel::setColor(AnnotationColor color)
{
    color_ = color;
    emit changed();
}

void EditorModel::setArrowHead(ArrowHead head)
{
    arrowHead_ = head;
    preferences_.write(arrowHeadPreference, head);
    emit changed();
}

void EditorModel::setDraft(std::optional<Mark> draft)
{
    draft_ = std::move(draft);
    emit changed();
}

void EditorModel::setSelection(std::optional<std::size_t> selection)
{
    selection_ = selection;
    emit changed();
}

void EditorModel::setMoving(std::optional<Mark> moving)
{
    moving_ = std::move(moving);
    emit changed();
}

void EditorModel::setSaving(bool saving)
{
    isSaving_ = saving;
    emit changed();
}

void EditorModel::perform(Command command) const
{
    if (perform_) {
        perform_(command);
    }
}

std::int64_t EditorModel::nextNumber() const
{
    return AnnotationGeometry::nextNumber(history_.marks());
}

void EditorModel::undo()
{
    history_.undo();
    selection_.reset();
    moving_.reset();
    emit changed();
}

void EditorModel::redo()
{
    history_.redo();
    selection_.reset();
    moving_.reset();
    emit changed();
}

void EditorModel::deleteSelection()
{
    if (!selection_) {
        return;
    }
    history_.remove(*selection_);
    selection_.reset();
    moving_.reset();
    emit changed();
}

void EditorModel::finishMoving()
{
    if (selection_ && moving_) {
        history_.replace(*selection_, *moving_);
    }
    moving_.reset();
    emit changed();
}

} // namespace quillet
