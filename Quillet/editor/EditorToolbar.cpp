#include "Quillet/editor/EditorToolbar.hpp"

#include "Quillet/editor/EditorModel.hpp"
#include "Quillet/editor/Swatch.hpp"
#include "Quillet/editor/ToolButton.hpp"
#include "Quillet/editor/ToolbarColors.hpp"
#include "Quillet/editor/ToolbarSymbolButton.hpp"
#include "Quillet/editor/ToolbarTextButton.hpp"
#include "core/ArrowHead.hpp"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QPainter>
#include <QPainterPath>

namespace quillet {

namespace {

constexpr int itemSpacing = 14;
constexpr int horizontalPadding = 12;
constexpr int toolSpacing = 2;
constexpr int toolGroupPadding = 3;
constexpr double toolGroupRadius = 9;
constexpr double toolGroupOpacity = 0.06;
constexpr int swatchSpacing = 7;
constexpr int minimumFlexibleSpace = 8;
constexpr double dividerOpacity = 0.12;

// A tooltip's first word is translated; the key after two spaces is the desktop's own key name.
[[nodiscard]] QString withKey(const QString& title, const QKeySequence& keys)
{
    return title + QStringLiteral("  ") + keys.toString(QKeySequence::NativeText);
}

// The tools sit together on one faint rounded plate.
class ToolGroup final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath plate;
        plate.addRoundedRect(QRectF(rect()), toolGroupRadius, toolGroupRadius);
        painter.fillPath(plate, ToolbarColors::primary(palette(), toolGroupOpacity));
    }
};

} // namespace

EditorToolbar::EditorToolbar(EditorModel& model, QWidget* parent) : QWidget(parent), model_(model)
{
    setFixedHeight(height);
    setAutoFillBackground(false);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(horizontalPadding, 0, horizontalPadding, 0);
    row->setSpacing(itemSpacing);
    row->addWidget(makeToolGroup(), 0, Qt::AlignVCenter);
    row->addWidget(makeColorGroup(), 0, Qt::AlignVCenter);
    makeActionButtons();
    row->addWidget(direction_, 0, Qt::AlignVCenter);
    row->addWidget(delete_, 0, Qt::AlignVCenter);
    row->addSpacing(minimumFlexibleSpace - itemSpacing);
    row->addStretch(1);
    row->addWidget(undo_, 0, Qt::AlignVCenter);
    row->addWidget(cancel_, 0, Qt::AlignVCenter);
    row->addWidget(save_, 0, Qt::AlignVCenter);
    connect(&model_, &EditorModel::changed, this, &EditorToolbar::refresh);
    refresh();
}

QWidget* EditorToolbar::makeToolGroup()
{
    auto* group = new ToolGroup(this);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(toolGroupPadding, toolGroupPadding, toolGroupPadding, toolGroupPadding);
    layout->setSpacing(toolSpacing);
    for (const EditorTool tool : allEditorTools) {
        auto* button = new ToolButton(tool, group);
        connect(button, &QAbstractButton::clicked, this, [this, tool] {
            model_.setTool(tool);
            model_.setSelection(std::nullopt);
        });
        layout->addWidget(button);
        tools_.push_back(button);
    }
    return group;
}

QWidget* EditorToolbar::makeColorGroup()
{
    auto* group = new QWidget(this);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(swatchSpacing);
    for (const AnnotationColor color : allAnnotationColors) {
        auto* swatch = new Swatch(color, group);
        connect(swatch, &QAbstractButton::clicked, this, [this, color] { model_.setColor(color); });
        layout->addWidget(swatch);
        swatches_.push_back(swatch);
    }
    return group;
}

void EditorToolbar::makeActionButtons()
{
    direction_ = new ToolbarSymbolButton("arrow.left.arrow.right", tr("Arrow direction"), this);
    connect(direction_, &QAbstractButton::clicked, this,
            [this] { model_.setArrowHead(toggled(model_.arrowHead())); });

    delete_ = new ToolbarSymbolButton("trash", tr("Delete"), this);
    delete_->setToolTip(withKey(tr("Delete"), QKeySequence(Qt::Key_Backspace)));
    connect(delete_, &QAbstractButton::clicked, this,
            [this] { model_.perform(EditorModel::Command::deleteSelection); });

    undo_ = new ToolbarSymbolButton("arrow.uturn.backward", tr("Undo"), this);
    undo_->setToolTip(withKey(tr("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z)));
    connect(undo_, &QAbstractButton::clicked, this, [this] { model_.perform(EditorModel::Command::undo); });

    cancel_ = new ToolbarTextButton(tr("Cancel"), ToolbarTextButton::Style::standard, this);
    cancel_->setToolTip(withKey(tr("Cancel"), QKeySequence(Qt::Key_Escape)));
    connect(cancel_, &QAbstractButton::clicked, this,
            [this] { model_.perform(EditorModel::Command::cancel); });

    save_ = new ToolbarTextButton(tr("Save"), ToolbarTextButton::Style::prominent, this);
    save_->setToolTip(withKey(tr("Save"), QKeySequence(Qt::CTRL | Qt::Key_S)));
    connect(save_, &QAbstractButton::clicked, this, [this] { model_.perform(EditorModel::Command::save); });
}

void EditorToolbar::refresh()
{
    for (ToolButton* button : tools_) {
        button->setChecked(button->tool() == model_.tool());
    }
    const bool colored = usesColor(model_.tool());
    for (Swatch* swatch : swatches_) {
        swatch->setChecked(swatch->color() == model_.color());
        swatch->setDimmed(!colored);
    }
    direction_->setVisible(model_.tool() == EditorTool::arrow);
    direction_->setToolTip(model_.arrowHead() == ArrowHead::atStart
                               ? tr("The arrow points to where you click. Click to switch.")
                               : tr("The arrow points to where you stop dragging. Click to switch."));
    delete_->setVisible(model_.selection().has_value());
    undo_->setEnabled(model_.history().canUndo());
    save_->setEnabled(!model_.isSaving());
}

void EditorToolbar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(QRectF(0, height - 1, width(), 1), ToolbarColors::primary(palette(), dividerOpacity));
}

} // namespace quillet
