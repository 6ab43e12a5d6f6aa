#include "Brindle/menu/MenuFooter.hpp"

#include "Brindle/AppInfo.hpp"
#include "Brindle/menu/ClickArea.hpp"
#include "Brindle/menu/KitText.hpp"
#include "Brindle/menu/TextLine.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QKeySequence>
#include <QShortcut>
#include <QVBoxLayout>

namespace brindle {
namespace {

constexpr int sidePadding = 11;
constexpr int rowHeight = 26;
constexpr qreal hoverRadius = 7;
constexpr qreal hoverOpacity = 0.07;

[[nodiscard]] ClickArea* footerRow(const QString& title, const QString& detail, std::function<void()> action)
{
    auto* row = new ClickArea(std::move(action));
    row->setFixedHeight(rowHeight);
    row->setHoverHighlight(hoverRadius, hoverOpacity);
    row->row().setContentsMargins(sidePadding, 0, sidePadding, 0);
    row->row().setSpacing(8);
    row->addToLabel(new TextLine(title, 12));
    row->row().addStretch(1);
    row->addToLabel(new TextLine(detail, 12, QFont::Normal, Tone::tertiary));
    row->setAccessibleName(title);
    return row;
}

} // namespace

MenuFooter::MenuFooter(const std::optional<QString>& caption, std::function<void()> checkForUpdates,
                       std::function<void()> quit, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    const QString version = KitText::version(AppInfo::version());
    if (caption || !checkForUpdates) {
        auto* line = new TextLine(caption.value_or(version), 12, QFont::Normal, Tone::tertiary);
        line->setMode(TextLine::Mode::oneLine);
        line->setMinimumHeight(rowHeight);
        line->setContentsMargins(sidePadding, 0, sidePadding, 0);
        auto* padded = new QHBoxLayout;
        padded->setContentsMargins(sidePadding, 0, sidePadding, 0);
        padded->addWidget(line);
        column->addLayout(padded);
    }
    if (checkForUpdates) {
        column->addWidget(footerRow(KitText::checkForUpdates(), version, std::move(checkForUpdates)));
    }
    const QKeySequence quitKeys(Qt::CTRL | Qt::Key_Q);
    column->addWidget(footerRow(KitText::quit(), quitKeys.toString(QKeySequence::NativeText), quit));
    auto* shortcut = new QShortcut(quitKeys, this);
    connect(shortcut, &QShortcut::activated, this, [quit] { quit(); });
}

} // namespace brindle
