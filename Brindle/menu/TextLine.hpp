#pragma once

#include <QFont>
#include <QWidget>

#include <optional>

namespace brindle {

// A text in the interface font drawn in a hierarchical tone (or a fixed colour) of the palette. One
// line elides as asked; a wrapping text takes as many lines as its width needs, never truncated.
class TextLine : public QWidget {
    Q_OBJECT

public:
    // `oneLine` always takes its whole width; the eliding modes shorten the text to the room they get.
    enum class Mode { oneLine, elideEnd, elideMiddle, wrap };

    TextLine(const QString& text, qreal points, QFont::Weight weight = QFont::Normal, qreal tone = 1.0,
             QWidget* parent = nullptr);

    void setText(const QString& text);
    [[nodiscard]] const QString& text() const { return text_; }
    void setTone(qreal tone);
    // A colour of its own instead of the palette's text colour.
    void setColor(const QColor& colour);
    void setMode(Mode mode);
    // Digits drawn in cells of one width, so a running number does not jitter.
    void setFixedDigits(bool on);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;
    [[nodiscard]] bool hasHeightForWidth() const override { return mode_ == Mode::wrap; }
    [[nodiscard]] int heightForWidth(int width) const override;
    // True when the text does not fit the room it was given: shortened with an ellipsis, clipped at
    // the side, or wrapped onto more lines than its height shows.
    [[nodiscard]] bool isCutOff() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] QFont textFont() const;
    [[nodiscard]] QColor foreground() const;
    void paintFixedDigits(QPainter& painter) const;

    QString text_;
    qreal points_;
    QFont::Weight weight_;
    qreal tone_;
    std::optional<QColor> colour_;
    Mode mode_ = Mode::oneLine;
    bool fixedDigits_ = false;
};

} // namespace brindle
