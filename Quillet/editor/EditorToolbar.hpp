#pragma once

#include <QWidget>

#include <vector>

namespace quillet {

class EditorModel;
class Swatch;
class ToolButton;
class ToolbarSymbolButton;
class ToolbarTextButton;

// The row above the canvas: the tools, the colours, the arrow direction (arrow tool only), delete
// (while a mark is selected), then undo, Cancel and Save at the trailing end. It re-reads the whole
// model on each change.
class EditorToolbar : public QWidget {
    Q_OBJECT

public:
    static constexpr int height = 52;

    // `model` must outlive the toolbar.
    explicit EditorToolbar(EditorModel& model, QWidget* parent = nullptr);

    [[nodiscard]] const std::vector<ToolButton*>& toolButtons() const { return tools_; }
    [[nodiscard]] const std::vector<Swatch*>& swatches() const { return swatches_; }
    [[nodiscard]] ToolbarSymbolButton* arrowDirectionButton() const { return direction_; }
    [[nodiscard]] ToolbarSymbolButton* deleteButton() const { return delete_; }
    [[nodiscard]] ToolbarSymbolButton* undoButton() const { return undo_; }
    [[nodiscard]] ToolbarTextButton* cancelButton() const { return cancel_; }
    [[nodiscard]] ToolbarTextButton* saveButton() const { return save_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] QWidget* makeToolGroup();
    [[nodiscard]] QWidget* makeColorGroup();
    void makeActionButtons();
    void refresh();

    EditorModel& model_;
    std::vector<ToolButton*> tools_;
    std::vector<Swatch*> swatches_;
    ToolbarSymbolButton* direction_ = nullptr;
    ToolbarSymbolButton* delete_ = nullptr;
    ToolbarSymbolButton* undo_ = nullptr;
    ToolbarTextButton* cancel_ = nullptr;
    ToolbarTextButton* save_ = nullptr;
};

} // namespace quillet
