#pragma once

#include "core/AnnotationColor.hpp"
#include "core/ArrowHead.hpp"
#include "core/EditorTool.hpp"
#include "core/Mark.hpp"
#include "core/MarkHistory.hpp"
#include "kit-core/PreferenceStore.hpp"

#include <QImage>
#include <QObject>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace quillet {

class AnnotationRenderer;

// The state of one open editor: the committed marks with their undo and redo history, the current tool,
// colour and arrow direction, the mark being drawn, the selected mark and its move in progress, and
// whether a save is running. The canvas and toolbar read and change it; the window controller owns
// it and carries out its commands. `changed` is emitted after every change; observers re-read the
// whole model. Main thread only.
class EditorModel : public QObject {
    Q_OBJECT

public:
    // What a view asks the window controller to do.
    enum class Command { undo, deleteSelection, cancel, save };

    // `preferences` must outlive the model; the arrow direction is read from it now and written to
    // it on every change.
    EditorModel(const QImage& image, double pixelsPerPoint, brindle::PreferenceStore& preferences,
                QObject* parent = nullptr);
    ~EditorModel() override;

    [[nodiscard]] const std::shared_ptr<AnnotationRenderer>& renderer() const { return renderer_; }
    [[nodiscard]] double pixelsPerPoint() const { return pixelsPerPoint_; }
    [[nodiscard]] brindle::PreferenceStore& preferences() const { return preferences_; }

    [[nodiscard]] const MarkHistory& history() const { return history_; }
    void setHistory(MarkHistory history);
    // Commits a mark through the history, which drops empty marks.
    void add(const Mark& mark);

    [[nodiscard]] EditorTool tool() const { return tool_; }
    // Also clears the selection: a mark selected with one tool may not be grabbable with another.
    void setTool(EditorTool tool);

    [[nodiscard]] AnnotationColor color() const { return color_; }
    void setColor(AnnotationColor color);

    [[nodiscard]] ArrowHead arrowHead() const { return arrowHead_; }
    // Remembered at once, so the next editor opens with the direction chosen last.
    void setArrowHead(ArrowHead head);

    [[nodiscard]] const std::optional<Mark>& draft() const { return draft_; }
    void setDraft(std::optional<Mark> draft);

    [[nodiscard]] std::optional<std::size_t> selection() const { return selection_; }
    void setSelection(std::optional<std::size_t> selection);

    [[nodiscard]] const std::optional<Mark>& moving() const { return moving_; }
    void setMoving(std::optional<Mark> moving);

    [[nodiscard]] bool isSaving() const { return isSaving_; }
    void setSaving(bool saving);

    // How views ask the window controller to act; does nothing until the controller sets it.
    void setPerform(std::function<void(Command)> perform) { perform_ = std::move(perform); }
    void perform(Command command) const;

    // The value a new numbered marker gets.
    [[nodiscard]] std::int64_t nextNumber() const;

    void undo();
    void redo();
    // Removes the selected mark (renumbering later markers); without a selection, nothing.
    void deleteSelection();
    // Writes the moved copy over the selected mark as one undo step; the mark stays selected.
    void finishMoving();

signals:
    void changed();

private:
    double pixelsPerPoint_;
    brindle::PreferenceStore& preferences_;
    std::shared_ptr<AnnotationRenderer> renderer_;
    MarkHistory history_;
    EditorTool tool_ = EditorTool::arrow;
    AnnotationColor color_ = defaultAnnotationColor;
    ArrowHead arrowHead_;
    std::optional<Mark> draft_;
    std::optional<std::size_t> selection_;
    std::optional<Mark> moving_;
    bool isSaving_ = false;
    std::function<void(Command)> perform_;
};

} // namespace quillet
