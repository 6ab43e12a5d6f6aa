#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <functional>

class QScrollArea;

namespace brindle {

// The window that holds a tray panel. Next to a tray icon it is a frameless pop-up that closes when
// the user clicks elsewhere; without a tray it is an ordinary, movable window that hides when
// closed. Its content is made on first show. It accepts every close (a closed widget is only
// hidden): one it refused would also refuse the application's quit while the panel is open.
class PanelWindow : public QWidget {
    Q_OBJECT

public:
    enum class Kind { popup, window };

    PanelWindow(Kind kind, const QString& title, std::function<QWidget*()> makeContent);

    [[nodiscard]] Kind kind() const { return kind_; }
    // Shows the panel with its top-left corner placed by `place` (given the panel's size); a window
    // keeps where the user put it once it has been shown, and comes back when it was minimised.
    void present(const std::function<QPoint(const QSize&)>& place);
    [[nodiscard]] QWidget* content() const { return content_; }
    // Makes and lays out the content ahead of the first show.
    void prepare();
    // Milliseconds since the panel last hid; a very large number when it never did.
    [[nodiscard]] qint64 sinceHidden() const;

signals:
    void hidden();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ensureContent();
    // The size that shows the whole content, or as much as the work area holds with a scroll bar.
    [[nodiscard]] QSize fittedSize(const QRect& workArea);
    [[nodiscard]] QRect workArea() const;
    // Fits an open panel to content that grew or shrank (a row shown or hidden) and places it again.
    void refit();
    // Gives the panel `fitted` as its size; a window also keeps it against the user's resizing.
    void fixSize(const QSize& fitted);

    Kind kind_;
    std::function<QWidget*()> makeContent_;
    QScrollArea* scroll_;
    QWidget* content_ = nullptr;
    std::function<QPoint(const QSize&)> place_;
    bool refitPending_ = false;
    QElapsedTimer hiddenAt_;
    bool wasShown_ = false;
};

} // namespace brindle
