#include "Quillet/editor/CanvasTextField.hpp"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QProxyStyle>

namespace quillet {

namespace {

class HiddenCaretStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_TextCursorWidth) {
            return 0;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// One style for every field, kept by the application: a widget does not own the style it is given and
// may still use it while it is destroyed.
[[nodiscard]] QStyle* hiddenCaretStyle()
{
    static QPointer<HiddenCaretStyle> style;
    if (!style) {
        style = new HiddenCaretStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

} // namespace

CanvasTextField::CanvasTextField(QWidget* parent) : QLineEdit(parent)
{
    setStyle(hiddenCaretStyle());
    setFrame(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    QPalette colors = palette();
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Text, QPalette::Highlight,
                                           QPalette::HighlightedText, QPalette::PlaceholderText}) {
        colors.setColor(role, Qt::transparent);
    }
    setPalette(colors);
}

CanvasTextField::~CanvasTextField() = default;

void CanvasTextField::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit cancelled();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CanvasTextField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Switching to another window or opening a menu leaves the typing open, as in any text editor.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        emit focusLeft();
    }
}

} // namespace quillet
